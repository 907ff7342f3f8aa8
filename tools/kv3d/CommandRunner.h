#pragma once

#include <exception>
#include <ostream>
#include <string>

#include "InputError.h"

namespace kv3dcli {

// Exit statuses of the tool.
enum ExitStatus : int { kExitOk = 0, kExitInternal = 1, kExitBadInput = 2 };

// Runs one command's body, which returns its finished report. On success the
// report goes to out; on bad input one line "kv3d: <reason>" goes to err,
// nothing to out, and the status is 2.
template <class Body>
int run_command(std::ostream& out, std::ostream& err, Body&& body) {
    std::string report;
    try {
        report = body();
    } catch (const InputError& e) {
        err << "kv3d: " << e.what() << '\n';
        return kExitBadInput;
    } catch (const std::exception& e) {
        err << "kv3d: internal error: " << e.what() << '\n';
        return kExitInternal;
    }
    out << report;
    out.flush();
    return kExitOk;
}

}  // namespace kv3dcli
