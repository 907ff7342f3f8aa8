#pragma once

// The three parameters of a point in a coordinate system.
class KvUVWPar {
public:
    KvUVWPar(double u_ = 0.0, double v_ = 0.0, double w_ = 0.0) : u(u_), v(v_), w(w_) {}

    double u;
    double v;
    double w;
};
