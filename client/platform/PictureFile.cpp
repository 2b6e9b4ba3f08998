#include "client/platform/PictureFile.h"

#include <QFileInfo>
#include <QImageReader>

namespace PictureFile {

bool Exists(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    return info.exists() && info.isFile();
}

QImage LoadPicture(const std::string& path, int iconSize) {
    if (path.empty() || !Exists(path)) return {};
    QImageReader reader(QString::fromStdString(path));
    QImage picture;
    if (reader.format() == "ico") {
        for (int i = 0; i < reader.imageCount(); ++i) {
            if (!reader.jumpToImage(i)) break;
            const QImage candidate = reader.read();
            if (candidate.isNull()) continue;
            if (picture.isNull()) picture = candidate;
            if (candidate.width() == iconSize && candidate.height() == iconSize) {
                picture = candidate;
                break;
            }
        }
        if (picture.isNull()) picture = QImageReader(QString::fromStdString(path)).read();
        if (picture.isNull()) return {};
        return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    }
    if (!reader.read(&picture)) return {};
    return picture.convertToFormat(QImage::Format_RGB32);
}

}  // namespace PictureFile
