#pragma once
// Conversion between the program's UTF-8 text and the system's ANSI code page.
// Natively the ANSI code page is Windows-1252; on Windows it is the system's.

#include <string>

namespace tf {

// Converts to the ANSI code page. Characters it cannot represent become
// `replacement`; `lossless` tells whether every character made it.
std::string Utf8ToAnsi(const std::string &utf8, bool *lossless = nullptr, char replacement = '?');
std::string AnsiToUtf8(const std::string &ansi);

} // namespace tf
