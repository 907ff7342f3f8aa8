#include "HelpText.h"

namespace kv3dcli {

const char* const kExitStatusText =
    "Exit status: 0 on success; 2 on bad input or arguments, with one line on\n"
    "standard error naming the file and line, and nothing on standard output.";

const char* const kPointFileText =
    "A point file holds one point a line: three numbers separated by blanks,\n"
    "tabs or commas. '#' starts a comment; blank lines are skipped. The file\n"
    "name '-' reads standard input.";

const char* const kPairsFileText =
    "A pairs file holds one pair a line: six numbers, the source point then its\n"
    "target point, separated by blanks, tabs or commas. '#' starts a comment;\n"
    "blank lines are skipped. The file name '-' reads standard input.";

const char* const kTriangleFileText =
    "A triangle file is a binary STL, an ASCII STL, or text with nine numbers a\n"
    "line (three vertices, separated by blanks, tabs or commas; '#' starts a\n"
    "comment). The format is told from the content, not the file name.";

std::string footer(std::initializer_list<const char*> paragraphs) {
    std::string text;
    for (const char* p : paragraphs) {
        if (!text.empty()) {
            text += "\n\n";
        }
        text += p;
    }
    return text;
}

}  // namespace kv3dcli
