// The desktop program's preparation of a typed project name, shared by the
// window and the command-line converter so that both give the same 30 bytes.
#pragma once

#include <string>
#include <string_view>

namespace tf {

// How the typed name is encoded: UTF-8 (the desktop program's text, Linux
// command lines) or one byte per character (a Windows command line in the
// ANSI code page).
enum class NameEncoding { Utf8, SingleByte };

// Exactly 30 characters from the first 30 typed: blanks and the codes 34 to 125
// are kept, every other character becomes a blank, a shorter name is padded
// with blanks. In UTF-8 every well-formed character counts as one, and so does
// every ill-formed piece (the longest start of a sequence that could still
// have become a character, else a single byte): the way browsers and
// terminals show such bytes, one mark each. A Latin-1 "Grüße" is then five
// characters, as its user typed them.
std::string prepare_name(std::string_view typed, NameEncoding encoding);

// The UTF-8 character, or ill-formed piece, that starts at s[i]: its length
// in bytes (at least 1) and whether it is a well-formed character.
struct Utf8Piece {
    std::size_t length;
    bool well_formed;
};
Utf8Piece utf8_piece(std::string_view s, std::size_t i);

} // namespace tf
