#pragma once
// Every text of the main program that a user reads in one language or the
// other, by message id; the words themselves live in one table in messages.cpp,
// one column per language. Call sites name the message, never the words.

#include "app/shell/message_ids.h"
#include "platform/language.h"

#include <string>

namespace tf {

// The text of `id` in `language`; byte for byte what the user is shown.
const char *Text(Msg id, Language language);

// The text with its placeholder {1} replaced by `argument`.
std::string Text(Msg id, Language language, const std::string &argument);
// ... {1} by `first` and {2} by `second`, wherever the language puts them.
std::string Text(Msg id, Language language, const std::string &first, const std::string &second);

} // namespace tf
