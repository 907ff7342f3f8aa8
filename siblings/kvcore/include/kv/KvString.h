#pragma once

#include <kv/kvcore_export.h>

#include <string>

// An immutable character string.
class KVCORE_API KvString {
public:
    KvString() = default;
    KvString(const char* text);
    KvString(const KvString&) = default;
    KvString& operator=(const KvString&) = default;
    virtual ~KvString();

    const char* c_str() const { return text_.c_str(); }
    bool operator==(const KvString& other) const { return text_ == other.text_; }

private:
    std::string text_;
};
