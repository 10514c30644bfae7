#include "services/Registry.h"

#include <windows.h>

#include <vector>

#include "services/Handles.h"

namespace quellrin {
namespace {

HKEY RootKey(int root) {
    switch (root) {
    case 1:
        return HKEY_CLASSES_ROOT;
    case 2:
        return HKEY_CURRENT_CONFIG;
    case 4:
        return HKEY_LOCAL_MACHINE;
    case 5:
        return HKEY_USERS;
    default:
        return HKEY_CURRENT_USER;
    }
}

// Wine reports the needed size in characters, not bytes, so a double-byte
// expansion would not fit a buffer of that size: allow two bytes for each,
// and keep a NUL of our own at the end.
bool ExpandEnvironment(const Text& text, Text& out) {
    DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0)
        return false;
    std::vector<char> buffer(2 * static_cast<std::size_t>(needed) + 2, '\0');
    DWORD capacity = static_cast<DWORD>(buffer.size() - 1);
    DWORD written = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), capacity);
    if (written == 0 || written > capacity)
        return false;
    out.assign(buffer.data());
    return true;
}

// The value's text, or false for a value that is not read as text.
bool QueryText(HKEY key, const Text& valueName, Text& out) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        return false;
    std::vector<char> data(size);
    DWORD got = size;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &got) != ERROR_SUCCESS)
        return false;
    std::size_t length = 0;
    while (length < got && length < data.size() && data[length] != '\0')
        ++length;
    Text text(data.data(), length);
    if (type == REG_SZ) {
        out = text;
        return true;
    }
    return ExpandEnvironment(text, out);
}

} // namespace

void SplitRegistryPath(const Text& path, Text& keyPath, Text& valueName) {
    std::size_t cut = Text::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (c >= 0x80)
            ++i; // a double-byte character: its trail byte is never a separator
        else if (c == '\\')
            cut = i;
    }
    if (cut == Text::npos) {
        keyPath.clear();
        valueName = path;
    } else {
        keyPath = path.substr(0, cut);
        valueName = path.substr(cut + 1);
    }
}

Text ReadRegistryText(int root, const Text& path, const Text& defaultText) {
    Text keyPath, valueName;
    SplitRegistryPath(path, keyPath, valueName);
    UniqueKey key;
    if (RegOpenKeyExA(RootKey(root), keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return defaultText;
    Text out;
    return QueryText(key.get(), valueName, out) ? out : defaultText;
}

} // namespace quellrin
