// Interference search: the widened boxes of b's triangles in a tree, walked
// by each triangle of a, in blocks of a shared out among the threads.

#include <kv3d/Kv3dInterference.h>

#include <kv3d/Kv3dResObj.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

namespace {

using IndexPair = KvPair<std::size_t, std::size_t>;

// Consecutive triangles of a per block of work: small enough to share the
// work out evenly, large enough that taking a block costs nothing.
constexpr std::size_t kBlock = 256;
// Boxes per leaf of the tree.
constexpr std::size_t kLeaf = 8;

// A closed box, already widened.
struct Box {
    double lo[3];
    double hi[3];
};

// The comparisons of Kv3dBBox::intersect_extended on boxes widened before:
// lo = min - margin and hi = max + margin give the same values and answers.
// All six are made (no early exit), which keeps the tree walk free of
// unpredictable branches.
bool overlap(const Box& p, const Box& q) {
    return !(p.lo[0] > q.hi[0]) & !(q.lo[0] > p.hi[0]) & !(p.lo[1] > q.hi[1]) &
           !(q.lo[1] > p.hi[1]) & !(p.lo[2] > q.hi[2]) & !(q.lo[2] > p.hi[2]);
}

// The box of t's vertices widened by margin on every side; false when a
// coordinate is NaN, which no box can order.
bool widened_box(const Kv3dTriangle& t, double margin, Box& box) {
    const Kv3dPoint* v[3] = {&t.p0(), &t.p1(), &t.p2()};
    for (int k = 0; k < 3; ++k) {
        const double x0 = (*v[0])[k];
        const double x1 = (*v[1])[k];
        const double x2 = (*v[2])[k];
        if (std::isnan(x0) || std::isnan(x1) || std::isnan(x2)) {
            return false;
        }
        box.lo[k] = std::min(std::min(x0, x1), x2) - margin;
        box.hi[k] = std::max(std::max(x0, x1), x2) + margin;
    }
    return true;
}

// The bits of v below 2^21 spread to every third bit of the result.
std::uint64_t spread_bits(std::uint64_t v) {
    v &= 0x1fffff;
    v = (v | v << 32) & 0x1f00000000ffffULL;
    v = (v | v << 16) & 0x1f0000ff0000ffULL;
    v = (v | v << 8) & 0x100f00f00f00f00fULL;
    v = (v | v << 4) & 0x10c30c30c30c30c3ULL;
    v = (v | v << 2) & 0x1249249249249249ULL;
    return v;
}

// A box of b's triangle index, with the Morton key of its centre.
struct Entry {
    Box box;
    std::size_t index;
    std::uint64_t key;
};

// Morton keys of the box centres on a grid of 2^21 cells along the widest
// range of the finite centres, the same cell size on every axis (so a flat
// set is ordered by its extent, not by its thickness). Keys only order the
// tree: a centre that is not finite (a box reaching infinity) or a range
// that overflows gives a poorer order, never a wrong answer.
void set_keys(std::vector<Entry>& entries) {
    const double cells = 2097152.0;  // 2^21
    double from[3];
    double range = 0.0;
    for (int k = 0; k < 3; ++k) {
        double lo = std::numeric_limits<double>::infinity();
        double hi = -lo;
        for (const Entry& e : entries) {
            const double c = e.box.lo[k] * 0.5 + e.box.hi[k] * 0.5;
            if (std::isfinite(c)) {
                lo = std::min(lo, c);
                hi = std::max(hi, c);
            }
        }
        from[k] = lo;
        range = hi - lo > range ? hi - lo : range;
    }
    const double scale = range > 0.0 && std::isfinite(range) ? cells / range : 0.0;
    for (Entry& e : entries) {
        std::uint64_t key = 0;
        for (int k = 0; k < 3; ++k) {
            const double q = ((e.box.lo[k] * 0.5 + e.box.hi[k] * 0.5) - from[k]) * scale;
            const std::uint64_t cell =
                q >= 0.0 ? (q < cells ? static_cast<std::uint64_t>(q) : 2097151) : 0;  // NaN: 0
            key |= spread_bits(cell) << k;
        }
        e.key = key;
    }
}

// The boxes in Morton order, in leaves of kLeaf consecutive boxes, and above
// them a complete binary tree (node k has the children 2k and 2k + 1, the
// leaves are the nodes from leaves_ on) of the boxes holding their children.
// Leaves beyond the last box hold the empty box, which nothing finite meets.
class BoxTree {
public:
    // Sorts entries; the tree reads them while it lives.
    explicit BoxTree(std::vector<Entry>& entries) : entries_(entries) {
        const std::size_t used = (entries.size() + kLeaf - 1) / kLeaf;
        if (used == 0) {
            return;
        }
        set_keys(entries);
        std::sort(entries.begin(), entries.end(), [](const Entry& p, const Entry& q) {
            return p.key != q.key ? p.key < q.key : p.index < q.index;
        });
        while (leaves_ < used) {
            leaves_ *= 2;
        }
        const double inf = std::numeric_limits<double>::infinity();
        nodes_.assign(2 * leaves_, Box{{inf, inf, inf}, {-inf, -inf, -inf}});
        for (std::size_t e = 0; e < entries.size(); ++e) {
            hold(nodes_[leaves_ + e / kLeaf], entries[e].box);
        }
        for (std::size_t k = leaves_ - 1; k > 0; --k) {
            nodes_[k] = nodes_[2 * k];
            hold(nodes_[k], nodes_[2 * k + 1]);
        }
    }

