#include <kv/KvArray.h>
#include <kv/KvCompare.h>
#include <kv/KvJournal.h>
#include <kv/KvMatrix.h>
#include <kv/KvResult.h>
#include <kv/KvString.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace {

const KvString kDomainName("kvtest");
const KvString* const kDomain = &kDomainName;

const char* translate(const KvString* const& domain, int number) {
    return domain != nullptr && number == 9 ? "nine" : nullptr;
}

// The message is the translation of the condition's number, or empty;
// without a condition the domain asked for is left as it was.
TEST(KvResult, MessageTranslatesTheCondition) {
    KvResult r;
    KvResult::CodeID code = 0;
    int number = 0;
    const KvString* const* domain = &kDomain;
    r.get_error_condition(code, number, domain);
    EXPECT_EQ(domain, &kDomain) << "case: no condition";
    EXPECT_FALSE(r.has_error()) << "case: no condition";
    r.set_error_condition(3, 9, &kDomain, translate);
    EXPECT_STREQ(r.message(), "nine") << "case: translated";
    r.set_error_condition(3, 4, &kDomain, translate);
    EXPECT_STREQ(r.message(), "") << "case: translation without text";
    r.set_error_condition(3, 9, &kDomain, nullptr);
    EXPECT_STREQ(r.message(), "") << "case: no translation";
}

TEST(KvJournal, NumbersTokensAndIndentation) {
    std::ostringstream out;
    KvJournal j(out);
    j << 0.5 << " " << -8000.0 << " " << 1e-06 << " " << -0.0 << " " << 0.1 << " " << -7 << " "
      << INT_MIN << kvEndExpr;
    EXPECT_EQ(out.str(), "0.5 -8000 1e-06 -0 0.1 -7 -2147483648\n") << "case: numbers";
    out.str("");
    j << static_cast<const char*>(nullptr) << "a";
    Kv_DebugIndentation(j, 3);
    j << "b";
    Kv_DebugIndentation(j, -4);
    j << "c";
    EXPECT_EQ(out.str(), "a   bc") << "case: null text, indentation 3 and -4";
    EXPECT_EQ(Kv_DebugIndentStep(), 2) << "case: indentation step";
}

// Plain <, so NaN keys compare equal to everything.
class ByValue : public KvCompare<double> {
public:
    explicit ByValue(bool is_ordered = true) : ordered_(is_ordered) {}
    bool ordered() const override { return ordered_; }
    KvCompare<double>* clone() const override { return new ByValue(*this); }

protected:
    int compare(const double& a, const double& b) const override { return (b < a) - (a < b); }

private:
    bool ordered_;
};

std::vector<double> items(const KvArray<double>& a) { return {a.begin(), a.end()}; }

// Resizing keeps or renews the elements. Sorting is stable; an unordered
// comparison leaves the array alone; NaN keys (equal to everything) keep
// every element within the array.
TEST(KvArray, ResizeAndSort) {
    KvArray<double> a{1.0, 2.0, 3.0};
    a.resize(4);
    EXPECT_EQ(items(a), (std::vector<double>{1, 2, 3, 0})) << "case: grown, kept";
    a.resize(3, false);
    EXPECT_EQ(items(a), (std::vector<double>{0, 0, 0})) << "case: shrunk, renewed";
    a = KvArray<double>{3.0, 0.0, -1.0, -0.0, 2.5};
    a.sort(ByValue());
    EXPECT_EQ(items(a), (std::vector<double>{-1, 0, 0, 2.5, 3})) << "case: ascending";
    EXPECT_TRUE(std::signbit(a[2])) << "case: equal keys keep their order";
    a = KvArray<double>{2.0, 1.0};
    a.sort(ByValue(false));
    EXPECT_EQ(a[0], 2.0) << "case: not an order";
    std::vector<double> values(200);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = i % 7 == 0 ? NAN : std::sin(i * 1.7);
    KvArray<double> n(values);
    n.sort(ByValue());
    const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    EXPECT_TRUE(std::is_permutation(n.begin(), n.end(), values.begin(), same))
        << "case: NaN keys, every element kept";
}

TEST(KvMatrix, LayoutAndResize) {
    KvMatrix<double> m(2, 3);
    for (int k = 0; k < 6; ++k) m(k / 3, k % 3) = 10 * (k / 3) + k % 3;
    EXPECT_EQ(m.data()[1 + 2 * m.rows()], 12.0) << "case: column-major";
    m.resize(3, 2);
    EXPECT_EQ(m(1, 1), 11.0) << "case: resized, entry kept";
    EXPECT_EQ(m(2, 0), 0.0) << "case: resized, new entry";
    m.resize(-1, 4);
    EXPECT_EQ(m.rows(), 0) << "case: negative size";
}

}  // namespace
