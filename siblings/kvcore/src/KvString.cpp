#include <kv/KvString.h>

KvString::KvString(const char* text) : text_(text != nullptr ? text : "") {}

KvString::~KvString() = default;
