#include "core/UserSetFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <fstream>

namespace UserSetFile {
namespace {

// One line's number: blanks around it are allowed, anything else is damage.
bool ParseLine(std::string line, std::uint8_t& out) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i < line.size() && line[i] == '+') ++i;
    if (i == line.size()) return false;
    unsigned value = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + unsigned(c - '0');
        if (value > 255) return false;
    }
    out = static_cast<std::uint8_t>(value);
    return true;
}

}  // namespace

Settings Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return kDefaults;
    Settings s{};
    std::string line;
    for (int n = 0; n < kSettingCount; ++n) {
        if (!std::getline(in, line) || !ParseLine(line, s[n])) return kDefaults;
    }
    return s;
}

bool Save(const std::string& path, const Settings& settings) {
    std::string text;
    for (std::uint8_t v : settings) text += std::to_string(unsigned(v)) + "\r\n";
    const std::string tmp = path + ".new";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace UserSetFile
