// The tip picture: JPEG data decoded with libjpeg into a bitmap, and drawn
// stretched over a picture box.
#pragma once

#include <windows.h>

#include <cstddef>

#include "services/Handles.h"

namespace quellrin {

// A decoded picture: a 24-bit top-down DIB section. Empty when decoding failed.
struct DecodedPicture {
    UniqueGdiObject bitmap;
    int width = 0;
    int height = 0;

    explicit operator bool() const { return static_cast<bool>(bitmap); }
};

// Decodes one JPEG image from memory. Damaged data, truncated or corrupt,
// gives an empty picture; libjpeg's own warnings count as damage.
DecodedPicture DecodeJpeg(const unsigned char* data, std::size_t size);

// Stretches the whole picture over `box` (SRCCOPY), smoothing it on displays
// of more than 16 bits per pixel. An empty picture draws nothing, so what is
// already in the box stays.
void StretchPicture(HDC dc, const RECT& box, const DecodedPicture& picture);

// The JPEG data of the tip picture among this program's resources
// (RCDATA "TIP_PICTURE"); size 0 when it is missing.
struct ResourceBytes {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};
ResourceBytes TipPictureData();

// The paint handler of the tip window's picture box: the tip picture,
// decoded on first use and kept for the program's life.
void PaintTipPicture(HDC dc, const RECT& box);

} // namespace quellrin
