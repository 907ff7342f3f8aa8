#include <kv3d/Kv3dParabola.h>

#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/detail/Kv3dRealRoots.h>

#include <cmath>

Kv3dParabola::Kv3dParabola(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) {
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < 3; ++i) {
        if (i < n) {
            pnt_[i] = points[i];
        } else if (n > 0) {
            pnt_[i] = points[n - 1];
        }
    }
}

Kv3dParabola& Kv3dParabola::apply(const Kv3dTransform& T) {
    pnt_[0].apply(T);
    pnt_[1].apply(T);
    pnt_[2].apply(T);
    return *this;
}

// With M = p0 - point, |C(t) - point|^2 = |M + 2 t A + t^2 B|^2, whose
// derivative is 4 f(t) with
//   f(t) = (B.B) t^3 + 3 (A.B) t^2 + (2 (A.A) + B.M) t + A.M.
// The real roots of f are the stationary parameters; the first root with the
// strictly smallest measure wins (ties keep the earlier root).
double Kv3dParabola::find_parameter(const Kv3dPoint& point, const double* start) const {
    const Kv3dVector M = pnt_[0] - point;
    const Kv3dVector A = pnt_[1] - pnt_[0];
    const Kv3dVector B = (pnt_[2] - pnt_[1]) - A;
    const double coeffs[4] = {A % M, (A % A) * 2.0 + B % M, (B % A) * 3.0, B % B};
    double roots[3];
    const int count = Kv3dRealRoots::solve(coeffs, 4, roots);
    if (count == 0) {
        return 0.0;
    }
    double best = roots[0];
    double best_measure = 0.0;
    for (int i = 0; i < count; ++i) {
        const double measure = start != nullptr ? std::fabs(*start - roots[i])
                                                : evaluate(roots[i]).square_distance(point);
        if (i == 0 || measure < best_measure) {
            best = roots[i];
            best_measure = measure;
        }
    }
    return best;
}

double Kv3dParabola::distance(const Kv3dPoint& point) const {
    return evaluate(find_parameter(point, nullptr)).distance(point);
}

bool Kv3dParabola::contains(const Kv3dPoint& point) const {
    return distance(point) < Kv3dResObj::same_point_tol();
}

KvJournal& operator<<(KvJournal& journal, const Kv3dParabola& p) {
    return journal << "Kv3dParabola( " << p[0] << " , " << p[1] << " , " << p[2] << " )";
}

void Kv3dParabola::debug(KvJournal& journal, KvDebug level, bool, int depth) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    static const char* const labels[3] = {
        "Kv3dParabola( pnt[0] : ", "              pnt[1] : ", "              pnt[2] : "};
    for (int i = 0; i < 3; ++i) {
        Kv_DebugIndentation(journal, depth);
        journal << labels[i] << pnt_[i] << kvEndExpr;
    }
    Kv_DebugIndentation(journal, depth);
    journal << "            )          " << kvEndExpr;
}
