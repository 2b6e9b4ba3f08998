#include "tools/resgen/IcoFile.h"

#include "tools/resgen/LittleEndian.h"

namespace IcoFile {

namespace {

constexpr int kAlphaSeeThrough = 128;  // below this a pixel counts as see-through in the mask

QByteArray EncodeImage(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    const int maskRowBytes = (width + 31) / 32 * 4;
    QByteArray out;
    LittleEndian::Put32(out, 40);
    LittleEndian::Put32(out, static_cast<quint32>(width));
    LittleEndian::Put32(out, static_cast<quint32>(height * 2));  // colour rows and mask rows
    LittleEndian::Put16(out, 1);
    LittleEndian::Put16(out, 32);
    LittleEndian::Put32(out, 0);
    LittleEndian::Put32(out, static_cast<quint32>(width * height * 4 + maskRowBytes * height));
    for (int i = 0; i < 4; ++i) LittleEndian::Put32(out, 0);

    for (int y = height - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb px = qAlpha(line[x]) == 0 ? 0 : line[x];  // no stray colour under clear pixels
            out.append(static_cast<char>(qBlue(px)));
            out.append(static_cast<char>(qGreen(px)));
            out.append(static_cast<char>(qRed(px)));
            out.append(static_cast<char>(qAlpha(px)));
        }
    }
    for (int y = height - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QByteArray row(maskRowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            if (qAlpha(line[x]) < kAlphaSeeThrough) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(row);
    }
    return out;
}

}  // namespace

QByteArray Encode(const std::vector<QImage>& images) {
    QByteArray out;
    LittleEndian::Put16(out, 0);
    LittleEndian::Put16(out, 1);  // icon, not cursor
    LittleEndian::Put16(out, static_cast<quint16>(images.size()));
    std::vector<QByteArray> bodies;
    bodies.reserve(images.size());
    for (const QImage& image : images) bodies.push_back(EncodeImage(image));
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int w = images[i].width();
        const int h = images[i].height();
        out.append(static_cast<char>(w >= 256 ? 0 : w));
        out.append(static_cast<char>(h >= 256 ? 0 : h));
        out.append('\0');  // no palette
        out.append('\0');
        LittleEndian::Put16(out, 1);
        LittleEndian::Put16(out, 32);
        LittleEndian::Put32(out, static_cast<quint32>(bodies[i].size()));
        LittleEndian::Put32(out, offset);
        offset += static_cast<quint32>(bodies[i].size());
    }
    for (const QByteArray& body : bodies) out.append(body);
    return out;
}

}  // namespace IcoFile
