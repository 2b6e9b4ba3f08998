#include "client/platform/Gdi.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace Gdi {
namespace {

constexpr QRgb kOpaque = 0xFF000000u;
constexpr QRgb kRgbBits = 0x00FFFFFFu;

bool IsSurfaceFormat(QImage::Format f) { return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32; }

// The source as 32-bit pixels (no premultiplied colours); holder keeps a converted copy.
const QImage& Source32(const QImage& src, QImage& holder) {
    if (IsSurfaceFormat(src.format())) return src;
    holder = src.convertToFormat(src.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return holder;
}

bool KnownRop(std::uint32_t rop) { return rop == SRCCOPY || rop == NOTSRCCOPY || rop == SRCAND || rop == SRCPAINT; }

// Runs body with the raster operation on the colour bits as a function of (source,
// destination), one instance of body per operation so that the pixel loops inline it.
template <typename Body>
void WithRop(std::uint32_t rop, Body body) {
    switch (rop) {
        case SRCCOPY:
            body([](QRgb s, QRgb) { return s; });
            break;
        case NOTSRCCOPY:
            body([](QRgb s, QRgb) { return ~s; });
            break;
        case SRCAND:
            body([](QRgb s, QRgb d) { return s & d; });
            break;
        case SRCPAINT:
            body([](QRgb s, QRgb d) { return s | d; });
            break;
        default:
            break;
    }
}

// The source pixel index for target pixel i of a stretch of n target pixels from m
// source pixels (nearest pixel, taken at the target pixel's centre).
int StretchIndex(int i, int n, int m) { return int((static_cast<long long>(2 * i + 1) * m) / (2LL * n)); }

// Walks a stretch: for every target pixel inside dst and every matching source pixel
// inside src, calls put(targetPixel, sourcePixel).
template <typename Put>
void ForStretch(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy, int sw, int sh, Put put) {
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
    const bool mirrorX = (w < 0) != (sw < 0);
    const bool mirrorY = (h < 0) != (sh < 0);
    const int aw = std::abs(w), ah = std::abs(h), asw = std::abs(sw), ash = std::abs(sh);
    const int tx0 = w < 0 ? x + w : x, ty0 = h < 0 ? y + h : y;
    const int sx0 = sw < 0 ? sx + sw : sx, sy0 = sh < 0 ? sy + sh : sy;
    // The sizes once: the image's accessors are calls into Qt, too dear for every pixel.
    const int dstW = dst.width(), dstH = dst.height(), srcW = src.width(), srcH = src.height();
    std::vector<int> cols(static_cast<std::size_t>(aw));
    for (int i = 0; i < aw; ++i) cols[i] = sx0 + StretchIndex(mirrorX ? aw - 1 - i : i, aw, asw);
    // The target columns inside dst.
    const int i0 = std::max(0, -tx0), i1 = std::min(aw, dstW - tx0);
    for (int j = 0; j < ah; ++j) {
        const int ty = ty0 + j;
        if (ty < 0 || ty >= dstH) continue;
        const int syy = sy0 + StretchIndex(mirrorY ? ah - 1 - j : j, ah, ash);
        if (syy < 0 || syy >= srcH) continue;
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(syy));
        QRgb* out = reinterpret_cast<QRgb*>(dst.scanLine(ty));
        for (int i = i0; i < i1; ++i) {
            const int sxx = cols[i];
            if (sxx < 0 || sxx >= srcW) continue;
            put(out[tx0 + i], in[sxx]);
        }
    }
}

void SetOpaque(QImage& dst, int x, int y, QRgb rgb) {
    if (x < 0 || y < 0 || x >= dst.width() || y >= dst.height()) return;
    reinterpret_cast<QRgb*>(dst.scanLine(y))[x] = kOpaque | (rgb & kRgbBits);
}

void FillClipped(QImage& dst, int left, int top, int right, int bottom, QRgb rgb) {  // inclusive corners
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, dst.width() - 1);
    bottom = std::min(bottom, dst.height() - 1);
    for (int yy = top; yy <= bottom; ++yy) {
        QRgb* row = reinterpret_cast<QRgb*>(dst.scanLine(yy));
        std::fill(row + left, row + right + 1, kOpaque | (rgb & kRgbBits));
    }
}

