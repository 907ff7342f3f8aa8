#pragma once

// What every tool test needs: the standard headers below, GoogleTest, a
// scratch directory, and runs of the tool in-process.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <unistd.h>

#include "Cli.h"

namespace cli_test {

// This run's scratch directory under the system's temporary directory,
// removed with its files at exit.
inline const std::filesystem::path& scratch_dir() {
    static const struct Dir {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("kv3d-cli-test-" + std::to_string(::getpid()));
        std::error_code ignored;
        Dir() { std::filesystem::create_directories(path); }
        ~Dir() { std::filesystem::remove_all(path, ignored); }
    } dir;
    return dir.path;
}

// Runs in the scratch directory while it lives, for file names without a path.
struct InScratch {
    const std::filesystem::path before = std::filesystem::current_path();
    InScratch() { std::filesystem::current_path(scratch_dir()); }
    ~InScratch() { std::filesystem::current_path(before); }
};

// The words of text between spaces (a tab belongs to its word).
inline std::vector<std::string> words(const std::string& text) {
    static const std::regex spaces(" +");
    return {std::sregex_token_iterator(text.begin(), text.end(), spaces, -1), {}};
}

// Writes content (binary-safe) to name in the scratch directory; returns its path.
inline std::string write_file(const std::string& name, const std::string& content) {
    std::ofstream(scratch_dir() / name, std::ios::binary) << content;
    return (scratch_dir() / name).string();
}

// The whole content of a file; empty when it cannot be read.
inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// How often part occurs in text, overlapping occurrences included.
inline std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// Whether text holds part; a failure shows both.
inline ::testing::AssertionResult contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "'" << part << "' is not in:\n" << text;
}

struct CliResult {
    int status;
    std::string out, err;
};

// Runs the tool in-process with the given arguments (program name added).
inline CliResult run_kv3d(const std::vector<std::string>& args, const std::string& std_in = "") {
    std::vector<const char*> argv{"kv3d"};
    for (const std::string& a : args) {
        argv.push_back(a.c_str());
    }
    std::istringstream in(std_in);
    std::ostringstream out, err;
    const int status = kv3dcli::run_cli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return CliResult{status, out.str(), err.str()};
}

// rsvg-convert's exit status on svg (0: rendered), its PNG written beside it.
inline int render(const std::string& svg) {
    const std::string command =
        "rsvg-convert -o '" + svg + ".png' '" + svg + "' 2>'" + svg + ".log'";
    return std::system(command.c_str());
}

// Triangles as nine float coordinates each (p0, p1, p2).
using Mesh = std::vector<std::array<float, 9>>;

// A binary STL of mesh under the given header; the count field says `announced`
// triangles (the true count when negative). Numbers go in the host's byte
// order, which is the format's little-endian on every host this builds on.
inline std::string binary_stl(const Mesh& mesh, std::string header = "", long long announced = -1) {
    header.resize(80, ' ');
    const auto n = static_cast<std::uint32_t>(announced < 0 ? mesh.size() : announced);
    header.append(reinterpret_cast<const char*>(&n), 4);
    for (const auto& t : mesh) {
        header.append(12, '\0');  // the normal, which nothing reads
        header.append(reinterpret_cast<const char*>(t.data()), 36);
        header.append(2, '\0');
    }
    return header;
}

}  // namespace cli_test
