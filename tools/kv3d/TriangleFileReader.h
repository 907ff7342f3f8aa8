#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "CommonArgs.h"
#include "InputReader.h"
#include "InputText.h"

namespace kv3dcli {

// A set of triangles as read from a file: nine coordinates per triangle
// (p0, p1, p2), in file order.
struct TriangleSet {
    std::string name;
    std::string format;
    std::vector<double> coords;

    std::size_t size() const { return coords.size() / 9; }
    const double* triangle(std::size_t i) const { return coords.data() + 9 * i; }
};

// Reads a triangle file through one fixed buffer (no copy of the whole
// file), telling the format from the content, never from the name:
// - binary STL: an 80-byte header, a little-endian uint32 triangle count and
//   50 bytes per triangle (normal, three vertices as float32, a uint16), the
//   file size matching the count exactly;
// - ASCII STL: starts with "solid" and holds facet / outer loop / vertex /
//   endloop / endfacet / endsolid lines;
// - text: nine numbers a line, written like a point file.
// A binary header may itself start with "solid", so the size test comes
// first. Every vertex coordinate must be finite (normals are not used).
// Failures throw InputError naming the file and the line (or triangle).
class TriangleFileReader {
public:
    // std_in serves the path "-"; progress, when not null, is the terminal
    // that shows how far a long read has come.
    explicit TriangleFileReader(std::istream& std_in, std::ostream* progress = nullptr)
        : std_in_(&std_in), progress_(progress) {}
    // The reader of a command's inputs.
    explicit TriangleFileReader(const CommonArgs& args)
        : TriangleFileReader(input_stream(args), args.progress) {}

    // The triangles of path; at least min_triangles of them.
    TriangleSet read(const std::string& path, std::size_t min_triangles) const;

    // The triangles of an input already in memory.
    static TriangleSet parse(const InputText& input);

private:
    static TriangleSet parse(InputReader& input, std::ostream* terminal);
    static void parse_binary_stl(InputReader& input, TriangleSet& set);
    static void parse_ascii_stl(InputReader& input, TriangleSet& set);

    std::istream* std_in_;
    std::ostream* progress_;
};

}  // namespace kv3dcli