// Offsets of a round pen of the given diameter.
std::vector<QPoint> PenOffsets(int width) {
    std::vector<QPoint> pen;
    if (width <= 1) {
        pen.emplace_back(0, 0);
        return pen;
    }
    const double radius = width / 2.0;
    const int reach = width / 2;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            if (dx * dx + dy * dy <= radius * radius) pen.emplace_back(dx, dy);
    return pen;
}

// The target block of a stretch, with a negative size (a mirror) turned round.
QRect TargetBlock(int x, int y, int w, int h) {
    return QRect(w < 0 ? x + w : x, h < 0 ? y + h : y, std::abs(w), std::abs(h));
}

struct Watch {
    const QImage* surface;
    ChangeWatcher watcher;
};
std::vector<Watch>& Watches() {
    static std::vector<Watch> watches;
    return watches;
}

QFont WindowFont(double points, bool bold) {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPixelSize(std::max(1, int(std::lround(points * 96.0 / 72.0))));
    font.setBold(bold);
    return font;
}

}  // namespace

void WatchChanges(const QImage& surface, ChangeWatcher watcher) {
    StopWatching(surface);
    if (watcher) Watches().push_back({&surface, std::move(watcher)});
}

void StopWatching(const QImage& surface) {
    auto& watches = Watches();
    watches.erase(std::remove_if(watches.begin(), watches.end(), [&](const Watch& w) { return w.surface == &surface; }),
                  watches.end());
}

void Changed(const QImage& surface, const QRect& area) {
    for (const Watch& w : Watches())
        if (w.surface == &surface) {
            const QRect inside = area.intersected(surface.rect());
            if (!inside.isEmpty()) w.watcher(inside);
            return;
        }
}

void PrepareSurface(QImage& surface) {
    if (!surface.isNull() && surface.format() != QImage::Format_RGB32)
        surface = surface.convertToFormat(QImage::Format_RGB32);
}

bool BitBlt(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy, std::uint32_t rop) {
    if (!KnownRop(rop)) return false;
    if (dst.isNull() || src.isNull() || w <= 0 || h <= 0) return true;
    PrepareSurface(dst);
    QImage holder;
    const QImage sameCopy = (&src == &dst) ? src.copy() : QImage();
    const QImage& s = Source32(sameCopy.isNull() ? src : sameCopy, holder);
    const int c0 = std::max({0, -x, -sx});
    const int c1 = std::min({w, dst.width() - x, s.width() - sx});
    if (c1 <= c0) return true;
    Changed(dst, QRect(x + c0, y, c1 - c0, h));
    const int dstH = dst.height(), srcH = s.height();
    WithRop(rop, [&](auto fn) {
        for (int r = 0; r < h; ++r) {
            const int dy = y + r, syy = sy + r;
            if (dy < 0 || dy >= dstH || syy < 0 || syy >= srcH) continue;
            const QRgb* in = reinterpret_cast<const QRgb*>(s.constScanLine(syy));
            QRgb* out = reinterpret_cast<QRgb*>(dst.scanLine(dy));
            for (int c = c0; c < c1; ++c) out[x + c] = kOpaque | (fn(in[sx + c], out[x + c]) & kRgbBits);
        }
    });
    return true;
}