    // visit(index) for every box that overlaps q, in the tree's order.
    template <class Visit>
    void query(const Box& q, Visit&& visit) const {
        if (nodes_.empty()) {
            return;
        }
        // Depth-first: at most one pending sibling per level, and fewer than
        // 64 levels for any size that fits in memory.
        std::size_t stack[64];
        int top = 0;
        stack[top++] = 1;
        while (top > 0) {
            const std::size_t k = stack[--top];
            if (!overlap(nodes_[k], q)) {
                continue;
            }
            if (k < leaves_) {
                stack[top++] = 2 * k + 1;
                stack[top++] = 2 * k;
                continue;
            }
            const std::size_t first = (k - leaves_) * kLeaf;
            const std::size_t last = std::min(first + kLeaf, entries_.size());
            for (std::size_t e = first; e < last; ++e) {
                if (overlap(entries_[e].box, q)) {
                    visit(entries_[e].index);
                }
            }
        }
    }

private:
    static void hold(Box& into, const Box& box) {
        for (int k = 0; k < 3; ++k) {
            into.lo[k] = std::min(into.lo[k], box.lo[k]);
            into.hi[k] = std::max(into.hi[k], box.hi[k]);
        }
    }

    const std::vector<Entry>& entries_;
    std::vector<Box> nodes_;
    std::size_t leaves_ = 1;
};

// What one thread found: the pairs of the blocks it took, one after the
// other, and its counts.
struct Worker {
    std::vector<IndexPair> pairs;
    std::size_t candidates = 0;
    std::size_t degenerate = 0;
};

// Where a block's pairs lie: in which worker's pairs, from begin to end.
struct BlockPairs {
    std::size_t worker = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

class Search {
public:
    Search(const KvArray<Kv3dTriangle>& a, const KvArray<Kv3dTriangle>& b, double margin)
        : a_(a), b_(b), margin_(margin), entries_(collect(b)), tree_(entries_) {}

    // The pairs in order, the counts of a search on up to threads threads
    // (the calling thread included); false when memory ran out.
    bool run(std::size_t threads, KvArray<IndexPair>& pairs, Kv3dInterferenceCounts& counts) {
        const std::size_t blocks = (a_.size() + kBlock - 1) / kBlock;
        threads = std::max<std::size_t>(1, std::min(threads, blocks));
        std::vector<Worker> workers(threads);
        std::vector<BlockPairs> block_pairs(blocks);
        work_on(workers, block_pairs);
        if (failed_.load()) {
            return false;
        }
        gather(workers, block_pairs, pairs, counts);
        return true;
    }

private:
    // The boxes of b's valid triangles; those with a NaN coordinate go to
    // unordered_b_ instead.
    std::vector<Entry> collect(const KvArray<Kv3dTriangle>& b) {
        std::vector<Entry> entries;
        entries.reserve(b.size());
        for (std::size_t j = 0; j < b.size(); ++j) {
            Entry e;
            if (!b[j].numerical_valid()) {
                ++degenerate_b_;
            } else if (widened_box(b[j], margin_, e.box)) {
                e.index = j;
                e.key = 0;
                entries.push_back(e);
            } else {
                unordered_b_.push_back(j);
            }
        }
        return entries;
    }

