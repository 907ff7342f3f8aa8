#include "InputReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <istream>

#include "InputError.h"

namespace kv3dcli {

namespace {

std::string system_reason(int error) {
    return error != 0 ? std::string(std::strerror(error)) : std::string("read error");
}

}  // namespace

InputReader::InputReader(const std::string& path, std::istream& std_in)
    : name_(input_display_name(path)), buffer_(new char[kBufferBytes]) {
    begin_ = end_ = buffer_.get();
    if (path == "-") {
        stream_ = &std_in;
        return;
    }
    errno = 0;
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_) {
        throw InputError(path, "cannot open: " + system_reason(errno));
    }
    struct stat info {};
    if (fstat(fileno(file_.get()), &info) == 0 && S_ISREG(info.st_mode)) {
        size_ = static_cast<std::uint64_t>(info.st_size);
    }
}

InputReader::InputReader(const InputText& input)
    : name_(input.name),
      begin_(input.data.data()),
      end_(input.data.data() + input.data.size()),
      at_eof_(true),
      size_(input.data.size()) {}

bool InputReader::refill() {
    if (at_eof_) {
        return false;
    }
    char* const start = buffer_.get();
    const std::size_t kept = static_cast<std::size_t>(end_ - begin_);
    if (kept == kBufferBytes) {
        throw InputError(name_, line_number_ + 1,
                         "line longer than " + std::to_string(kBufferBytes) + " bytes");
    }
    std::memmove(start, begin_, kept);
    char* const free_space = start + kept;
    const std::size_t wanted = kBufferBytes - kept;
    std::size_t got = 0;
    if (stream_ != nullptr) {
        stream_->read(free_space, static_cast<std::streamsize>(wanted));
        got = static_cast<std::size_t>(stream_->gcount());
        if (stream_->bad()) {
            throw InputError(name_, "cannot read standard input");
        }
    } else {
        errno = 0;
        got = std::fread(free_space, 1, wanted, file_.get());
        if (got < wanted && std::ferror(file_.get())) {
            throw InputError(name_, "cannot read: " + system_reason(errno));
        }
    }
    at_eof_ = got < wanted;
    begin_ = start;
    end_ = free_space + got;
    return got > 0;
}

bool InputReader::next(std::string_view& line) {
    for (;;) {
        const std::size_t available = static_cast<std::size_t>(end_ - begin_);
        const void* newline = std::memchr(begin_, '\n', available);
        if (newline != nullptr) {
            const char* const stop = static_cast<const char*>(newline);
            line = std::string_view(begin_, static_cast<std::size_t>(stop - begin_));
            consumed_ += line.size() + 1;
            begin_ = stop + 1;
            ++line_number_;
            return true;
        }
        if (!refill()) {
            if (begin_ == end_) {
                return false;
            }
            // The last line has no '\n'.
            line = std::string_view(begin_, static_cast<std::size_t>(end_ - begin_));
            consumed_ += line.size();
            begin_ = end_;
            ++line_number_;
            return true;
        }
    }
}

std::string_view InputReader::peek(std::size_t n) {
    n = std::min(n, kBufferBytes);
    while (static_cast<std::size_t>(end_ - begin_) < n && refill()) {
    }
    return std::string_view(begin_, std::min(n, static_cast<std::size_t>(end_ - begin_)));
}

std::size_t InputReader::read(char* out, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        if (begin_ == end_ && !refill()) {
            break;
        }
        const std::size_t take = std::min(n - done, static_cast<std::size_t>(end_ - begin_));
        std::memcpy(out + done, begin_, take);
        begin_ += take;
        done += take;
    }
    consumed_ += done;
    return done;
}

std::size_t InputReader::count_lines(const std::string& path) {
    if (path == "-") {
        return 0;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return 0;
    }
    std::unique_ptr<char[]> buffer(new char[kBufferBytes]);
    std::size_t lines = 1;
    for (;;) {
        const std::size_t got = std::fread(buffer.get(), 1, kBufferBytes, file.get());
        const char* p = buffer.get();
        const char* const end = p + got;
        while (const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
            ++lines;
            p = static_cast<const char*>(newline) + 1;
        }
        if (got < kBufferBytes) {
            return std::ferror(file.get()) ? 0 : lines;
        }
    }
}

}  // namespace kv3dcli
