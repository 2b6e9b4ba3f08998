#include "ResFiles.h"

#include <QFile>
#include <cmath>
#include <deque>

namespace ResFiles {

namespace {

quint32 U32(const QByteArray& b, int at) {
    return static_cast<quint32>(static_cast<quint8>(b[at])) |
           static_cast<quint32>(static_cast<quint8>(b[at + 1])) << 8 |
           static_cast<quint32>(static_cast<quint8>(b[at + 2])) << 16 |
           static_cast<quint32>(static_cast<quint8>(b[at + 3])) << 24;
}

quint16 U16(const QByteArray& b, int at) {
    return static_cast<quint16>(static_cast<quint8>(b[at]) | static_cast<quint8>(b[at + 1]) << 8);
}

quint8 U8(const QByteArray& b, qsizetype at) { return static_cast<quint8>(b[at]); }

}  // namespace

QString TablePath(const QString& name) { return QStringLiteral(TILELINK_TABLE_DIR "/Res/") + name; }

QString LobbyPath(const QString& name) { return QStringLiteral(TILELINK_LOBBY_DIR "/") + name; }

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

Picture DecodeBmp(const QByteArray& b) {
    if (b.size() < 54 || b.left(2) != "BM") return {QStringLiteral("no bitmap header"), {}};
    const quint32 offset = U32(b, 10);
    const qint32 width = static_cast<qint32>(U32(b, 18));
    const qint32 height = static_cast<qint32>(U32(b, 22));
    if (U32(b, 2) != static_cast<quint32>(b.size())) return {QStringLiteral("file size field is wrong"), {}};
    if (offset != 54 || U32(b, 14) != 40) return {QStringLiteral("unexpected header layout"), {}};
    if (width <= 0 || height <= 0) return {QStringLiteral("not bottom-up or empty"), {}};
    if (U16(b, 26) != 1 || U16(b, 28) != 24 || U32(b, 30) != 0) return {QStringLiteral("not 24-bit uncompressed"), {}};
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    if (static_cast<qint64>(b.size()) != 54 + static_cast<qint64>(rowBytes) * height)
        return {QStringLiteral("pixel data size does not match"), {}};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const qsizetype row = 54 + static_cast<qsizetype>(height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const qsizetype at = row + x * 3;
            image.setPixel(x, y, qRgb(U8(b, at + 2), U8(b, at + 1), U8(b, at)));
        }
        for (int pad = width * 3; pad < rowBytes; ++pad) {
            if (b[row + pad] != '\0') return {QStringLiteral("row padding is not zero"), {}};
        }
    }
    return {QString(), image};
}

Picture ReadBmp(const QString& path) {
    const QByteArray bytes = ReadAll(path);
    if (bytes.isEmpty()) return {QStringLiteral("missing: ") + path, {}};
    Picture picture = DecodeBmp(bytes);
    if (!picture.fault.isEmpty()) picture.fault += QStringLiteral(" in ") + path;
    return picture;
}

Icon DecodeIco(const QByteArray& b) {
    if (b.size() < 6 || U16(b, 0) != 0 || U16(b, 2) != 1 || U16(b, 4) == 0)
        return {QStringLiteral("no icon header"), {}};
    const int count = U16(b, 4);
    if (b.size() < 6 + 16 * count) return {QStringLiteral("truncated directory"), {}};
    Icon icon;
    for (int i = 0; i < count; ++i) {
        const int e = 6 + 16 * i;
        const int w = U8(b, e) == 0 ? 256 : U8(b, e);
        const int h = U8(b, e + 1) == 0 ? 256 : U8(b, e + 1);
        const quint32 size = U32(b, e + 8);
        const quint32 at = U32(b, e + 12);
        const int maskRow = (w + 31) / 32 * 4;
        if (U16(b, e + 6) != 32 || size != static_cast<quint32>(40 + w * h * 4 + maskRow * h) ||
            static_cast<qint64>(at) + size > b.size())
            return {QStringLiteral("directory entry %1 is inconsistent").arg(i), {}};
        const int a = static_cast<int>(at);
        if (U32(b, a) != 40 || static_cast<int>(U32(b, a + 4)) != w || static_cast<int>(U32(b, a + 8)) != 2 * h ||
            U16(b, a + 14) != 32 || U32(b, a + 16) != 0)
            return {QStringLiteral("picture header %1 is inconsistent").arg(i), {}};
        QImage image(w, h, QImage::Format_ARGB32);
        const int pixels = a + 40;
        const int mask = pixels + w * h * 4;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int p = pixels + ((h - 1 - y) * w + x) * 4;
                const QRgb px = qRgba(U8(b, p + 2), U8(b, p + 1), U8(b, p), U8(b, p + 3));
                image.setPixel(x, y, px);
                const bool maskBit = (U8(b, mask + (h - 1 - y) * maskRow + x / 8) & (0x80 >> (x % 8))) != 0;
                if (maskBit != (qAlpha(px) < 128)) return {QStringLiteral("AND mask disagrees with alpha"), {}};
            }
        }
        icon.images.push_back(image);
    }
    return icon;
}

