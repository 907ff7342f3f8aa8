#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dBSphere.h>
#include <kv3d/Kv3dTransform.h>

#include <cstddef>

Kv3dBBox::Kv3dBBox(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) {
    clear();
    update_bbox(points);
}

Kv3dBBox::Kv3dBBox(KvIterator<Kv3dPoint>& it) {
    clear();
    update_bbox(it);
}

Kv3dBBox::Kv3dBBox(const Kv3dBSphere& s) {
    clear();
    if (s.is_empty()) {
        return;
    }
    const Kv3dPoint& c = s.center();
    const double r = s.radius();
    min_ = Kv3dPoint(c.x() - r, c.y() - r, c.z() - r);
    max_ = Kv3dPoint(c.x() + r, c.y() + r, c.z() + r);
}

// update_bbox(p[i]) for every point in order, with the corners held in
// locals: after the first point the box is not empty (a point's x never
// compares greater than itself, and growth never makes minimum x exceed
// maximum x), so only that point can take the empty box's step. Per axis the
// written comparisons: the maximum takes x when x > it, the minimum when it
// > x (NaN never wins), which compile to plain max and min instructions.
void Kv3dBBox::update_bbox(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) {
    const Kv3dPoint* p = points.data();
    const std::size_t n = points.size();
    if (n == 0) {
        return;
    }
    std::size_t i = 0;
    if (is_empty()) {
        contract_to_point(p[0]);
        i = 1;
    }
    double lo[3] = {min_.x(), min_.y(), min_.z()};
    double hi[3] = {max_.x(), max_.y(), max_.z()};
    for (; i < n; ++i) {
        for (int k = 0; k < 3; ++k) {
            const double x = p[i][k];
            hi[k] = x > hi[k] ? x : hi[k];
            lo[k] = lo[k] > x ? x : lo[k];
        }
    }
    min_ = Kv3dPoint(lo[0], lo[1], lo[2]);
    max_ = Kv3dPoint(hi[0], hi[1], hi[2]);
}

void Kv3dBBox::update_bbox(KvIterator<Kv3dPoint>& it) {
    for (it.restart(); !it.at_end(); it.advance()) {
        const Kv3dPoint* p = it.current();
        if (p != nullptr) {
            update_bbox(*p);
        }
    }
}

void Kv3dBBox::update_bbox(const Kv3dBSphere& s) {
    if (s.contains(*this)) {
        *this = Kv3dBBox(s);
        return;
    }
    Kv3dPoint extremes[6];
    if (is_empty() || s.axis_extreme_points(extremes) == 0 || contains(s)) {
        return;
    }
    for (const Kv3dPoint& p : extremes) {
        update_bbox(p);
    }
}

bool Kv3dBBox::intersect(const Kv3dBBox& other, Kv3dBBox* result) const {
    const double tol = Kv3dResObj::same_point_tol();
    for (int i = 0; i < 3; ++i) {
        if (min_[i] > other.max_[i] + tol) {
            return false;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (other.min_[i] - tol > max_[i]) {
            return false;
        }
    }
    if (result == nullptr) {
        return true;
    }
    // Larger of the minima and smaller of the maxima per axis, read into
    // locals first because result may be this box or other.
    Kv3dPoint lo;
    Kv3dPoint hi;
    for (int i = 0; i < 3; ++i) {
        lo[i] = other.min_[i] > min_[i] ? other.min_[i] : min_[i];
        hi[i] = max_[i] > other.max_[i] ? other.max_[i] : max_[i];
    }
    // Where the faces only come within tol, lo exceeds hi on that axis and
    // adding hi to the box of lo spans the gap.
    result->contract_to_point(lo);
    result->update_bbox(hi);
    return true;
}

bool Kv3dBBox::intersect_extended(const Kv3dBBox& other, double margin) const {
    for (int i = 0; i < 3; ++i) {
        if (min_[i] - margin > other.max_[i] + margin) {
            return false;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (other.min_[i] - margin > max_[i] + margin) {
            return false;
        }
    }
    return true;
}

bool Kv3dBBox::contains(const Kv3dBBox& other) const {
    if (is_empty()) {
        return false;
    }
    return contains(other.max_) && contains(other.min_);
}

bool Kv3dBBox::contains(const Kv3dBSphere& s) const {
    if (is_empty()) {
        return false;
    }
    Kv3dPoint extremes[6];
    const int n = s.axis_extreme_points(extremes);
    for (int i = 0; i < n; ++i) {
        if (!contains(extremes[i])) {
            return false;
        }
    }
    return true;
}

bool Kv3dBBox::intersect(const Kv3dBSphere& s) const { return s.intersect(*this); }

Kv3dBBox& Kv3dBBox::apply(const Kv3dTransform& T) {
    if (is_empty()) {
        return *this;
    }
    const double x0 = min_.x(), y0 = min_.y(), z0 = min_.z();
    const double x1 = max_.x(), y1 = max_.y(), z1 = max_.z();
    Kv3dPoint corners[8] = {Kv3dPoint(x0, y0, z1), Kv3dPoint(x0, y1, z1), Kv3dPoint(x1, y0, z0),
                            Kv3dPoint(x1, y1, z0), Kv3dPoint(x1, y0, z1), Kv3dPoint(x0, y1, z0),
                            Kv3dPoint(x0, y0, z0), Kv3dPoint(x1, y1, z1)};
    clear();
    for (Kv3dPoint& c : corners) {
        update_bbox(c.apply(T));
    }
    return *this;
}

void Kv3dBBox::debug(KvJournal& journal, KvDebug level, bool flag, int depth) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, depth);
    journal << "Kv3dBBox  - Minimum Coordinates: " << kvEndExpr;
    min_.debug(journal, level, flag, Kv_DebugIndentStep() + depth);
    journal << "          - Maximum Coordinates: " << kvEndExpr;
    max_.debug(journal, level, flag, Kv_DebugIndentStep() + depth);
}

KvJournal& operator<<(KvJournal& journal, const Kv3dBBox& box) {
    journal << "Kv3dBBox( " << box.bbmin() << " , " << kvEndExpr;
    journal << "          " << box.bbmax() << "  ) " << kvEndExpr;
    return journal;
}
