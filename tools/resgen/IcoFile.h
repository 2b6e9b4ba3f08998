// Icon files: each picture as 32-bit BGRA with straight alpha, followed by its AND mask
// (one bit per pixel, set where the picture is see-through), rows bottom-up.
#pragma once
#include <QByteArray>
#include <QImage>
#include <vector>

namespace IcoFile {

// The whole file for one or more square pictures of at most 256 pixels, in the order
// given (readers that take one picture take the first).
QByteArray Encode(const std::vector<QImage>& images);

}  // namespace IcoFile
