#include <kv3d/detail/Kv3dRealRoots.h>

#include <cmath>

double Kv3dRealRoots::cube_root(double x) {
    if (x < 0.0) {
        return -std::pow(-x, 0.3333333333333333);
    }
    return std::pow(x, 0.3333333333333333);
}

int Kv3dRealRoots::solve(const double* coeffs, std::size_t count, double roots[3]) {
    if (count == 0) {
        return 0;
    }
    std::size_t n = count;
    while (n > 0 && std::fabs(coeffs[n - 1]) < 1e-12) {
        --n;
    }
    if (n == 0) {
        roots[0] = 0.0;
        return 1;
    }
    // A non-zero constant has no root; beyond degree 3 there is no closed form here.
    if (n == 1 || n > 4) {
        return 0;
    }
    // Monic form: c[0 .. d-1] with the implicit leading 1.
    double c[3] = {0.0, 0.0, 0.0};
    const double lead = coeffs[n - 1];
    for (std::size_t i = 0; i + 1 < n; ++i) {
        c[i] = coeffs[i] / lead;
    }
    switch (n - 1) {
        case 1:
            roots[0] = -c[0];
            return 1;
        case 2:
            return solve_quadratic(c, roots);
        default:
            return solve_cubic(c, roots);
    }
}

// t^2 + c1 t + c0: with h = -c1 / 2 the roots are h -+ sqrt(h^2 - c0).
int Kv3dRealRoots::solve_quadratic(const double* c, double roots[3]) {
    const double h = c[1] * -0.5;
    const double D = h * h - c[0];
    if (std::fabs(D) < 1e-12) {
        roots[0] = h;
        return 1;
    }
    if (D > 0.0) {
        const double s = std::sqrt(D);
        roots[0] = h - s;
        roots[1] = s + h;
        return 2;
    }
    return 0;
}

// t^3 + c2 t^2 + c1 t + c0, shifted by a3 = c2 / 3 to the depressed cubic.
int Kv3dRealRoots::solve_cubic(const double* c, double roots[3]) {
    const double a3 = c[2] / 3.0;
    const double Q = a3 * a3 - c[1] / 3.0;
    const double R = ((a3 * 2.0 * a3 - c[1]) * a3 + c[0]) * 0.5;
    const double D = R * R - Q * Q * Q;
    if (std::fabs(D) < 1e-12) {
        const double u = -cube_root(R);
        roots[0] = u * 2.0 - a3;
        roots[1] = -u - a3;
        return 2;
    }
    if (D > 0.0) {
        const double s = std::sqrt(D);
        roots[0] = -cube_root(R + s) - cube_root(R - s) - a3;
        return 1;
    }
    if (D < 0.0) {
        const double theta = std::atan2(std::sqrt(-D), -R);
        const double m = std::sqrt(Q) * 2.0;
        roots[0] = m * std::cos((theta - 6.283185307179586) / 3.0) - a3;
        roots[1] = m * std::cos(theta / 3.0) - a3;
        roots[2] = m * std::cos((theta + 6.283185307179586) / 3.0) - a3;
        return 3;
    }
    return 0;
}

void Kv3dRealRoots::solve(const KvArray<double>& coeffs, KvArray<double>& roots) {
    double found[3];
    const int k = solve(coeffs.data(), coeffs.size(), found);
    roots.clear();
    for (int i = 0; i < k; ++i) {
        roots.append(found[i]);
    }
}
