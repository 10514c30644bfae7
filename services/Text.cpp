#include "services/Text.h"

#include <windows.h>

#include <vector>

namespace quellrin {

Text LeftBytes(const Text& text, long long n) {
    if (n <= 0)
        return Text();
    if (static_cast<unsigned long long>(n) >= text.size())
        return text;
    return text.substr(0, static_cast<std::size_t>(n));
}

bool IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

std::size_t FindLastBackslash(const Text& path) {
    std::size_t found = Text::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(c)) {
            ++i; // the trail byte is part of this character
        } else if (c == '\\') {
            found = i;
        }
    }
    return found;
}

bool EndsWithBackslash(const Text& path) {
    return !path.empty() && FindLastBackslash(path) == path.size() - 1;
}

Text WithTrailingBackslash(const Text& path) {
    return EndsWithBackslash(path) ? path : path + "\\";
}

Text WithoutTrailingBackslashes(const Text& path) {
    Text out = path;
    while (EndsWithBackslash(out))
        out.pop_back();
    return out;
}

Text FoldPathCase(const Text& path) {
    Text out = path;
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c))
            ++i;
        else if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

Text FullPath(const Text& path) {
    if (path.empty())
        return path;
    DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::vector<char> buffer(needed + 1);
    DWORD written = GetFullPathNameA(path.c_str(), needed + 1, buffer.data(), nullptr);
    if (written == 0 || written > needed)
        return path;
    return Text(buffer.data(), written);
}

bool IsSameOrInside(const Text& path, const Text& folder) {
    Text p = FoldPathCase(WithoutTrailingBackslashes(FullPath(path)));
    Text f = FoldPathCase(WithoutTrailingBackslashes(FullPath(folder)));
    if (p.empty() || f.empty())
        return false;
    if (p == f)
        return true;
    // A prefix counts only when it ends at a separator of its own.
    Text prefix = WithTrailingBackslash(f);
    return p.size() > prefix.size() && p.compare(0, prefix.size(), prefix) == 0 &&
           FindLastBackslash(p.substr(0, prefix.size())) == prefix.size() - 1;
}

} // namespace quellrin
