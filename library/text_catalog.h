#pragma once
// How the three programs keep their texts: one table per program, one row per
// message id in the order of the ids, one column per language. A text names
// the words given with it as {1} .. {9}, so a translation may put them in
// another order. The table is checked while compiling: a missing, doubled or
// misplaced row, an empty column or a column whose placeholders differ from
// the first column's does not build, so looking a text up cannot fail.
//
// Standard C++ only: the installer, the main program and the converter (which
// builds without Windows) all include it.

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tf::catalog {

// A text that reads the same in every language (a log line, "OK"), written
// once instead of copied into each column.
struct Alike {
    const char *text;
};

template <typename Id, std::size_t Languages> struct Row {
    Id id;
    std::array<const char *, Languages> text;

    constexpr Row(Id row_id, std::array<const char *, Languages> texts) : id(row_id), text(texts) {}
    constexpr Row(Id row_id, Alike same) : id(row_id), text{} { text.fill(same.text); }
    constexpr Row(Id row_id, const char *only) requires(Languages == 1) : id(row_id), text{only} {}
};

// What the checks below answer when a table holds.
inline constexpr std::size_t kSound = static_cast<std::size_t>(-1);

// The first position whose row is not the id of that number (or the number of
// rows, when the table ends before `count`); kSound when every id from 0 to
// `count` - 1 has its row in its place.
template <typename Id, std::size_t Languages, std::size_t Rows>
constexpr std::size_t FirstMisplacedRow(const Row<Id, Languages> (&rows)[Rows], Id count) {
    for (std::size_t i = 0; i < Rows; ++i)
        if (static_cast<std::size_t>(rows[i].id) != i)
            return i;
    return Rows == static_cast<std::size_t>(count) ? kSound : Rows;
}

// The first row with a column that is missing or empty.
template <typename Id, std::size_t Languages, std::size_t Rows>
constexpr std::size_t FirstRowWithEmptyColumn(const Row<Id, Languages> (&rows)[Rows]) {
    for (std::size_t i = 0; i < Rows; ++i)
        for (const char *text : rows[i].text)
            if (text == nullptr || *text == '\0')
                return i;
    return kSound;
}

namespace detail {

constexpr bool IsPlaceholder(std::string_view text, std::size_t at) {
    return at + 2 < text.size() && text[at] == '{' && text[at + 1] >= '1' && text[at + 1] <= '9' &&
           text[at + 2] == '}';
}

// One bit per placeholder {1} .. {9} the text uses; bit 0 for a placeholder
// of another style ("{}", "%1"), which a text must not hold. Walks the bytes
// plainly: the converter's help alone is thousands of them, and the compiler
// counts every step of a constant evaluation.
constexpr unsigned Placeholders(const char *text) {
    unsigned used = 0;
    if (text == nullptr) // told as an empty column
        return 0;
    for (; *text != '\0'; ++text) {
        const char next = text[1];
        if (*text == '{' && next >= '1' && next <= '9' && text[2] == '}')
            used |= 1u << (next - '0');
        else if ((*text == '{' && next == '}') || (*text == '%' && next >= '1' && next <= '9'))
            used |= 1u;
    }
    return used;
}

} // namespace detail

// The first row whose columns do not all name the same placeholders, or that
// holds a placeholder of another style.
template <typename Id, std::size_t Languages, std::size_t Rows>
constexpr std::size_t FirstRowWithStrayPlaceholder(const Row<Id, Languages> (&rows)[Rows]) {
    for (std::size_t i = 0; i < Rows; ++i) {
        const unsigned first = detail::Placeholders(rows[i].text[0]);
        if (first & 1u)
            return i;
        for (const char *text : rows[i].text)
            if (detail::Placeholders(text) != first)
                return i;
    }
    return kSound;
}

// The text with each {n} replaced by the n-th of `words`. A placeholder with
// no word given stays as it stands; the words themselves are not searched.
inline std::string Fill(std::string_view text, std::initializer_list<std::string_view> words) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t n = detail::IsPlaceholder(text, i)
                                  ? static_cast<std::size_t>(text[i + 1] - '1')
                                  : words.size();
        if (n < words.size()) {
            out += *(words.begin() + n);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace tf::catalog

// The checks every program's table must pass. g++ names the failing row's
// position (counted from 0) in its note "the comparison reduces to (N == ...)".
#define TF_CATALOG_CHECK(rows, count)                                                              \
    static_assert(::tf::catalog::FirstMisplacedRow(rows, count) == ::tf::catalog::kSound,          \
                  "one row per message id, in the order of the ids");                              \
    static_assert(::tf::catalog::FirstRowWithEmptyColumn(rows) == ::tf::catalog::kSound,           \
                  "every language column of a row holds its text");                                \
    static_assert(::tf::catalog::FirstRowWithStrayPlaceholder(rows) == ::tf::catalog::kSound,      \
                  "every language column of a row names the same placeholders {1}..{9}")
