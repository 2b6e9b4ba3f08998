#include "core/modMapFile.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "core/GbkText.h"

namespace modMapFile {
namespace {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

// GBK to UTF-8; nothing when a character is cut in half.
std::optional<std::string> ToUtf8(std::string_view gbk) {
    std::string utf8 = GbkText::ToUtf8(gbk);
    if (utf8.empty() && !gbk.empty()) return std::nullopt;
    return utf8;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Passes one line end (CR LF, LF or CR) at pos.
std::size_t SkipLineEnd(std::string_view t, std::size_t pos) {
    if (pos < t.size() && t[pos] == '\r') ++pos;
    if (pos < t.size() && t[pos] == '\n') ++pos;
    return pos;
}

}  // namespace

std::string MapFileName(int n) {
    if (n < 1) return {};
    std::string digits = std::to_string(n);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return "Map" + digits + ".map";
}

std::string MapFilePath(const std::string& strAppPath, int n) {
    const std::string name = MapFileName(n);
    return name.empty() ? name : strAppPath + kMapFolder + name;
}

std::string MapTitlePath(const std::string& strAppPath) { return strAppPath + kMapFolder + kMapTitleFile; }

std::vector<std::string> ParseMapTitles(std::string_view t) {
    std::vector<std::string> titles;
    std::size_t pos = 0;
    while (pos < t.size()) {
        while (pos < t.size() && IsBlank(t[pos])) ++pos;
        if (pos < t.size() && IsLineEnd(t[pos])) {  // an empty line gives no field
            pos = SkipLineEnd(t, pos);
            continue;
        }
        // One line: fields up to its line end.
        for (;;) {
            std::string raw;
            while (pos < t.size() && IsBlank(t[pos])) ++pos;
            if (pos < t.size() && t[pos] == '"') {
                ++pos;
                for (;;) {
                    if (pos >= t.size()) return titles;  // the quote never closes
                    if (t[pos] == '"') {
                        if (pos + 1 < t.size() && t[pos + 1] == '"') {
                            raw.push_back('"');
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        break;
                    }
                    raw.push_back(t[pos++]);
                }
                // Whatever stands between the closing quote and the separator is dropped.
                while (pos < t.size() && t[pos] != ',' && !IsLineEnd(t[pos])) ++pos;
            } else {
                while (pos < t.size() && t[pos] != ',' && !IsLineEnd(t[pos])) raw.push_back(t[pos++]);
                while (!raw.empty() && IsBlank(raw.back())) raw.pop_back();
            }
            std::optional<std::string> title = ToUtf8(raw);
            if (!title) return titles;
            titles.push_back(std::move(*title));
            if (pos < t.size() && t[pos] == ',') {
                ++pos;
                continue;
            }
            pos = SkipLineEnd(t, pos);
            break;
        }
    }
    return titles;
}

std::vector<std::string> ReadMapTitles(const std::string& path) {
    const std::optional<std::string> text = ReadWholeFile(path);
    return text ? ParseMapTitles(*text) : std::vector<std::string>{};
}

bool ParseMapText(std::string_view text, TileGridT& grid) {
    TileGridT read{};
    std::size_t pos = 0;
    for (int r = 0; r < GameSize::kRows; ++r) {
        if (pos >= text.size()) {  // fewer than 10 lines
            grid = TileGridT{};
            return false;
        }
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = end + 1;

        const std::optional<std::string> utf8 = ToUtf8(line);
        if (!utf8 || GbkText::CharCount(*utf8) != static_cast<std::size_t>(GameSize::kCols)) {
            grid = TileGridT{};
            return false;
        }
        int c = 0;
        for (char ch : *utf8) {
            if ((static_cast<unsigned char>(ch) & 0xC0) == 0x80) continue;  // inside a character
            if (ch >= '0' && ch <= '9') read[r][c] = static_cast<std::uint8_t>(ch - '0');
            ++c;
        }
    }
    grid = read;
    return true;
}

bool ReadMapFile(const std::string& path, TileGridT& grid) {
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) {
        grid = TileGridT{};
        return false;
    }
    return ParseMapText(*text, grid);
}

}  // namespace modMapFile
