#include <kv/KvErr.h>

namespace {

const char* const kTexts[] = {
    "unknown error",               // -1
    "no error",                    // 0
    "out of memory",               // 1
    "invalid argument",            // 2
    "null pointer",                // 3
    "index out of range",          // 4
    "empty input",                 // 5
    "degenerate input",            // 6
    "not found",                   // 7
    "iteration did not converge",  // 8
    "singular matrix",             // 9
    "dimension mismatch",          // 10
    "not implemented",             // 11
    "numeric overflow",            // 12
    "numeric underflow",           // 13
    "not a number",                // 14
    "internal error",              // 15
};

}  // namespace

const char* KvErr::translate_error_number(const KvString* const&, int number) {
    if (number < -1 || number > 15) {
        number = -1;
    }
    return kTexts[number + 1];
}
