#include "bot/BotTrace.h"

#include <cinttypes>
#include <cstdlib>
#include <fstream>

#include "core/modPublicTools.h"

BotTrace::BotTrace(const std::string& path) : path_(path) {
    if (!path.empty()) file_ = std::fopen(path.c_str(), "w");
}

BotTrace::~BotTrace() {
    if (file_) std::fclose(file_);
}

void BotTrace::Write(const std::string& name, const std::string& event, const Fields& fields) {
    if (!file_) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - opened_);
    std::string line = std::to_string(ms.count()) + "\t" + name + "\t" + event;
    for (const auto& [key, value] : fields) line += "\t" + key + "=" + value;
    line += "\n";
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
}

std::string BotTrace::PathText(const LinkPath& path) {
    std::string text;
    for (int i = 0; i < path.lngNodeCount && i < 4; ++i) {
        if (i) text += ";";
        text += std::to_string(path.Node(i).row) + "," + std::to_string(path.Node(i).col);
    }
    return text;
}

std::string BotTrace::BoardText(const TileGridT& grid) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(std::size_t{2} * GameSize::kRows * GameSize::kCols);
    for (const auto& row : grid)
        for (std::uint8_t code : row) {
            text.push_back(kHex[code >> 4]);
            text.push_back(kHex[code & 15]);
        }
    return text;
}

std::string BotTrace::BoardPrint(const TileGridT& grid) {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (const auto& row : grid)
        for (std::uint8_t code : row) {
            h ^= code;
            h *= 1099511628211ull;
        }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, h);
    return buf;
}

std::vector<BotTrace::Line> BotTrace::ReadFile(const std::string& path) {
    std::vector<Line> lines;
    std::ifstream in(path);
    std::string text;
    while (std::getline(in, text)) {
        const auto cols = modPublicTools::SplitFields(text, '\t');
        if (cols.size() < 3) continue;
        Line l{std::atof(cols[0].c_str()), cols[1], cols[2], {}};
        for (std::size_t i = 3; i < cols.size(); ++i)
            if (const auto eq = cols[i].find('='); eq != std::string::npos)
                l.f[cols[i].substr(0, eq)] = cols[i].substr(eq + 1);
        lines.push_back(std::move(l));
    }
    return lines;
}