bool StretchBlt(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy, int sw, int sh,
                std::uint32_t rop) {
    if (!KnownRop(rop)) return false;
    if (dst.isNull() || src.isNull()) return true;
    PrepareSurface(dst);
    QImage holder;
    const QImage sameCopy = (&src == &dst) ? src.copy() : QImage();
    const QImage& s = Source32(sameCopy.isNull() ? src : sameCopy, holder);
    WithRop(rop, [&](auto fn) {
        ForStretch(dst, x, y, w, h, s, sx, sy, sw, sh,
                   [fn](QRgb& out, QRgb in) { out = kOpaque | (fn(in, out) & kRgbBits); });
    });
    if (sw != 0 && sh != 0) Changed(dst, TargetBlock(x, y, w, h));
    return true;
}

void PaintPicture(QImage& dst, const QImage& pic, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    if (dst.isNull() || pic.isNull()) return;
    if (sw < 0) sw = pic.width() - sx;
    if (sh < 0) sh = pic.height() - sy;
    if (w == 0) w = sw;
    if (h == 0) h = sh;
    if (!pic.hasAlphaChannel()) {
        StretchBlt(dst, x, y, w, h, pic, sx, sy, sw, sh, SRCCOPY);
        return;
    }
    PrepareSurface(dst);
    const QImage s = pic.convertToFormat(QImage::Format_ARGB32);
    ForStretch(dst, x, y, w, h, s, sx, sy, sw, sh, [](QRgb& out, QRgb in) {
        if (qAlpha(in) >= 128) out = kOpaque | (in & kRgbBits);
    });
    if (sw != 0 && sh != 0) Changed(dst, TargetBlock(x, y, w, h));
}

bool AlphaBlend(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy, int sw, int sh,
                std::uint8_t level) {
    if (w < 0 || h < 0 || sw < 0 || sh < 0) return false;
    if (dst.isNull() || src.isNull()) return true;
    PrepareSurface(dst);
    QImage holder;
    const QImage sameCopy = (&src == &dst) ? src.copy() : QImage();
    const QImage& s = Source32(sameCopy.isNull() ? src : sameCopy, holder);
    const unsigned a = level, na = 255u - level;
    ForStretch(dst, x, y, w, h, s, sx, sy, sw, sh, [a, na](QRgb& out, QRgb in) {
        auto mix = [a, na](unsigned sc, unsigned dc) { return (sc * a + dc * na + 127u) / 255u; };
        out = qRgb(int(mix(qRed(in), qRed(out))), int(mix(qGreen(in), qGreen(out))), int(mix(qBlue(in), qBlue(out))));
    });
    if (sw != 0 && sh != 0) Changed(dst, TargetBlock(x, y, w, h));
    return true;
}

void Line(QImage& dst, int x1, int y1, int x2, int y2, ColorRef color, int width) {
    if (dst.isNull()) return;
    PrepareSurface(dst);
    const QRgb rgb = ToQRgb(color);
    const std::vector<QPoint> pen = PenOffsets(width);
    const int reach = width <= 1 ? 0 : width / 2;
    Changed(dst, QRect(QPoint(std::min(x1, x2) - reach, std::min(y1, y2) - reach),
                       QPoint(std::max(x1, x2) + reach, std::max(y1, y2) + reach)));
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int stepX = x1 < x2 ? 1 : -1, stepY = y1 < y2 ? 1 : -1;
    int err = dx + dy, x = x1, y = y1;
    while (x != x2 || y != y2) {
        for (const QPoint& p : pen) SetOpaque(dst, x + p.x(), y + p.y(), rgb);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += stepX;
        }
        if (e2 <= dx) {
            err += dx;
            y += stepY;
        }
    }
}

void Box(QImage& dst, int x1, int y1, int x2, int y2, ColorRef color, int width) {
    if (dst.isNull()) return;
    PrepareSurface(dst);
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const int lo = (std::max(width, 1) - 1) / 2, hi = std::max(width, 1) / 2;
    const QRgb rgb = ToQRgb(color);
    Changed(dst, QRect(QPoint(x1 - lo, y1 - lo), QPoint(x2 + hi, y2 + hi)));
    FillClipped(dst, x1 - lo, y1 - lo, x2 + hi, y1 + hi, rgb);  // top
    FillClipped(dst, x1 - lo, y2 - lo, x2 + hi, y2 + hi, rgb);  // bottom
    FillClipped(dst, x1 - lo, y1 - lo, x1 + hi, y2 + hi, rgb);  // left
    FillClipped(dst, x2 - lo, y1 - lo, x2 + hi, y2 + hi, rgb);  // right
}

