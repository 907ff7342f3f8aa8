#include <kv/KvErr.h>
#include <kv/KvJournal.h>
#include <kv/KvResult.h>
#include <kv/KvString.h>

#include <climits>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

const KvString kDomainName("kvtest");
const KvString* const kDomain = &kDomainName;

const char* translate(const KvString* const& domain, int number) {
    return domain != nullptr && number == 9 ? "nine" : nullptr;
}

TEST(KvString, Text) {
    EXPECT_STREQ(KvString("abc").c_str(), "abc");
    EXPECT_STREQ(KvString(nullptr).c_str(), "");
    EXPECT_TRUE(KvString("x") == KvString("x"));
}

TEST(KvResult, WithAndWithoutCondition) {
    KvResult none;
    EXPECT_FALSE(none.has_error());
    EXPECT_STREQ(none.message(), "");
    KvResult::CodeID code = -5;
    int number = -5;
    const KvString* const* domain = &kDomain;
    none.get_error_condition(code, number, domain);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(domain, &kDomain);  // left as it was

    KvResult r;
    r.set_error_condition(3, 9, &kDomain, translate);
    domain = nullptr;
    r.get_error_condition(code, number, domain);
    EXPECT_TRUE(r.has_error());
    EXPECT_EQ(code, 3);
    EXPECT_EQ(number, 9);
    EXPECT_EQ(domain, &kDomain);
    EXPECT_STREQ(r.message(), "nine");
    r.set_error_condition(3, 4, &kDomain, translate);  // translation without text
    EXPECT_STREQ(r.message(), "");
    r.set_error_condition(3, 9, &kDomain, nullptr);
    EXPECT_STREQ(r.message(), "");
}

TEST(KvErr, TextsOfSharedNumbers) {
    std::set<std::string> texts;
    for (int n = -1; n <= 15; ++n) {
        const char* text = KvErr::translate_error_number(kDomain, n);
        ASSERT_NE(text, nullptr);
        EXPECT_GT(std::strlen(text), 0u);
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 17u);
    const std::string unknown = KvErr::translate_error_number(nullptr, -1);
    for (int n : {-2, 16, INT_MIN, INT_MAX}) {
        EXPECT_EQ(KvErr::translate_error_number(nullptr, n), unknown) << n;
    }
}

TEST(KvJournal, NumbersTokensAndIndentation) {
    std::ostringstream out;
    KvJournal j(out);
    j << 0.5 << " " << 8000.0 << " " << -8000.0 << " " << 1e-06 << " " << -0.0 << " " << 0.1 << " "
      << 42 << " " << -7 << " " << INT_MIN << kvEndExpr;
    EXPECT_EQ(out.str(), "0.5 8000 -8000 1e-06 -0 0.1 42 -7 -2147483648\n");

    out.str("");
    j << static_cast<const char*>(nullptr) << "a";
    Kv_DebugIndentation(j, 3);
    j << "b";
    Kv_DebugIndentation(j, 0);
    Kv_DebugIndentation(j, -4);
    j << "c";
    EXPECT_EQ(out.str(), "a   bc");
    EXPECT_EQ(Kv_DebugIndentStep(), 2);
    EXPECT_EQ(static_cast<int>(static_cast<KvDebug>(2)), 2);
}

}  // namespace
