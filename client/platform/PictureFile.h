// Pictures from files: BMP bitmaps and ICO icons below the program folder. A missing or
// unreadable file gives an empty picture, which every drawing call skips. A picture is
// decoded once and kept while its file stays the same, so drawing code may load its
// pictures at every step.
#pragma once
#include <QIcon>
#include <QImage>
#include <string>

namespace PictureFile {

bool Exists(const std::string& path);

// A bitmap as opaque 32-bit pixels with its colours exactly as stored; an icon with its
// transparent parts (of several sizes in one file, the one of iconSize pixels when there
// is one, else the first).
QImage LoadPicture(const std::string& path, int iconSize = 32);

// Every size of an icon file as one icon (as QIcon reads the file).
QIcon LoadIcon(const std::string& path);

}  // namespace PictureFile
