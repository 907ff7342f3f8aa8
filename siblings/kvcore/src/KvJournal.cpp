#include <kv/KvJournal.h>

#include <charconv>
#include <ostream>
#include <string>

KvToken::~KvToken() = default;

void KvEndExprToken::write(KvJournal& journal) { journal << "\n"; }

KvEndExprToken kvEndExpr;

KvJournal& KvJournal::operator<<(const char* text) {
    if (text != nullptr) {
        *out_ << text;
    }
    return *this;
}

KvJournal& KvJournal::operator<<(double value) {
    // Shortest round-trip text; to_chars also spells inf, -inf and nan.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_->write(buffer, result.ptr - buffer);
    return *this;
}

KvJournal& KvJournal::operator<<(int value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_->write(buffer, result.ptr - buffer);
    return *this;
}

KvJournal& KvJournal::operator<<(KvToken& token) {
    token.write(*this);
    return *this;
}

void Kv_DebugIndentation(KvJournal& journal, int depth) {
    if (depth > 0) {
        const std::string blanks(static_cast<std::size_t>(depth), ' ');
        journal << blanks.c_str();
    }
}

int Kv_DebugIndentStep() { return 2; }
