#include "core/CommandLine.h"

#include <fstream>

namespace CommandLine {

bool ParseHostPort(const std::string& text, std::string& host, int& port, int minPort) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    const std::string p = text.substr(colon + 1);
    if (p.empty() || p.size() > 5 || p.find_first_not_of("0123456789") != std::string::npos) return false;
    const int v = std::stoi(p);
    if (v < minPort || v > 65535) return false;
    std::string h = text.substr(0, colon);
    if (h.size() > 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
    host = h;
    port = v;
    return true;
}

std::optional<std::string> ReadSecretFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) return std::nullopt;
    return line;
}

bool ReadSecretOption(const std::string& path, std::string& secret, std::string& error) {
    auto read = ReadSecretFile(path);
    if (!read) {
        error = "cannot read the secret file " + path + ", or it is empty";
        return false;
    }
    secret = *read;
    return true;
}

}  // namespace CommandLine
