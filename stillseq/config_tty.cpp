// Where there is no dialog, the pattern is edited on the controlling terminal.

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "stillseq.h"

namespace stillseq {

namespace {

void say(int fd, const std::string &text) {
    const char *p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t r = ::write(fd, p, left);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return;
        p += r;
        left -= size_t(r);
    }
}

}  // namespace

bool edit_pattern_line(int in, int out) {
    say(out, std::string("Numbered file names: %d = the number (as in printf)\n"
                         "Pattern [") + name_pattern + "], Enter keeps it: ");
    std::string line;
    bool too_long = false;
    for (;;) {
        char c;
        const ssize_t r = ::read(in, &c, 1);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            say(out, "\n");
            return false;  // end of input before a whole line: nothing changes
        }
        if (c == '\n') break;
        if (line.size() < size_t(kConfigSize))  // one byte over tells a line that is too long
            line += c;
        else
            too_long = true;
    }
    if (!too_long && !line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return false;
    if (too_long || line.size() > size_t(kConfigSize - 1)) {
        say(out, "Too long (at most 255 characters); the pattern stays as it was.\n");
        return false;
    }
    std::memcpy(name_pattern, line.c_str(), line.size() + 1);
    return true;
}

BOOL QP_CDECL config(HWND, HINSTANCE) {
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return TRUE;  // no controlling terminal: nothing to ask
    edit_pattern_line(tty, tty);
    ::close(tty);
    return TRUE;
}

}  // namespace stillseq
