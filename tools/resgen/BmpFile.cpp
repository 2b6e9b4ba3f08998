#include "tools/resgen/BmpFile.h"

#include "tools/resgen/LittleEndian.h"

namespace BmpFile {

QByteArray Encode(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    const int rowBytes = (width * 3 + 3) / 4 * 4;  // rows end on a 4-byte boundary
    const quint32 pixelBytes = static_cast<quint32>(rowBytes) * static_cast<quint32>(height);
    constexpr quint32 kHeaderBytes = 14 + 40;

    QByteArray out;
    out.reserve(static_cast<int>(kHeaderBytes + pixelBytes));
    // File header.
    out.append("BM", 2);
    LittleEndian::Put32(out, kHeaderBytes + pixelBytes);
    LittleEndian::Put32(out, 0);  // two reserved words
    LittleEndian::Put32(out, kHeaderBytes);
    // Picture header: positive height means the bottom row comes first.
    LittleEndian::Put32(out, 40);
    LittleEndian::Put32(out, static_cast<quint32>(width));
    LittleEndian::Put32(out, static_cast<quint32>(height));
    LittleEndian::Put16(out, 1);   // planes
    LittleEndian::Put16(out, 24);  // bits per pixel
    LittleEndian::Put32(out, 0);   // no compression
    LittleEndian::Put32(out, pixelBytes);
    LittleEndian::Put32(out, 2835);  // 72 dots per inch, both ways
    LittleEndian::Put32(out, 2835);
    LittleEndian::Put32(out, 0);  // no colour table
    LittleEndian::Put32(out, 0);

    for (int y = height - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            out.append(static_cast<char>(qBlue(line[x])));
            out.append(static_cast<char>(qGreen(line[x])));
            out.append(static_cast<char>(qRed(line[x])));
        }
        for (int pad = width * 3; pad < rowBytes; ++pad) out.append('\0');
    }
    return out;
}

}  // namespace BmpFile
