// Drawing on persistent pictures the way the client's drawing code expects of the
// system's graphics layer: block transfers with the four raster operations, stretching
// copies (a negative target size mirrors), constant-opacity blending, lines, boxes,
// circles with a pen width, text with a point size and weight, and pixel access. All
// positions are whole pixels and nothing is smoothed, so every pixel lands exactly where
// the drawing code puts it. Colours are 0x00BBGGRR values, as the client writes them.
#pragma once
#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>
#include <string>

namespace Gdi {

using ColorRef = std::uint32_t;  // 0x00BBGGRR
inline constexpr ColorRef kInvalidColor = 0xFFFFFFFFu;

constexpr ColorRef RGB(int r, int g, int b) {
    return ColorRef(r & 0xFF) | (ColorRef(g & 0xFF) << 8) | (ColorRef(b & 0xFF) << 16);
}
inline QRgb ToQRgb(ColorRef c) { return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
inline ColorRef FromQRgb(QRgb p) { return RGB(qRed(p), qGreen(p), qBlue(p)); }

// Raster operations of the block transfers (the system's ternary codes).
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;     // dest = source
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;  // dest = NOT source
inline constexpr std::uint32_t SRCAND = 0x008800C6;      // dest = source AND dest
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;    // dest = source OR dest

// Change notes: a picture shown on screen can be watched, and then every drawing call
// below that may change its pixels tells the watcher the rectangle it may have changed
// (inside the picture), so that only that part is shown again. Drawing done by other
// means reports itself with Changed. One watcher a picture; a picture is known by its
// address, so the watched picture must stay where it is while watched.
using ChangeWatcher = std::function<void(const QRect&)>;
void WatchChanges(const QImage& surface, ChangeWatcher watcher);
void StopWatching(const QImage& surface);
void Changed(const QImage& surface, const QRect& area);

// Makes a picture a drawing surface (32 bits a pixel, opaque); other formats are
// converted in place. Every drawing call below does this itself.
void PrepareSurface(QImage& surface);

// Copies the w x h block at (sx, sy) of src to (x, y) of dst with the raster operation.
// Only pixels inside both pictures take part. False for an unknown operation.
bool BitBlt(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy, std::uint32_t rop);

// Copies the source block (sx, sy, sw, sh) onto the target block (x, y, w, h), shrinking
// or enlarging by taking the nearest source pixel. A negative w (or h) mirrors: the
// target then covers x + w .. x - 1.
bool StretchBlt(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy, int sw, int sh,
                std::uint32_t rop);

// Draws a picture, or the part (sx, sy, sw, sh) of it, onto (x, y) scaled to w x h (a
// negative size mirrors). A picture with transparent pixels (an icon) leaves the
// destination where it is transparent; any other picture is copied plainly. sw or sh
// below 0 take the rest of the picture; w or h of 0 take the source size.
void PaintPicture(QImage& dst, const QImage& pic, int x, int y, int w = 0, int h = 0, int sx = 0, int sy = 0,
                  int sw = -1, int sh = -1);

// Blends the source block onto the target block with one constant opacity: 0 leaves
// the target, 255 copies the source; sizes that differ are stretched.
bool AlphaBlend(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy, int sw, int sh,
                std::uint8_t level);

// A line from (x1, y1) towards (x2, y2); the end point itself is not drawn. A width
// above 1 draws a round pen of that diameter along the line.
void Line(QImage& dst, int x1, int y1, int x2, int y2, ColorRef color, int width = 1);
// A box outline with both corners included.
void Box(QImage& dst, int x1, int y1, int x2, int y2, ColorRef color, int width = 1);
// A filled box with both corners included.
void FillBox(QImage& dst, int x1, int y1, int x2, int y2, ColorRef color);
// A circle of radius r around (cx, cy), drawn with a pen of the given width centred on
// the circle.
void Circle(QImage& dst, int cx, int cy, int r, ColorRef color, int width = 1);

// Text in the window font at a size in points (96 pixels an inch), regular or bold;
// (x, y) is the top-left corner of the text's cell. With clip set, nothing is drawn
// outside it. Returns the width of the text in pixels.
struct TextClip {
    int left = 0, top = 0, width = -1, height = -1;  // width < 0: no clip
};
int PrintText(QImage& dst, int x, int y, const std::string& text, ColorRef color, double points, bool bold,
              TextClip clip = {});
int TextWidth(const std::string& text, double points, bool bold);
int TextHeight(double points, bool bold);
inline constexpr char kFontFamily[] = "WenQuanYi Micro Hei";

// Single pixels; outside the picture GetPixel gives kInvalidColor and SetPixel does
// nothing (false).
ColorRef GetPixel(const QImage& img, int x, int y);
bool SetPixel(QImage& img, int x, int y, ColorRef color);
// A row of pixels (0xAARRGGBB) for effects that go over many pixels; nullptr outside.
// The whole row counts as changed.
QRgb* Row(QImage& img, int y);

}  // namespace Gdi