    // Starts the other workers, works beside them, joins them. A worker that
    // cannot be started leaves its share to the others.
    void work_on(std::vector<Worker>& workers, std::vector<BlockPairs>& block_pairs) {
        auto work = [this, &workers, &block_pairs](std::size_t id) {
            take_blocks(workers[id], id, block_pairs);
        };
        std::vector<std::thread> started;
        try {
            started.reserve(workers.size() - 1);
            for (std::size_t id = 1; id < workers.size(); ++id) {
                started.emplace_back(work, id);
            }
        } catch (...) {
        }
        work(0);
        for (std::thread& t : started) {
            t.join();
        }
    }

    // Takes the next free block until none is left or a worker failed.
    void take_blocks(Worker& w, std::size_t id, std::vector<BlockPairs>& block_pairs) noexcept {
        try {
            for (;;) {
                const std::size_t block = next_block_.fetch_add(1);
                if (block >= block_pairs.size() || failed_.load()) {
                    return;
                }
                const std::size_t begin = w.pairs.size();
                const std::size_t end = std::min(a_.size(), (block + 1) * kBlock);
                for (std::size_t i = block * kBlock; i < end; ++i) {
                    search_one(i, w);
                }
                block_pairs[block] = BlockPairs{id, begin, w.pairs.size()};
            }
        } catch (...) {
            failed_.store(true);
        }
    }

    // The pairs of a[i], ordered by their index in b.
    void search_one(std::size_t i, Worker& w) const {
        const Kv3dTriangle& t = a_[i];
        if (!t.numerical_valid()) {
            ++w.degenerate;
            return;
        }
        auto test = [&](std::size_t j) {
            ++w.candidates;
            if (t.intersect(b_[j])) {
                w.pairs.push_back(IndexPair(i, j));
            }
        };
        Box box;
        if (!widened_box(t, margin_, box)) {
            for (std::size_t j = 0; j < b_.size(); ++j) {
                if (b_[j].numerical_valid()) {
                    test(j);
                }
            }
            return;
        }
        const std::size_t begin = w.pairs.size();
        tree_.query(box, test);
        for (std::size_t j : unordered_b_) {
            test(j);
        }
        std::sort(w.pairs.begin() + static_cast<std::ptrdiff_t>(begin), w.pairs.end(),
                  [](const IndexPair& p, const IndexPair& q) { return p.second < q.second; });
    }

    // The blocks' pairs in block order (so in order of i, then j) and the
    // workers' counts summed.
    void gather(const std::vector<Worker>& workers, const std::vector<BlockPairs>& block_pairs,
                KvArray<IndexPair>& pairs, Kv3dInterferenceCounts& counts) const {
        std::size_t total = 0;
        for (const BlockPairs& p : block_pairs) {
            total += p.end - p.begin;
        }
        pairs.reserve(total);
        for (const BlockPairs& p : block_pairs) {
            const std::vector<IndexPair>& from = workers[p.worker].pairs;
            for (std::size_t k = p.begin; k < p.end; ++k) {
                pairs.append(from[k]);
            }
        }
        counts.degenerate_b = degenerate_b_;
        for (const Worker& w : workers) {
            counts.candidates += w.candidates;
            counts.degenerate_a += w.degenerate;
        }
    }

    const KvArray<Kv3dTriangle>& a_;
    const KvArray<Kv3dTriangle>& b_;
    const double margin_;
    std::size_t degenerate_b_ = 0;
    std::vector<std::size_t> unordered_b_;
    std::vector<Entry> entries_;
    BoxTree tree_;
    std::atomic<std::size_t> next_block_{0};
    std::atomic<bool> failed_{false};
};

std::size_t thread_count(int threads) {
    if (threads > 0) {
        return static_cast<std::size_t>(threads);
    }
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? hardware : 1;
}

}  // namespace

bool Kv3d_find_intersecting_triangles(const KvArray<Kv3dTriangle>& a,
                                      const KvArray<Kv3dTriangle>& b,
                                      KvArray<KvPair<std::size_t, std::size_t>>& pairs, int threads,
                                      Kv3dInterferenceCounts* counts) {
    try {
        Search search(a, b, Kv3dResObj::same_point_tol());
        KvArray<IndexPair> found;
        Kv3dInterferenceCounts found_counts;
        if (!search.run(thread_count(threads), found, found_counts)) {
            return false;
        }
        pairs = std::move(found);
        if (counts != nullptr) {
            *counts = found_counts;
        }
        return true;
    } catch (...) {
        return false;
    }
}
