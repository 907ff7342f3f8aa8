#pragma once

// Abstract three-way comparison of two values of T. A derived class defines
// compare(): negative when a comes before b, positive when after, 0 when the
// two are equivalent. ordered() says whether the comparison is an order that
// a sort may use.
template <class T>
class KvCompare {
public:
    KvCompare() = default;
    KvCompare(const KvCompare&) = default;
    KvCompare& operator=(const KvCompare&) { return *this; }
    virtual ~KvCompare() = default;

    virtual bool ordered() const = 0;
    // A heap copy, owned by the caller and destroyed through this interface.
    virtual KvCompare* clone() const = 0;

    bool eq(const T& a, const T& b) const { return compare(a, b) == 0; }
    bool neq(const T& a, const T& b) const { return compare(a, b) != 0; }
    bool lt(const T& a, const T& b) const { return compare(a, b) < 0; }
    bool gt(const T& a, const T& b) const { return compare(a, b) > 0; }
    bool leq(const T& a, const T& b) const { return compare(a, b) <= 0; }
    bool geq(const T& a, const T& b) const { return compare(a, b) >= 0; }
    int operator()(const T& a, const T& b) const { return compare(a, b); }

protected:
    virtual int compare(const T& a, const T& b) const = 0;
};
