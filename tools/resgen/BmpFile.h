// The picture files of the table and the lobby: 24-bit colour, rows stored bottom-up,
// no compression, no colour table. The bytes depend on the pixels only.
#pragma once
#include <QByteArray>
#include <QImage>

namespace BmpFile {

// The whole file for a picture; alpha is dropped (every picture is opaque on disk).
QByteArray Encode(const QImage& image);

}  // namespace BmpFile
