#pragma once

// Abstract forward iterator. Protocol: restart() at the first element; then,
// until at_end(), read current() and advance().
template <class T>
class KvIterator {
public:
    virtual void advance() = 0;
    virtual bool at_end() const = 0;
    virtual void restart() = 0;
    virtual const T* current() const = 0;
    virtual ~KvIterator() = default;
};
