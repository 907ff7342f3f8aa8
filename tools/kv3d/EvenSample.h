#pragma once

#include <cstddef>
#include <string>

namespace kv3dcli {

// An even, repeatable sample of n items for a picture that can show at most
// limit of them: every stride-th item from the first, the same every run.
class EvenSample {
public:
    EvenSample(std::size_t n, std::size_t limit);

    std::size_t stride() const { return stride_; }
    bool complete() const { return stride_ == 1; }
    // The number of items taken.
    std::size_t size() const { return n_ == 0 ? 0 : (n_ - 1) / stride_ + 1; }

    // Calls f(i) for the index of each item taken, in order.
    template <class F>
    void for_each(F&& f) const {
        for (std::size_t i = 0; i < n_; i += stride_) {
            f(i);
        }
    }

    // "every 40th of 200000 points drawn"; empty when every item is taken.
    std::string note(const std::string& items) const;

private:
    std::size_t n_;
    std::size_t stride_;
};

}  // namespace kv3dcli
