#include "client/platform/PictureFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <unordered_map>
#include <vector>

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

std::uint32_t LittleEndian(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// A file's bytes mapped into memory for reading; empty when it cannot be.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
            void* at = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (at != MAP_FAILED) {
                data_ = static_cast<const unsigned char*>(at);
                size_ = static_cast<std::size_t>(st.st_size);
            }
        }
        ::close(fd);
    }
    ~MappedFile() {
        if (data_) ::munmap(const_cast<unsigned char*>(data_), size_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    const unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

// The common bitmap of the game's art, uncompressed 24-bit rows with a 40-byte header,
// read straight from the mapped file into opaque 32-bit pixels: several times quicker
// than the general reader, which the window's first frame waits for. Null for any other
// kind of file, or one that does not hold its rows whole; the general reader takes those.
QImage DecodePlainBitmap(const std::string& path) {
    const MappedFile file(path);
    constexpr std::size_t kHeader = 54;
    const unsigned char* header = file.data();
    if (file.size() < kHeader || header[0] != 'B' || header[1] != 'M' || LittleEndian(header + 14, 4) != 40 ||
        LittleEndian(header + 26, 2) != 1 || LittleEndian(header + 28, 2) != 24 || LittleEndian(header + 30, 4) != 0)
        return {};
    const std::uint32_t offset = LittleEndian(header + 10, 4);
    const auto width = static_cast<std::int32_t>(LittleEndian(header + 18, 4));
    const auto height = static_cast<std::int32_t>(LittleEndian(header + 22, 4));
    const bool bottomUp = height > 0;
    const std::int64_t rows = bottomUp ? height : -std::int64_t(height);
    const std::int64_t stride = (std::int64_t(width) * 3 + 3) / 4 * 4;
    if (width <= 0 || width > 16384 || rows <= 0 || rows > 16384 || offset < kHeader ||
        std::uint64_t(offset) + std::uint64_t(stride * rows) > file.size())
        return {};
    QImage picture(width, static_cast<int>(rows), QImage::Format_RGB32);
    for (int y = 0; y < rows && !picture.isNull(); ++y) {
        const unsigned char* in = file.data() + offset + (bottomUp ? rows - 1 - y : y) * stride;
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        int x = 0;
        // Blue, green, red and the next pixel's first byte, read as one little-endian word.
        for (; x + 1 < width; ++x, in += 3) out[x] = 0xff000000u | (qFromLittleEndian<quint32>(in) & 0x00ffffffu);
        for (; x < width; ++x, in += 3) out[x] = qRgb(in[2], in[1], in[0]);
    }
    return picture;
}

// The icons of the game's art: every image 32-bit with its own transparency (a 40-byte
// header, rows bottom-up, the mask behind them unused), read straight from the mapped file
// as the general reader reads them, without loading its icon plugin. Empty for any other
// kind of icon file; the general reader takes those.
std::vector<QImage> DecodePlainIcon(const std::string& path) {
    const MappedFile file(path);
    const unsigned char* d = file.data();
    if (file.size() < 6 || LittleEndian(d, 2) != 0 || LittleEndian(d + 2, 2) != 1) return {};
    const std::uint32_t count = LittleEndian(d + 4, 2);
    if (count == 0 || 6 + 16 * std::size_t(count) > file.size()) return {};
    std::vector<QImage> images;
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* entry = d + 6 + 16 * i;
        const std::uint64_t bytes = LittleEndian(entry + 8, 4), offset = LittleEndian(entry + 12, 4);
        if (bytes < 40 || offset + bytes > file.size()) return {};
        const unsigned char* header = d + offset;
        const auto width = static_cast<std::int32_t>(LittleEndian(header + 4, 4));
        const auto doubleHeight = static_cast<std::int32_t>(LittleEndian(header + 8, 4));
        if (LittleEndian(header, 4) != 40 || LittleEndian(header + 12, 2) != 1 || LittleEndian(header + 14, 2) != 32 ||
            LittleEndian(header + 16, 4) != 0 || width <= 0 || width > 256 || doubleHeight <= 0 ||
            doubleHeight % 2 != 0 || doubleHeight / 2 > 256 ||
            40 + std::uint64_t(width) * std::uint64_t(doubleHeight / 2) * 4 > bytes)
            return {};
        const int height = doubleHeight / 2;
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height && !image.isNull(); ++y) {
            const unsigned char* in = header + 40 + std::ptrdiff_t(height - 1 - y) * width * 4;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x, in += 4) out[x] = qRgba(in[2], in[1], in[0], in[3]);
        }
        // The general reader gives premultiplied pixels: the same rounding here.
        images.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    return images;
}

QImage Decode(const std::string& path, int iconSize) {
    if (QImage plain = DecodePlainBitmap(path); !plain.isNull()) return plain;
    QImage picture;
    if (const std::vector<QImage> icons = DecodePlainIcon(path); !icons.empty()) {
        const auto sized = std::find_if(icons.begin(), icons.end(), [iconSize](const QImage& candidate) {
            return candidate.width() == iconSize && candidate.height() == iconSize;
        });
        picture = sized != icons.end() ? *sized : icons.front();
        return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    }
    QImageReader reader(QString::fromStdString(path));
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

QIcon LoadIcon(const std::string& path) {
    const std::vector<QImage> images = DecodePlainIcon(path);
    if (images.empty()) return QIcon(QString::fromStdString(path));
    QIcon icon;
    for (const QImage& image : images) icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

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
