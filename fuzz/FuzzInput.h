#pragma once

// What every geometry fuzz target reads its input through.
#include <kv3d/kv3d.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kv3dfuzz {

// Reads doubles from the input, then zeros once it is used up.
class DoubleSource {
public:
    DoubleSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    double next() {
        double value = 0.0;
        if (offset_ + sizeof value <= size_) {
            std::memcpy(&value, data_ + offset_, sizeof value);
            offset_ += sizeof value;
        }
        return value;
    }
    // A small count from the next byte.
    int count(int limit) {
        if (offset_ >= size_) {
            return 0;
        }
        return data_[offset_++] % limit;
    }
    Kv3dPoint point() { return Kv3dPoint(next(), next(), next()); }
    Kv3dVector vector() { return Kv3dVector(next(), next(), next()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

inline void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace kv3dfuzz
