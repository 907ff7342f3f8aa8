#pragma once

#include <initializer_list>
#include <string>

namespace kv3dcli {

// Texts that several help screens share, written once.
extern const char* const kExitStatusText;
extern const char* const kPointFileText;
extern const char* const kPairsFileText;
extern const char* const kTriangleFileText;

// Paragraphs joined by blank lines, as a help footer.
std::string footer(std::initializer_list<const char*> paragraphs);

}  // namespace kv3dcli
