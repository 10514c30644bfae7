// Texts are code page 936 byte strings. A path is scanned character by
// character: the trail byte of a double-byte character may be 0x5C ('\').
#pragma once

#include <cstddef>
#include <string>

namespace quellrin {

using Text = std::string;

// The first n bytes; a count of zero or less gives the empty text.
Text LeftBytes(const Text& text, long long n);

// Whether a byte starts a double-byte character of the ANSI code page.
bool IsLeadByte(unsigned char byte);

// Position of the last backslash that is a character of its own, or npos.
std::size_t FindLastBackslash(const Text& path);

// Whether the last character (not the last byte) is a backslash.
bool EndsWithBackslash(const Text& path);

Text WithTrailingBackslash(const Text& path);
Text WithoutTrailingBackslashes(const Text& path);

// ASCII letters folded to upper case; double-byte characters left as they are.
Text FoldPathCase(const Text& path);

// Whether `path` names `folder` itself or something below it. Case and
// trailing backslashes do not matter; both are made absolute first.
bool IsSameOrInside(const Text& path, const Text& folder);

// Absolute form of a path as Windows resolves it ("." and ".." removed,
// '/' read as '\'); the text itself when Windows cannot resolve it.
Text FullPath(const Text& path);

} // namespace quellrin
