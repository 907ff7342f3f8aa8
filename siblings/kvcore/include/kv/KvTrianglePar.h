#pragma once

// Barycentric weights of a point with respect to a triangle's three vertices.
class KvTrianglePar {
public:
    KvTrianglePar(double w0 = 0.0, double w1 = 0.0, double w2 = 0.0) : w_{w0, w1, w2} {}

    // Weight i for i in 0..2; any other index reads 0.0.
    double operator[](int i) const { return i >= 0 && i < 3 ? w_[i] : 0.0; }

private:
    double w_[3];
};