void FillBox(QImage& dst, int x1, int y1, int x2, int y2, ColorRef color) {
    if (dst.isNull()) return;
    PrepareSurface(dst);
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    Changed(dst, QRect(QPoint(x1, y1), QPoint(x2, y2)));
    FillClipped(dst, x1, y1, x2, y2, ToQRgb(color));
}

void Circle(QImage& dst, int cx, int cy, int r, ColorRef color, int width) {
    if (dst.isNull() || r < 0) return;
    PrepareSurface(dst);
    const double half = std::max(width, 1) / 2.0;
    const double inner = std::max(0.0, r - half), outer = r + half;
    const int reach = int(std::ceil(outer));
    const QRgb rgb = ToQRgb(color);
    Changed(dst, QRect(cx - reach, cy - reach, 2 * reach + 1, 2 * reach + 1));
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const double d2 = double(dx) * dx + double(dy) * dy;
            if (d2 >= inner * inner && d2 <= outer * outer) SetOpaque(dst, cx + dx, cy + dy, rgb);
        }
}

int PrintText(QImage& dst, int x, int y, const std::string& text, ColorRef color, double points, bool bold,
              TextClip clip) {
    const QFont font = WindowFont(points, bold);
    const QFontMetrics metrics(font);
    const QString s = QString::fromStdString(text);
    if (dst.isNull() || s.isEmpty()) return metrics.horizontalAdvance(s);
    PrepareSurface(dst);
    QPainter p(&dst);
    if (clip.width >= 0) p.setClipRect(clip.left, clip.top, clip.width, std::max(clip.height, 0));
    p.setFont(font);
    p.setPen(QColor(ToQRgb(color)));
    p.drawText(QPoint(x, y + metrics.ascent()), s);
    const int advance = metrics.horizontalAdvance(s);
    // The ink may reach past the advance and the cell (overhangs, smoothing): a pixel
    // round the ink counts too.
    QRect ink = QRect(x, y, advance, metrics.height()) | metrics.boundingRect(s).translated(x, y + metrics.ascent());
    ink.adjust(-1, -1, 1, 1);
    if (clip.width >= 0) ink &= QRect(clip.left, clip.top, clip.width, std::max(clip.height, 0));
    Changed(dst, ink);
    return advance;
}

int TextWidth(const std::string& text, double points, bool bold) {
    return QFontMetrics(WindowFont(points, bold)).horizontalAdvance(QString::fromStdString(text));
}

int TextHeight(double points, bool bold) { return QFontMetrics(WindowFont(points, bold)).height(); }

ColorRef GetPixel(const QImage& img, int x, int y) {
    if (img.isNull() || x < 0 || y < 0 || x >= img.width() || y >= img.height()) return kInvalidColor;
    return FromQRgb(img.pixel(x, y));
}

bool SetPixel(QImage& img, int x, int y, ColorRef color) {
    if (img.isNull() || x < 0 || y < 0 || x >= img.width() || y >= img.height()) return false;
    PrepareSurface(img);
    SetOpaque(img, x, y, ToQRgb(color));
    Changed(img, QRect(x, y, 1, 1));
    return true;
}

QRgb* Row(QImage& img, int y) {
    if (img.isNull() || y < 0 || y >= img.height()) return nullptr;
    PrepareSurface(img);
    Changed(img, QRect(0, y, img.width(), 1));
    return reinterpret_cast<QRgb*>(img.scanLine(y));
}

}  // namespace Gdi
