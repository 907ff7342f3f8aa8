#pragma once

#include <kv/KvCompare.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/kv3d_export.h>

// Orders points by their distance from an origin, nearest first: the
// comparison a point array's sort takes to bring the farthest points to its
// end. The comparison is exact (no tolerance): points at the same squared
// distance, in any direction, are equivalent.
class KV3D_API Kv3dPointCompare : public KvCompare<Kv3dPoint> {
public:
    // Origin (0, 0, 0).
    Kv3dPointCompare() = default;
    explicit Kv3dPointCompare(const Kv3dPoint& origin) : origin_(origin) {}
    Kv3dPointCompare(const Kv3dPointCompare& other)
        : KvCompare<Kv3dPoint>(), origin_(other.origin_) {}
    ~Kv3dPointCompare() override;
    // Copies the origin.
    virtual const Kv3dPointCompare& operator=(const Kv3dPointCompare& other) {
        origin_ = other.origin_;
        return *this;
    }

    Kv3dPoint get_origin() const { return origin_; }
    void set_origin(const Kv3dPoint& origin) { origin_ = origin; }

    // Always an order a sort may use.
    bool ordered() const override { return true; }
    // A heap copy owned by the caller; null when no memory is left.
    KvCompare<Kv3dPoint>* clone() const override;

    // -1 when a lies strictly nearer to the origin than b, 1 when strictly
    // farther, otherwise 0 (also when either distance is NaN).
    int compare(const Kv3dPoint& a, const Kv3dPoint& b) const override {
        const double da = key(a);
        const double db = key(b);
        if (db > da) {
            return -1;
        }
        return da > db ? 1 : 0;
    }

    // The squared distance from the origin that compare() orders by:
    // dx^2 + dy^2 + dz^2, summed in this order.
    double key(const Kv3dPoint& p) const { return p.square_distance(origin_); }

private:
    Kv3dPoint origin_;
};
