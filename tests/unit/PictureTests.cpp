// The tip picture: the committed JPEG decoded and stretched over boxes of
// several sizes, damaged copies of it refused without harm, and the tip
// window's picture box showing it in a real window. This program carries the
// committed picture as a resource under the name the program uses.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/TipPicture.h"
#include "app/Windows.h"
#include "services/Handles.h"
#include "services/WindowLayer.h"

namespace {

using namespace quellrin;

using Bytes = std::vector<unsigned char>;

constexpr COLORREF kMarker = RGB(255, 0, 255); // in no corner of the tip picture

struct MemoryDcTraits {
    using Type = HDC;
    static Type none() { return nullptr; }
    static void close(Type h) { DeleteDC(h); }
};

// A 32-bit top-down bitmap selected into a memory DC, to paint on and read back.
class Canvas {
  public:
    Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<std::uint32_t*>(bits);
        dc_.reset(CreateCompatibleDC(nullptr));
        previous_ = SelectObject(dc_.get(), bitmap_.get());
        RECT all{0, 0, width, height};
        UniqueGdiObject brush(CreateSolidBrush(fill));
        FillRect(dc_.get(), &all, static_cast<HBRUSH>(brush.get()));
    }
    ~Canvas() { SelectObject(dc_.get(), previous_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ok() const { return bits_ && dc_; }
    HDC dc() const { return dc_.get(); }
    RECT rect() const { return RECT{0, 0, width_, height_}; }
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        std::uint32_t v = bits_[static_cast<std::size_t>(y) * width_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int CountOf(COLORREF colour) const {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                n += Pixel(x, y) == colour;
        return n;
    }

  private:
    int width_, height_;
    UniqueGdiObject bitmap_;
    UniqueHandle<MemoryDcTraits> dc_;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

std::string Describe(COLORREF c) {
    return "RGB(" + std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
           std::to_string(GetBValue(c)) + ")";
}

bool Near(COLORREF a, COLORREF b) {
    constexpr int kTolerance = 20; // JPEG rounding and the halftone's blending
    return std::abs(GetRValue(a) - GetRValue(b)) <= kTolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= kTolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= kTolerance;
}

// Spots in areas of one colour in the committed picture (see
// assets/make-assets.sh), in its 400 x 250 pixels. The red heart sits above
// the brown cup, so a picture upside down or with red and blue swapped fails.
struct Landmark {
    const char* what;
    int x, y;
    COLORREF colour;
};
constexpr Landmark kLandmarks[] = {
    {"background at the top left", 5, 5, RGB(255, 242, 223)},
    {"heart above the cup", 100, 45, RGB(191, 58, 41)},
    {"cup", 70, 140, RGB(107, 63, 38)},
    {"card behind the text", 300, 40, RGB(255, 251, 242)},
};

// Each landmark where the stretch to width x height puts it.
void ExpectLandmarks(const Canvas& canvas, int width, int height) {
    for (const Landmark& m : kLandmarks) {
        int x = m.x * width / 400, y = m.y * height / 250;
        COLORREF seen = canvas.Pixel(x, y);
        EXPECT_TRUE(Near(seen, m.colour))
            << m.what << " at " << x << "," << y << ": " << Describe(seen) << ", expected about "
            << Describe(m.colour);
    }
}

Bytes CommittedJpeg() {
    ResourceBytes r = TipPictureData();
    return Bytes(r.data, r.data + r.size);
}

TEST(PictureTest, CommittedPictureDecodesTo400By250) {
    Bytes jpeg = CommittedJpeg();
    ASSERT_FALSE(jpeg.empty()) << "no TIP_PICTURE resource";
    DecodedPicture picture = DecodeJpeg(jpeg.data(), jpeg.size());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture.width, 400);
    EXPECT_EQ(picture.height, 250);
}

// The picture box's paint handler, on boxes smaller, equal and larger.
class PicturePaintTest : public testing::TestWithParam<SIZE> {};

TEST_P(PicturePaintTest, StretchesThePictureOverTheWholeBox) {
    const SIZE size = GetParam();
    Canvas canvas(size.cx, size.cy, kMarker);
    ASSERT_TRUE(canvas.ok());
    PaintTipPicture(canvas.dc(), canvas.rect());
    EXPECT_EQ(canvas.CountOf(kMarker), 0) << "part of the box is not covered";
    ExpectLandmarks(canvas, size.cx, size.cy);
}

INSTANTIATE_TEST_SUITE_P(Boxes, PicturePaintTest,
                         testing::Values(SIZE{376, 224}, SIZE{400, 250}, SIZE{188, 112},
                                         SIZE{800, 500}),
                         [](const testing::TestParamInfo<SIZE>& info) {
                             return std::to_string(info.param.cx) + "x" +
                                    std::to_string(info.param.cy);
                         });

// ---- Damaged data ----

// Where the entropy-coded data of the (single-scan) picture starts: after
// the start-of-scan segment.
std::size_t ScanDataStart(const Bytes& jpeg) {
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        unsigned marker = jpeg[at + 1];
        std::size_t length = (std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3];
        at += 2 + length;
        if (marker == 0xDA)
            return at;
    }
    return 0;
}

Bytes RandomBytes(unsigned seed, std::size_t n) {
    std::mt19937 random(seed);
    Bytes out(n);
    for (unsigned char& b : out)
        b = static_cast<unsigned char>(random() & 0xFF);
    return out;
}

Bytes FirstBytes(const Bytes& good, std::size_t n) {
    return Bytes(good.begin(), good.begin() + n);
}

// The header kept, the image data replaced by noise.
Bytes GarbageAfterHeader(const Bytes& good, unsigned seed, bool endMarker) {
    std::size_t start = ScanDataStart(good);
    Bytes out = FirstBytes(good, start);
    Bytes noise = RandomBytes(seed, good.size() - start - (endMarker ? 2 : 0));
    out.insert(out.end(), noise.begin(), noise.end());
    if (endMarker) {
        out.push_back(0xFF);
        out.push_back(0xD9);
    }
    return out;
}

// The frame header claiming 65000 x 65000 pixels.
Bytes HugeDimensions(const Bytes& good) {
    Bytes out = good;
    for (std::size_t at = 2; at + 9 <= out.size(); at += 2 + ((out[at + 2] << 8) | out[at + 3])) {
        if (out[at + 1] == 0xC0) {
            out[at + 5] = out[at + 7] = 0xFD;
            out[at + 6] = out[at + 8] = 0xE8;
            break;
        }
    }
    return out;
}

struct Damage {
    const char* name;
    Bytes (*make)(const Bytes& good);
};

const Damage kDamages[] = {
    {"empty", [](const Bytes&) { return Bytes{}; }},
    {"start_marker_only", [](const Bytes& g) { return FirstBytes(g, 2); }},
    {"cut_in_the_tables", [](const Bytes& g) { return FirstBytes(g, 100); }},
    {"cut_where_the_image_data_starts",
     [](const Bytes& g) { return FirstBytes(g, ScanDataStart(g)); }},
    {"cut_in_half", [](const Bytes& g) { return FirstBytes(g, g.size() / 2); }},
    {"end_marker_missing", [](const Bytes& g) { return FirstBytes(g, g.size() - 2); }},
    {"random_bytes", [](const Bytes& g) { return RandomBytes(1, g.size()); }},
    {"garbage_after_the_header", [](const Bytes& g) { return GarbageAfterHeader(g, 2, false); }},
    {"garbage_after_the_header_then_end_marker",
     [](const Bytes& g) { return GarbageAfterHeader(g, 3, true); }},
    {"huge_dimensions", HugeDimensions},
    {"not_a_jpeg",
     [](const Bytes&) {
         const char text[] = "GIF89a, or anything else that is not a JPEG";
         return Bytes(text, text + sizeof text);
     }},
};

class PictureDamageTest : public testing::TestWithParam<Damage> {};

// Decoding fails, and the box keeps the background that the window layer
// filled it with.
TEST_P(PictureDamageTest, FailsAndLeavesTheBackground) {
    Bytes good = CommittedJpeg();
    ASSERT_GT(ScanDataStart(good), 0u);
    Bytes bad = GetParam().make(good);
    DecodedPicture picture = DecodeJpeg(bad.data(), bad.size());
    EXPECT_FALSE(picture);
    EXPECT_EQ(picture.width, 0);
    EXPECT_EQ(picture.height, 0);

    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    Canvas canvas(376, 224, background);
    ASSERT_TRUE(canvas.ok());
    StretchPicture(canvas.dc(), canvas.rect(), picture);
    EXPECT_EQ(canvas.CountOf(background), 376 * 224);
}

INSTANTIATE_TEST_SUITE_P(Damages, PictureDamageTest, testing::ValuesIn(kDamages),
                         [](const testing::TestParamInfo<Damage>& info) {
                             return std::string(info.param.name);
                         });

// ---- The real tip window ----

// The tip window as the program defines it, loaded by the window layer, but
// without its parting message box, which would wait for a user.
TEST(TipWindowPictureTest, PictureBoxShowsTheStretchedPicture) {
    static WindowData tip = TipWindowData;
    tip.willBeDestroyed = nullptr;
    static const std::vector<const WindowData*> windows{&tip};
    StartWindowLayer(windows);
    ASSERT_TRUE(LoadWindow(0));
    HWND box = GetControlHandle(FindControl(0, "图片框1"));
    ASSERT_TRUE(box);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 376);
    EXPECT_EQ(client.bottom, 224);
    Canvas shot(376, 224, kMarker);
    ASSERT_TRUE(shot.ok());
    HDC dc = GetDC(box);
    BitBlt(shot.dc(), 0, 0, 376, 224, dc, 0, 0, SRCCOPY);
    ReleaseDC(box, dc);
    ExpectLandmarks(shot, 376, 224); // every landmark lies in the part the frame leaves visible

    DestroyWindow(GetWindowHandle(0));
}

} // namespace
