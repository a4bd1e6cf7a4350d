#pragma once
// The languages both programs speak.

namespace tf {

enum class Language { German, English };

} // namespace tf
