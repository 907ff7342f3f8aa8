#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "Cli.h"

namespace cli_test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("kv3d-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes content (binary-safe) to name inside the directory; returns its path.
    std::string write(const std::string& name, const std::string& content) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out << content;
        return file.string();
    }
    std::string path(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool in-process with the given arguments (program name added).
inline CliResult run_kv3d(const std::vector<std::string>& args, const std::string& std_in = "") {
    std::vector<const char*> argv{"kv3d"};
    for (const std::string& a : args) {
        argv.push_back(a.c_str());
    }
    std::istringstream in(std_in);
    std::ostringstream out;
    std::ostringstream err;
    const int status = kv3dcli::run_cli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return CliResult{status, out.str(), err.str()};
}

// True when text is exactly one line ending in a newline.
inline bool is_one_line(const std::string& text) {
    return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

// Triangles as nine float coordinates each (p0, p1, p2).
using Mesh = std::vector<std::array<float, 9>>;

// A binary STL of mesh; the header announces `announced` triangles (the true
// count when negative).
inline std::string binary_stl(const Mesh& mesh, const std::string& header = "",
                              long long announced = -1) {
    std::string out = header.substr(0, 80);
    out.resize(80, ' ');
    auto put = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
        }
    };
    auto put_float = [&put](float f) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        put(bits);
    };
    put(static_cast<std::uint32_t>(announced < 0 ? static_cast<long long>(mesh.size())
                                                 : announced));
    for (const auto& t : mesh) {
        for (int k = 0; k < 3; ++k) {
            put_float(0.0f);  // the normal, which nothing reads
        }
        for (float c : t) {
            put_float(c);
        }
        out.append(2, '\0');
    }
    return out;
}

}  // namespace cli_test
