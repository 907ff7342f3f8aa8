#include "Kv3dSegmentBoxTree.h"

namespace kv3d_polyline {

SegmentBoxTree::SegmentBoxTree(const KvArray<Kv3dPoint>& polyline)
    : vertices_(polyline.data()),
      segments_(polyline.size() - 1),
      leaves_((segments_ + kLeaf - 1) / kLeaf),
      leaf_slots_(1) {
    while (leaf_slots_ < leaves_) {
        leaf_slots_ *= 2;
    }
    nodes_.resize(2 * leaf_slots_);
    for (std::size_t l = 0; l < leaves_; ++l) {
        const std::size_t first = l * kLeaf;
        const std::size_t count = first + kLeaf < segments_ ? kLeaf : segments_ - first;
        nodes_[leaf_slots_ + l] = DistanceBox(vertices_ + first, count + 1);
    }
    for (std::size_t k = leaf_slots_ - 1; k >= 1; --k) {
        nodes_[k] = nodes_[2 * k];
        nodes_[k].add(nodes_[2 * k + 1]);
    }
}

}  // namespace kv3d_polyline
