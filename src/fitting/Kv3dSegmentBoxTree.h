#pragma once

#include <kv/KvArray.h>
#include <kv3d/Kv3dPoint.h>

#include <cstddef>
#include <vector>

#include "Kv3dDistanceBox.h"

namespace kv3d_polyline {

// Boxes around the segments of a polyline in a complete binary tree: leaf l
// holds the box of segments kLeaf * l .. kLeaf * l + kLeaf - 1 (consecutive
// segments of a polyline lie close together, so these boxes are tight), each
// inner node the union of its two children. The polyline is referenced, not
// copied: it must outlive the tree. One allocation, for the nodes.
class SegmentBoxTree {
public:
    static constexpr std::size_t kLeaf = 8;

    // A polyline of at least two vertices.
    explicit SegmentBoxTree(const KvArray<Kv3dPoint>& polyline);

    // Calls visit(j) for every segment j whose box is not far_apart from box
    // by limit, in increasing j. limit is read anew at every test, so a
    // visit may lower it and the rest of the walk prunes with the new value.
    template <class Visit>
    void for_each_near(const DistanceBox& box, const double& limit, Visit&& visit) const {
        struct Node {
            std::size_t index;
            std::size_t first_leaf;
            std::size_t leaf_slots;
        };
        // Left before right: the leaves, and so the segments, come in order.
        // The depth is at most 64, and so is the stack.
        Node stack[64];
        int top = 0;
        stack[top++] = Node{1, 0, leaf_slots_};
        while (top > 0) {
            const Node node = stack[--top];
            if (node.first_leaf >= leaves_ || far_apart(nodes_[node.index], box, limit)) {
                continue;
            }
            if (node.leaf_slots > 1) {
                const std::size_t half = node.leaf_slots / 2;
                stack[top++] = Node{2 * node.index + 1, node.first_leaf + half, half};
                stack[top++] = Node{2 * node.index, node.first_leaf, half};
                continue;
            }
            const std::size_t first = node.first_leaf * kLeaf;
            const std::size_t end = first + kLeaf < segments_ ? first + kLeaf : segments_;
            for (std::size_t j = first; j < end; ++j) {
                if (!far_apart(DistanceBox(vertices_ + j, 2), box, limit)) {
                    visit(j);
                }
            }
        }
    }

private:
    const Kv3dPoint* vertices_;
    std::size_t segments_;
    std::size_t leaves_;
    // The leaf count rounded up to a power of two; leaf l is node slots + l.
    std::size_t leaf_slots_;
    std::vector<DistanceBox> nodes_;
};

}  // namespace kv3d_polyline
