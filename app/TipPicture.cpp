#include "app/TipPicture.h"

#include <climits>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace quellrin {
namespace {

// A damaged header can claim up to 65500 x 65500 pixels, 12 GB of bitmap;
// the tip picture is 400 x 250.
constexpr unsigned long long kMaxPixels = 4096ULL * 4096ULL;

// libjpeg ends on a fatal error by calling error_exit, which must not return:
// it jumps back into RunDecoder.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void OnFatalError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->escape, 1);
}

// libjpeg would print its messages to stderr, which a GUI program does not
// have; its warnings still count in num_warnings.
void OnMessage(j_common_ptr) {}

// The decoding proper. Only plain data lives in this frame, so the jump out
// of libjpeg skips no destructor; `out` belongs to the caller.
bool RunDecoder(jpeg_decompress_struct& cinfo, ErrorManager& err, const unsigned char* data,
                std::size_t size, DecodedPicture& out) {
    if (setjmp(err.escape))
        return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    unsigned long long pixels =
        static_cast<unsigned long long>(cinfo.image_width) * cinfo.image_height;
    if (pixels == 0 || pixels > kMaxPixels)
        return false;
    cinfo.out_color_space = JCS_EXT_BGR; // the byte order of a 24-bit DIB
    jpeg_start_decompress(&cinfo);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(cinfo.output_width);
    info.bmiHeader.biHeight = -static_cast<LONG>(cinfo.output_height); // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    out.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!out.bitmap || !bits)
        return false;
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);

    const std::size_t stride = (static_cast<std::size_t>(out.width) * 3 + 3) & ~std::size_t{3};
    auto* rows = static_cast<unsigned char*>(bits);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rows + cinfo.output_scanline * stride;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&cinfo);
    // A truncated file or a bad code is only a warning to libjpeg, which
    // fills in the rest; such a picture is not shown.
    return err.base.num_warnings == 0;
}

struct MemoryDcTraits {
    using Type = HDC;
    static Type none() { return nullptr; }
    static void close(Type h) { DeleteDC(h); }
};
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

} // namespace

DecodedPicture DecodeJpeg(const unsigned char* data, std::size_t size) {
    DecodedPicture out;
    if (!data || size == 0 || size > ULONG_MAX)
        return out;
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnFatalError;
    err.base.output_message = OnMessage;
    bool ok = RunDecoder(cinfo, err, data, size, out);
    jpeg_destroy_decompress(&cinfo);
    if (!ok)
        out = DecodedPicture{};
    return out;
}

void StretchPicture(HDC dc, const RECT& box, const DecodedPicture& picture) {
    if (!dc || !picture)
        return;
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source.get(), picture.bitmap.get());
    int saved = SaveDC(dc);
    if (GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) > 16) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr); // HALFTONE leaves the brush origin undefined
    } else {
        SetStretchBltMode(dc, COLORONCOLOR);
    }
    StretchBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, source.get(), 0,
               0, picture.width, picture.height, SRCCOPY);
    RestoreDC(dc, saved);
    SelectObject(source.get(), previous);
}

ResourceBytes TipPictureData() {
    // Resource data lies in the mapped image for the process's life: nothing to free.
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, "TIP_PICTURE", RT_RCDATA);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, found);
    if (!bytes || size == 0)
        return {};
    return {static_cast<const unsigned char*>(bytes), size};
}

void PaintTipPicture(HDC dc, const RECT& box) {
    // Decoded on the first paint; only the window thread paints.
    static const DecodedPicture picture = [] {
        ResourceBytes jpeg = TipPictureData();
        return DecodeJpeg(jpeg.data, jpeg.size);
    }();
    StretchPicture(dc, box, picture);
}

} // namespace quellrin
