#include <kv3d/kv3d.h>

#include <gtest/gtest.h>

namespace {

// Reaches the protected translation function.
class ErrProbe : public Kv3dErr {
public:
    using Kv3dErr::translate_error_number;
};

const KvString kOtherDomainText("Kv3dErr");  // same text, another object
const KvString* const kOtherDomain = &kOtherDomainText;
const KvString* const kNoDomain = nullptr;

// Identity is by address: another string with the same text is another
// domain, whose numbers count only within the shared range -1 .. 15. Shared
// numbers translate as the shared texts, this library's own number 16 as its
// own (empty) text, and only from its own domain.
TEST(Err, NumbersAndTranslation) {
    KvResult r;
    EXPECT_EQ(Kv3dErr::error_number(r), -1) << "case: no condition";
    Kv3dErr::make_result(42, Kv3dErr::GEOMETRY_ERROR, r);
    EXPECT_EQ(Kv3dErr::error_number(r), 16) << "case: own number";
    EXPECT_STREQ(r.message(), "") << "case: own number";
    KvResult::CodeID code = 0;
    int number = 0;
    const KvString* const* own = nullptr;
    r.get_error_condition(code, number, own);
    ASSERT_NE(own, nullptr) << "case: own domain";
    EXPECT_STREQ((*own)->c_str(), "Kv3dErr") << "case: own domain";
    for (int n = -2; n <= 17; ++n) {
        const int shared = n >= -1 && n <= 15 ? n : -1;
        EXPECT_STREQ(ErrProbe::translate_error_number(*own, n),
                     n == 16 ? "" : KvErr::translate_error_number(kNoDomain, shared))
            << "case: number " << n;
        r.set_error_condition(1, n, &kOtherDomain, nullptr);
        EXPECT_EQ(Kv3dErr::error_number(r), shared) << "case: other domain, number " << n;
    }
    EXPECT_STREQ(ErrProbe::translate_error_number(kOtherDomain, 16),
                 KvErr::translate_error_number(kNoDomain, -1))
        << "case: own number from another domain";
}

}  // namespace
