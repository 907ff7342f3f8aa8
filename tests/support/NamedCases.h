#pragma once

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

// A run of exact expectations as a table: each row names its case, holds the
// value found and the value wanted, and fails on its own with its name.
template <class T>
struct NamedCase {
    std::string name;
    T got;
    T want;
};

template <class T>
void expect_each(std::initializer_list<NamedCase<T>> cases) {
    for (const NamedCase<T>& c : cases) {
        EXPECT_EQ(c.got, c.want) << "case: " << c.name;
    }
}
