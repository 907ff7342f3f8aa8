#pragma once

#include <kv/KvArray.h>
#include <kv/KvIterator.h>

#include <cstddef>

// Iterator over the elements of a KvArray, in index order. The array must
// outlive the iterator; current() is null at the end.
template <class T>
class KvArrayIterator : public KvIterator<T> {
public:
    explicit KvArrayIterator(const KvArray<T>& array) : array_(&array) {}

    void advance() override {
        if (index_ < array_->size()) {
            ++index_;
        }
    }
    bool at_end() const override { return index_ >= array_->size(); }
    void restart() override { index_ = 0; }
    const T* current() const override { return at_end() ? nullptr : array_->data() + index_; }

private:
    const KvArray<T>* array_;
    std::size_t index_ = 0;
};
