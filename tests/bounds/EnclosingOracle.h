#pragma once

// A literal, slow transcription of the enclosing-sphere construction, which
// Kv3dBSphere's point-set growth must equal bit for bit: plain (centre,
// stored radius) pairs, KvArray::sort with Kv3dPointCompare, the bisection on
// a Kv3dLine, and a division by zero left to IEEE (a NaN trial encloses
// nothing).

#include <kv3d/kv3d.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>

namespace enclosing_oracle {

// A point's coordinates, compared exactly and printed on failure.
inline std::array<double, 3> xyz(const Kv3dPoint& p) { return {p.x(), p.y(), p.z()}; }

inline Kv3dBBox box(const Kv3dPoint& lo, const Kv3dPoint& hi) {
    Kv3dBBox r(lo);
    r.update_bbox(hi);
    return r;
}

struct Ball {
    Kv3dPoint c;
    double r = -1.0;

    bool empty() const { return 0.0 > r; }
    // The reference rule of radius().
    double reported() const { return r > kv3d_detail::bsphere_tol() ? r : 0.0; }
    Kv3dBSphere sphere() const { return Kv3dBSphere(c, r); }
};

// The stored radius, read back from the debug text (shortest round-trip form).
inline double stored_radius(const Kv3dBSphere& s) {
    std::ostringstream out;
    KvJournal journal(out);
    s.debug(journal, static_cast<KvDebug>(2), false, 0);
    const std::string text = out.str();
    const std::size_t at = text.find("- Radius: ") + 10;
    return std::stod(text.substr(at, text.find(';', at) - at));
}

inline Ball ball(const Kv3dBSphere& s) { return Ball{s.center(), stored_radius(s)}; }

class Construction {
public:
    Construction(const Ball& S, const KvArray<Kv3dPoint>& points)
        : b_(kv3d_detail::bsphere_tol()), S_(S), S0_(S), A_(points), n_(points.size()) {}

    Ball run() {
        sort_and_thin(Kv3dPoint(0, 0, 0));
        Kv3dBBox B(S_.sphere());
        for (std::size_t i = 0; i < A_.size(); ++i) B.update_bbox(A_[i]);
        if (B.is_empty()) return Ball{Kv3dPoint(0, 0, 0), -1.0};
        S_ = Ball{B.bbmin(), b_};
        grow(S_, B.bbmax());
        Ball T = S_;
        for (int pass = 0; pass < 8; ++pass) {
            refine(T);
            if (T.empty() || T.reported() <= b_) break;
            if (std::fabs(T.r - S_.r) < b_ && within(T.c, S_.c, b_)) break;
            if (T.reported() > S_.reported() || !encloses(T)) break;
            S_ = T;
        }
        return S_;
    }

    bool dropped() const { return A_.size() < n_; }

private:
    static bool within(const Kv3dPoint& q, const Kv3dPoint& p, double m) {
        return Kv3d_distance_less_than_maximum_distance(q, p, m);
    }

    // Point growth: the far side stays, p ends up b inside.
    void grow(Ball& s, const Kv3dPoint& p) const {
        if (s.empty()) {
            s = Ball{p, b_};
            return;
        }
        if (within(p, s.c, s.r)) return;
        const double d = (p - s.c).length();
        const double k = (d - s.r) * 0.5;
        s.c = s.c + (p - s.c) * (k / d);
        s.r = s.r + k + b_;
    }

    void sort_and_thin(const Kv3dPoint& o) {
        if (A_.size() < 2) return;
        A_.sort(Kv3dPointCompare(o));
        std::size_t last = 0;
        for (std::size_t i = 1; i < A_.size(); ++i)
            if (!within(A_[last], A_[i], b_)) A_[++last] = A_[i];
        A_.resize(last + 1, true);
    }

    bool encloses(const Ball& X) const {
        if (X.empty()) return false;
        for (std::size_t i = 0; i < A_.size(); ++i)
            if (!within(A_[i], X.c, X.r)) return false;
        if (S0_.empty()) return true;
        return (std::fabs(X.r - S0_.r) < b_ && within(X.c, S0_.c, b_)) ||
               within(X.c, S0_.c, X.r - S0_.r);
    }

    void refine(Ball& T) {
        if (T.empty()) return;
        Kv3dPoint F;
        if (!S0_.empty()) S0_.sphere().compute_furthermost_point_on_shell(T.c, F);
        sort_and_thin(T.c);
        const std::size_t n = A_.size();
        const std::size_t i1 = n == 0 ? 0 : n - 1;
        Kv3dPoint P1 = A_[i1];
        std::size_t i2 = i1 == 0 ? 0 : i1 - 1;
        if (!S0_.empty() && !within(F, T.c, T.r)) {
            P1 = F;
            i2 = i1;
        }
        const Kv3dPoint P2 = A_[i2];
        const Kv3dPoint P3 = i2 == 0 ? A_[0] : A_[i2 - 1];

        Ball U{P1, b_};
        grow(U, P2);
        if (encloses(U)) {
            T = U;
            return;
        }
        const double r1 = P1.distance(T.c), r2 = P2.distance(T.c), D = P1.distance(P2);
        const double h = (r2 + r1) * 0.5 * (r1 - r2) / D;
        const double t = h / (D * 0.5 + h);
        const Kv3dPoint Q = T.c + (P1 - T.c) * t;
        const Kv3dPoint M = U.c;
        U = Ball{Q, (1 - t) * r1 + b_};
        Kv3dPoint A0 = Q, A1 = T.c;
        if (encloses(U)) {
            T = U;
            const Kv3dBSphere u = U.sphere();
            if (!within(P1, P2, b_) && !within(P2, P3, b_) && !within(P3, P1, b_) &&
                u.on_shell(P1) && u.on_shell(P2) && u.on_shell(P3))
                return;
            A0 = M;
            A1 = Q;
        }
        const Kv3dLine line(A0, A1);
        const double L = (A1 - A0).length();
        const int steps = L / b_ < 100 ? 8 : L / b_ < 1000 ? 16 : L / b_ < 10000 ? 32 : 64;
        double lo = 0.0, hi = 1.0;
        for (int i = 0; i < steps; ++i) {
            const double mid = (hi + lo) * 0.5;
            const Kv3dPoint X = line.evaluate(mid);
            U = Ball{X, (P1 - X).length() + b_};
            if (encloses(U)) {
                T = U;
                hi = mid;
            } else {
                lo = mid;
            }
        }
    }

    const double b_;
    Ball S_;
    const Ball S0_;
    KvArray<Kv3dPoint> A_;
    const std::size_t n_;
};

// update_bsphere of a point array: unchanged when every point lies within
// the radius, otherwise the construction, then point growth by each point
// left outside when the thinning dropped some.
inline Ball update(const Ball& S, const KvArray<Kv3dPoint>& points) {
    const auto within = [&](const Kv3dPoint& p) {
        return Kv3d_distance_less_than_maximum_distance(p, S.c, S.r);
    };
    if (!S.empty() && std::all_of(points.begin(), points.end(), within)) return S;
    Construction construction(S, points);
    Kv3dBSphere result = construction.run().sphere();
    for (std::size_t i = 0; i < points.size() && construction.dropped(); ++i)
        if (!result.contains(points[i])) result.update_bsphere(points[i]);
    return ball(result);
}

}  // namespace enclosing_oracle
