#pragma once

#include <kv/kvcore_export.h>

class KvString;

// The error numbers shared by the whole family, -1 to 15.
class KVCORE_API KvErr {
public:
    enum Number : int {
        UNKNOWN = -1,
        OK = 0,
        OUT_OF_MEMORY = 1,
        INVALID_ARGUMENT = 2,
        NULL_POINTER = 3,
        INDEX_OUT_OF_RANGE = 4,
        EMPTY_INPUT = 5,
        DEGENERATE_INPUT = 6,
        NOT_FOUND = 7,
        NOT_CONVERGED = 8,
        SINGULAR_MATRIX = 9,
        DIMENSION_MISMATCH = 10,
        NOT_IMPLEMENTED = 11,
        OVERFLOW_ERROR = 12,
        UNDERFLOW_ERROR = 13,
        NOT_A_NUMBER = 14,
        INTERNAL = 15
    };

    // The text of a shared number; numbers outside -1..15 get the text of -1.
    // The domain is not consulted: the shared numbers mean the same everywhere.
    static const char* translate_error_number(const KvString* const& domain, int number);
};
