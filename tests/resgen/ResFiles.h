// Reading the generated files back the strict way: the exact headers the table client
// and the room server expect, decoded by hand so a writer fault cannot hide behind a
// lenient reader.
#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace ResFiles {

QString TablePath(const QString& name);  // below the game folder's Res/
QString LobbyPath(const QString& name);  // below the lobby folder
QByteArray ReadAll(const QString& path);

struct Picture {
    QString fault;  // empty when the file is well formed
    QImage image;   // RGB32 (bitmaps) or ARGB32 (icons)
};

// A 24-bit, bottom-up, uncompressed bitmap with its sizes all consistent.
Picture DecodeBmp(const QByteArray& bytes);
Picture ReadBmp(const QString& path);

struct Icon {
    QString fault;
    std::vector<QImage> images;  // ARGB32, in file order
};

// Icons of 32-bit pictures whose AND mask marks exactly the pixels below half cover.
Icon DecodeIco(const QByteArray& bytes);

struct Wave {
    QString fault;
    std::vector<std::int16_t> samples;
};

// 16-bit PCM mono at 22050 Hz.
Wave DecodeWav(const QByteArray& bytes);

// Mean over the pixels of the RGB distance of two pictures of one size.
double MeanDistance(const QImage& a, const QImage& b);

// Pixels of the key colour that cannot be reached from the border through key pixels:
// see-through holes inside a drawing.
int EnclosedKeyPixels(const QImage& image, QRgb key);

// Pixels that are not the key but within `radius` of it (they would show as a fringe).
int NearKeyPixels(const QImage& image, QRgb key, double radius);

}  // namespace ResFiles
