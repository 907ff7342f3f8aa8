#pragma once

#include <kv/kvcore_export.h>

class KvString;

// The outcome of an operation: either no condition, or an error condition
// made of a code id, a number, the domain that owns the number (identified by
// the address of the domain's string pointer) and the function that turns the
// number into a message.
class KVCORE_API KvResult {
public:
    using CodeID = int;
    using TranslateFn = const char* (*)(const KvString* const& domain, int number);

    KvResult() = default;

    void set_error_condition(CodeID code, int number, const KvString* const* domain,
                             TranslateFn translate);
    // Reads the condition back. Without a condition, code and number are 0
    // and domain is left as it was.
    void get_error_condition(CodeID& code, int& number, const KvString* const*& domain) const;
    bool has_error() const { return domain_ != nullptr; }
    // The translation of the stored number; "" without a condition.
    const char* message() const;

private:
    CodeID code_ = 0;
    int number_ = 0;
    const KvString* const* domain_ = nullptr;
    TranslateFn translate_ = nullptr;
};
