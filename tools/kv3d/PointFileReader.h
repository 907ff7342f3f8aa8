#pragma once

#include <kv/KvArray.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dPoint.h>

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "CommonArgs.h"
#include "InputText.h"

namespace kv3dcli {

// Reads the tool's text files of numbers: one record a line, its numbers
// separated by blanks, tabs or single commas; '#' starts a comment; blank
// lines are skipped. A point file has three numbers a line, a pairs file six
// (source point, then target point), a number file one. Every number must be finite. Failures
// throw InputError naming the file and the line.
class PointFileReader {
public:
    // std_in serves the path "-"; progress, when not null, is the terminal
    // that shows how far a long read has come.
    explicit PointFileReader(std::istream& std_in, std::ostream* progress = nullptr)
        : std_in_(&std_in), progress_(progress) {}
    // The reader of a command's inputs.
    explicit PointFileReader(const CommonArgs& args)
        : PointFileReader(input_stream(args), args.progress) {}

    // The points of path; at least min_points of them.
    KvArray<Kv3dPoint> read_points(const std::string& path, std::size_t min_points) const;
    // The (source, target) pairs of path; at least min_pairs of them.
    KvArray<KvPair<Kv3dPoint, Kv3dPoint>> read_pairs(const std::string& path,
                                                     std::size_t min_pairs) const;
    // The numbers of path, one a line (weights, for instance).
    KvArray<double> read_numbers(const std::string& path) const;

    // The records of width numbers each in input, flattened in file order.
    static std::vector<double> parse_records(const InputText& input, int width);

private:
    std::istream* std_in_;
    std::ostream* progress_;
};

}  // namespace kv3dcli