Wave DecodeWav(const QByteArray& b) {
    if (b.size() < 44 || b.left(4) != "RIFF" || b.mid(8, 8) != "WAVEfmt ")
        return {QStringLiteral("no wave header"), {}};
    if (U32(b, 4) != static_cast<quint32>(b.size() - 8)) return {QStringLiteral("RIFF size is wrong"), {}};
    if (U32(b, 16) != 16 || U16(b, 20) != 1 || U16(b, 22) != 1 || U32(b, 24) != 22050 || U32(b, 28) != 44100 ||
        U16(b, 32) != 2 || U16(b, 34) != 16)
        return {QStringLiteral("not 16-bit PCM mono 22050 Hz"), {}};
    if (b.mid(36, 4) != "data" || U32(b, 40) != static_cast<quint32>(b.size() - 44))
        return {QStringLiteral("bad data chunk"), {}};
    Wave wave;
    for (int at = 44; at + 1 < b.size(); at += 2) wave.samples.push_back(static_cast<std::int16_t>(U16(b, at)));
    return wave;
}

double MeanDistance(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int dr = qRed(p) - qRed(q), dg = qGreen(p) - qGreen(q), db = qBlue(p) - qBlue(q);
            sum += std::sqrt(static_cast<double>(dr * dr + dg * dg + db * db));
        }
    }
    return sum / (a.width() * a.height());
}

int EnclosedKeyPixels(const QImage& image, QRgb key) {
    const int w = image.width(), h = image.height();
    auto isKey = [&](int x, int y) { return (image.pixel(x, y) | 0xFF000000) == (key | 0xFF000000); };
    std::vector<char> seen(static_cast<std::size_t>(w * h), 0);
    std::deque<std::pair<int, int>> queue;
    for (int x = 0; x < w; ++x) {
        queue.push_back({x, 0});
        queue.push_back({x, h - 1});
    }
    for (int y = 0; y < h; ++y) {
        queue.push_back({0, y});
        queue.push_back({w - 1, y});
    }
    while (!queue.empty()) {
        const auto [x, y] = queue.front();
        queue.pop_front();
        if (x < 0 || y < 0 || x >= w || y >= h || seen[y * w + x] || !isKey(x, y)) continue;
        seen[y * w + x] = 1;
        queue.push_back({x + 1, y});
        queue.push_back({x - 1, y});
        queue.push_back({x, y + 1});
        queue.push_back({x, y - 1});
    }
    int enclosed = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) enclosed += isKey(x, y) && !seen[y * w + x];
    }
    return enclosed;
}

int NearKeyPixels(const QImage& image, QRgb key, double radius) {
    int near = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) | 0xFF000000;
            if (p == (key | 0xFF000000)) continue;
            const int dr = qRed(p) - qRed(key), dg = qGreen(p) - qGreen(key), db = qBlue(p) - qBlue(key);
            near += std::sqrt(static_cast<double>(dr * dr + dg * dg + db * db)) <= radius;
        }
    }
    return near;
}

}  // namespace ResFiles
