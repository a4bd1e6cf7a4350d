#include "platform/wildcard.h"

#include <cctype>

namespace tf {
namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Iterative matcher keeping one backtrack point, at the last "*" seen.
bool GlobMatch(const std::string &p, std::size_t pi, const std::string &n) {
    std::size_t ni = 0, star = std::string::npos, resume = 0;
    const std::size_t pend = pi;
    pi = 0;
    while (ni < n.size()) {
        if (pi < pend && (p[pi] == '?' || (p[pi] != '*' && Lower(p[pi]) == Lower(n[ni])))) {
            ++pi;
            ++ni;
        } else if (pi < pend && p[pi] == '*') {
            star = pi++;
            resume = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++resume;
        } else {
            return false;
        }
    }
    while (pi < pend && p[pi] == '*')
        ++pi;
    return pi == pend;
}

} // namespace

bool WildcardMatch(const std::string &pattern, const std::string &name) {
    if (pattern == "*.*" || pattern == "*")
        return true;
    if (GlobMatch(pattern, pattern.size(), name))
        return true;
    const std::size_t n = pattern.size();
    return n > 2 && pattern.compare(n - 2, 2, ".*") == 0 && GlobMatch(pattern, n - 2, name);
}

} // namespace tf
