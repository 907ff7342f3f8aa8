#pragma once

#include <atomic>
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

}  // namespace cli_test
