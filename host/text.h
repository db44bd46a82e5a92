// Table strings for people: plug-in texts are bytes in the host's ANSI code
// page, which is Shift-JIS (code page 932) for Japanese names.
#pragma once

#include <string>

namespace qhost {

// The text as UTF-8. Bytes that do not decode become \xNN escapes; a null
// pointer becomes an empty string.
std::string ansi_to_utf8(const char *text);

// The text in double quotes, with quotes, backslashes and control characters
// escaped, so that leading and trailing blanks show.
std::string quoted(const std::string &utf8);

// Without trailing blanks.
std::string trim_right(std::string s);

}  // namespace qhost
