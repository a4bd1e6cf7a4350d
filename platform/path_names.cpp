#include "platform/path_names.h"

#include "platform/filesystem.h"

#include <cctype>

namespace tf {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string Comparable(const std::string &p) {
    std::string out = p.rfind("\\\\?\\", 0) == 0 ? p.substr(4) : p;
    for (char &c : out)
        c = IsSeparator(c) ? '\\' : Lower(c);
    while (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

} // namespace

char DriveLetterOf(const std::string &name) {
    const bool ok =
        !name.empty() && std::isalpha(static_cast<unsigned char>(name[0])) &&
        (name.size() == 1 ||
         (name[1] == ':' && (name.size() == 2 || (name.size() == 3 && IsSeparator(name[2])))));
    if (!ok)
        throw FsError("invalid drive name '" + name + "'");
    return Lower(name[0]);
}

std::string DriveNameOf(const std::string &path) {
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
        return path.substr(0, 2);
    return "";
}

bool SamePath(const std::string &a, const std::string &b) {
    return Comparable(a) == Comparable(b);
}

} // namespace tf
