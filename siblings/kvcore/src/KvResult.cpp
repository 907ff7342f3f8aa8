#include <kv/KvResult.h>

void KvResult::set_error_condition(CodeID code, int number, const KvString* const* domain,
                                   TranslateFn translate) {
    code_ = code;
    number_ = number;
    domain_ = domain;
    translate_ = translate;
}

void KvResult::get_error_condition(CodeID& code, int& number,
                                   const KvString* const*& domain) const {
    code = code_;
    number = number_;
    if (domain_ != nullptr) {
        domain = domain_;
    }
}

const char* KvResult::message() const {
    if (domain_ == nullptr || translate_ == nullptr) {
        return "";
    }
    const char* text = translate_(*domain_, number_);
    return text != nullptr ? text : "";
}
