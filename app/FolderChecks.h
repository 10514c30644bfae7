// The checks of the start button on the two chosen folders.
#pragma once

#include "services/Text.h"

namespace quellrin {

// Why a conversion from `source` into `target` must not start, as the message
// to show; the empty text when it may start. Both are non-empty.
Text RefuseConversion(const Text& source, const Text& target);

} // namespace quellrin
