// Text helpers of tavixcfg: number parsing, ANSI to UTF-8, JSON strings, and
// output that shows ANSI text right on a console as well as in a pipe.
#pragma once

#include <string>

namespace tavixcfg {

// A whole decimal number with an optional sign that fits a signed 32-bit
// integer; false for anything else (empty, spaces, hex, too large).
bool ParseInt32(const std::string& text, long* value);

// Text in the system's ANSI code page as UTF-8. Bytes the code page cannot
// map come out as the code page's replacement character, so the result is
// always valid UTF-8.
std::string AnsiToUtf8(const std::string& ansi);

// A JSON string literal (with its quotes) of UTF-8 text.
std::string JsonString(const std::string& utf8);

// Control bytes as \xNN so one value stays on one line of a table; every
// other byte as it is.
std::string Printable(const std::string& ansi);

// Writes ANSI text to standard output or error. On a console the text goes
// through the wide-character interface, so it shows right whatever the
// console's own code page; in a pipe or file the bytes go out unchanged.
void WriteOut(const std::string& ansi);
void WriteErr(const std::string& ansi);
// Writes bytes to standard output unchanged (UTF-8 JSON).
void WriteRaw(const std::string& bytes);

}  // namespace tavixcfg
