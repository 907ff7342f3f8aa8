#pragma once

// The two parameters of a point on a surface.
class KvUVPar {
public:
    KvUVPar(double u_ = 0.0, double v_ = 0.0) : u(u_), v(v_) {}

    double u;
    double v;
};
