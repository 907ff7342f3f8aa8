#pragma once

#include <kv/KvErr.h>
#include <kv/KvResult.h>
#include <kv/KvString.h>
#include <kv3d/kv3d_export.h>

// This library's error domain. Numbers -1 to 15 are the family's shared
// numbers, accepted from any domain; 16 is this library's own and belongs
// only to conditions made here. A condition belongs to this library when its
// domain pointer leads to this library's domain string: the test compares
// addresses, not text.
class KV3D_API Kv3dErr {
public:
    // -1 to 15 are the family's shared numbers (KvErr::Number); callers may
    // use any of them here by value. 16 is this library's own.
    enum ErrorNumber : int {
        UNKNOWN = KvErr::UNKNOWN,
        OK = KvErr::OK,
        LAST_SHARED = KvErr::INTERNAL,
        GEOMETRY_ERROR = 16
    };

    Kv3dErr() = default;
    Kv3dErr(const Kv3dErr&) = default;
    Kv3dErr& operator=(const Kv3dErr&) { return *this; }

    // Records (code, number, this library's domain, its translation) in result.
    static void make_result(KvResult::CodeID code, ErrorNumber number, KvResult& result);
    // The number of result's condition; -1 without a condition, for numbers
    // outside -1..16, and for 16 from another domain.
    static ErrorNumber error_number(const KvResult& result);

protected:
    static const char* translate_error_number(const KvString* const& domain, int number);

private:
    static const KvString* const domain_;
};
