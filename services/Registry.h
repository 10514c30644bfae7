// Reading one text value of the registry, with a default for every failure.
#pragma once

#include "services/Text.h"

namespace quellrin {

// Root numbers: 1 HKCR, 2 HKCC, 3 HKCU, 4 HKLM, 5 HKU, any other HKCU.
// `path` is the key path and the value name joined by the last backslash.
// Only REG_SZ and REG_EXPAND_SZ (expanded) are read; anything else gives
// `defaultText`. No key stays open.
Text ReadRegistryText(int root, const Text& path, const Text& defaultText);

// The key path and value name of `path`, split at its last backslash. The scan
// takes any byte of 0x80 or above together with the byte after it.
void SplitRegistryPath(const Text& path, Text& keyPath, Text& valueName);

} // namespace quellrin
