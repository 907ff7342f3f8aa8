#pragma once

// Two values of possibly different types.
template <class A, class B>
class KvPair {
public:
    KvPair() : first(), second() {}
    KvPair(const A& a, const B& b) : first(a), second(b) {}

    A first;
    B second;
};
