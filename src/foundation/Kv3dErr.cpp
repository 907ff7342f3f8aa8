#include <kv3d/Kv3dErr.h>

#include <kv/KvErr.h>
#include <kv3d/detail/Kv3dLoadTime.h>

namespace {

constexpr int kOwnFirst = Kv3dErr::LAST_SHARED + 1;
constexpr int kOwnLast = Kv3dErr::GEOMETRY_ERROR;

// This library's own message texts, indexed by number - 16.
const char* const kOwnTexts[kOwnLast - kOwnFirst + 1] = {""};

}  // namespace

// The domain identity: conditions carry the address of this constant pointer
// to the domain string built at load.
const KvString* const Kv3dErr::domain_ = &kv3d_detail::error_domain_string;

void Kv3dErr::make_result(KvResult::CodeID code, ErrorNumber number, KvResult& result) {
    result.set_error_condition(code, number, &domain_, &Kv3dErr::translate_error_number);
}

Kv3dErr::ErrorNumber Kv3dErr::error_number(const KvResult& result) {
    KvResult::CodeID code = 0;
    int number = 0;
    const KvString* const* domain = nullptr;
    result.get_error_condition(code, number, domain);
    if (domain == nullptr || number < -1 || number > kOwnLast) {
        return UNKNOWN;
    }
    if (number < kOwnFirst) {
        return static_cast<ErrorNumber>(number);
    }
    return *domain == domain_ ? static_cast<ErrorNumber>(number) : UNKNOWN;
}

const char* Kv3dErr::translate_error_number(const KvString* const& domain, int number) {
    if (number < -1 || number > kOwnLast || (number >= kOwnFirst && domain != domain_)) {
        return KvErr::translate_error_number(domain, -1);
    }
    if (number < kOwnFirst) {
        return KvErr::translate_error_number(domain, number);
    }
    return kOwnTexts[number - kOwnFirst];
}
