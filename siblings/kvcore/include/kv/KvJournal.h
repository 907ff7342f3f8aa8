#pragma once

#include <kv/kvcore_export.h>

#include <iosfwd>

class KvJournal;

// The detail level passed to every debug member; used as static_cast<KvDebug>(n).
enum KvDebug : int { KV_DEBUG_OFF = 0, KV_DEBUG_LOW = 1, KV_DEBUG_MEDIUM = 2, KV_DEBUG_HIGH = 3 };

// Something a journal writes by asking the token to write itself.
class KVCORE_API KvToken {
public:
    virtual ~KvToken();
    virtual void write(KvJournal& journal) = 0;
};

// Ends one journal expression: writes "\n".
class KVCORE_API KvEndExprToken : public KvToken {
public:
    void write(KvJournal& journal) override;
};

extern KVCORE_API KvEndExprToken kvEndExpr;

// Diagnostic text stream over a caller's std::ostream. A double is written
// as the shortest text that reads back to the same double (0.5, 8000, 1e-06,
// -0); an int as its decimal digits.
class KVCORE_API KvJournal {
public:
    explicit KvJournal(std::ostream& out) : out_(&out) {}

    KvJournal& operator<<(const char* text);
    KvJournal& operator<<(double value);
    KvJournal& operator<<(int value);
    KvJournal& operator<<(KvToken& token);

private:
    std::ostream* out_;
};

// Writes depth blanks (none for depth <= 0).
KVCORE_API void Kv_DebugIndentation(KvJournal& journal, int depth);
// The depth increment for nested objects.
KVCORE_API int Kv_DebugIndentStep();
