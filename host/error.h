// Errors of the host: one line of text and the exit code it ends the run with.
#pragma once

#include <stdexcept>
#include <string>

namespace qhost {

enum Exit { kOk = 0, kFailed = 1, kBadInput = 2 };

class Error : public std::runtime_error {
  public:
    Error(Exit code, const std::string &what) : std::runtime_error(what), code_(code) {}
    Exit code() const { return code_; }

  private:
    Exit code_;
};

// "subject: what", with the subject left out when empty.
[[noreturn]] inline void fail(Exit code, const std::string &subject, const std::string &what) {
    throw Error(code, subject.empty() ? what : subject + ": " + what);
}

}  // namespace qhost
