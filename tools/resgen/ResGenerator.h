// Draws, synthesises and encodes every file of the lobby folder's res/ and UserRes/face/
// and of the game folder's Res/ tree, in memory, the same bytes on every run.
#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

struct ResEntry {
    QString path;                       // relative to the lobby folder, '/' separated
    QByteArray bytes;                   // the file as written
    std::vector<QImage> images;         // the pictures it holds (for the review picture)
    std::vector<std::int16_t> samples;  // the sound it holds
};

namespace ResGenerator {

std::vector<ResEntry> GenerateAll();

// The entry of a path, or nullptr.
const ResEntry* Find(const std::vector<ResEntry>& entries, const QString& path);

// Writes every entry below `lobbyDir`, creating folders as needed; each file is replaced
// whole or not at all. On failure returns false with the reason in `error`.
bool WriteAll(const std::vector<ResEntry>& entries, const QString& lobbyDir, QString* error);

}  // namespace ResGenerator
