#pragma once
// Matching file names against the wildcard patterns the programs pass.

#include <string>

namespace tf {

// "*" and "?" as on Windows, ignoring ASCII case; "*.*" matches every name and
// a pattern ending in ".*" also matches the name without any extension.
bool WildcardMatch(const std::string &pattern, const std::string &name);

} // namespace tf
