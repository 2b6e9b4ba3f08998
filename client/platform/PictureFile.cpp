#include "client/platform/PictureFile.h"

#include <sys/stat.h>
#include <QImageReader>

#include <chrono>
#include <mutex>
#include <unordered_map>

namespace PictureFile {
namespace {

// What tells one version of a file from another: a rewrite changes the status-change
// time (which no program can set back), a replacement the inode.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t changedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

bool StampOf(const std::string& path, FileStamp& stamp) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp = {st.st_dev, st.st_ino, st.st_size, std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
    return true;
}

// Pictures decoded before, by file and icon size, so that drawing a picture again does
// not read and decode its file again. An entry serves only while its file is the same
// version. A file changed in the last moments is not kept: file times are coarse, and a
// rewrite within the same tick of the system clock would look like the same version.
class PictureCache {
public:
    bool Find(const std::string& key, const FileStamp& stamp, QImage& picture) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = entries_.find(key);
        if (found == entries_.end() || !(found->second.stamp == stamp)) return false;
        picture = found->second.picture;
        return true;
    }

    void Keep(const std::string& key, const FileStamp& stamp, const QImage& picture) {
        const auto now =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        if (stamp.changedNs > now - kSettledNs) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (bytes_ + picture.sizeInBytes() > kMaxBytes) {
            entries_.clear();
            bytes_ = 0;
        }
        auto& entry = entries_[key];
        bytes_ += picture.sizeInBytes() - entry.picture.sizeInBytes();
        entry = {stamp, picture};
    }

private:
    struct Entry {
        FileStamp stamp;
        QImage picture;
    };
    static constexpr std::int64_t kSettledNs = 200'000'000;  // 0.2 s
    static constexpr qsizetype kMaxBytes = 64 << 20;
    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
    qsizetype bytes_ = 0;
};

PictureCache& Cache() {
    static PictureCache cache;
    return cache;
}

QImage Decode(const std::string& path, int iconSize) {
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

}  // namespace

bool Exists(const std::string& path) {
    FileStamp stamp;
    return StampOf(path, stamp);
}

QImage LoadPicture(const std::string& path, int iconSize) {
    FileStamp stamp;
    if (!StampOf(path, stamp)) return {};
    const std::string key = path + '\n' + std::to_string(iconSize);
    QImage picture;
    if (Cache().Find(key, stamp, picture)) return picture;
    picture = Decode(path, iconSize);
    if (!picture.isNull()) Cache().Keep(key, stamp, picture);
    return picture;
}

}  // namespace PictureFile
