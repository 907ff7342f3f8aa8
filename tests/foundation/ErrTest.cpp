#include <kv3d/kv3d.h>

#include <cstring>

#include <gtest/gtest.h>

namespace {

// Reaches the protected translation function.
class ErrProbe : public Kv3dErr {
public:
    using Kv3dErr::translate_error_number;
};

const KvString kOtherDomainText("Kv3dErr");  // same text, another object
const KvString* const kOtherDomain = &kOtherDomainText;

const char* own_domain_translation(int number) {
    KvResult r;
    Kv3dErr::make_result(0, Kv3dErr::OK, r);
    KvResult::CodeID code = 0;
    int ignored = 0;
    const KvString* const* domain = nullptr;
    r.get_error_condition(code, ignored, domain);
    return ErrProbe::translate_error_number(*domain, number);
}

TEST(Err, NumberOfAResult) {
    KvResult none;
    EXPECT_EQ(Kv3dErr::error_number(none), -1);

    KvResult own;
    Kv3dErr::make_result(42, static_cast<Kv3dErr::ErrorNumber>(16), own);
    EXPECT_EQ(Kv3dErr::error_number(own), 16);
    KvResult::CodeID code = 0;
    int number = 0;
    const KvString* const* domain = nullptr;
    own.get_error_condition(code, number, domain);
    EXPECT_EQ(code, 42);
    EXPECT_EQ(number, 16);
    ASSERT_NE(domain, nullptr);
    EXPECT_STREQ((*domain)->c_str(), "Kv3dErr");
    EXPECT_STREQ(own.message(), "");

    // Identity is by address: another string with the same text is another domain.
    KvResult foreign;
    foreign.set_error_condition(1, 16, &kOtherDomain, nullptr);
    EXPECT_EQ(Kv3dErr::error_number(foreign), -1);
    foreign.set_error_condition(1, 5, &kOtherDomain, nullptr);
    EXPECT_EQ(Kv3dErr::error_number(foreign), 5);
    foreign.set_error_condition(1, 17, &kOtherDomain, nullptr);
    EXPECT_EQ(Kv3dErr::error_number(foreign), -1);
    foreign.set_error_condition(1, -2, &kOtherDomain, nullptr);
    EXPECT_EQ(Kv3dErr::error_number(foreign), -1);
    foreign.set_error_condition(1, -1, &kOtherDomain, nullptr);
    EXPECT_EQ(Kv3dErr::error_number(foreign), -1);
}

TEST(Err, Translation) {
    const KvString* const null_domain = nullptr;
    EXPECT_STREQ(own_domain_translation(16), "");
    EXPECT_STREQ(own_domain_translation(17), KvErr::translate_error_number(null_domain, -1));
    EXPECT_STREQ(own_domain_translation(-5), KvErr::translate_error_number(null_domain, -1));
    for (int n = -1; n <= 15; ++n) {
        EXPECT_STREQ(own_domain_translation(n), KvErr::translate_error_number(null_domain, n));
    }
    // This library's own number from another domain translates as unknown.
    EXPECT_STREQ(ErrProbe::translate_error_number(kOtherDomain, 16),
                 KvErr::translate_error_number(null_domain, -1));

    KvResult r;
    Kv3dErr::make_result(0, Kv3dErr::INVALID_ARGUMENT, r);
    EXPECT_STREQ(r.message(), KvErr::translate_error_number(null_domain, 2));
    EXPECT_GT(std::strlen(r.message()), 0u);
}

}  // namespace
