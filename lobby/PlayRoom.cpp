#include "lobby/PlayRoom.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <set>

#include "core/Ticket.h"

namespace fs = std::filesystem;

namespace PlayRoom {

namespace {
bool Alive(pid_t pid) { return pid > 0 && ::kill(pid, 0) == 0; }
}  // namespace

fs::path RunFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    fs::path dir =
        (xdg && *xdg ? fs::path(xdg) : fs::temp_directory_path()) / ("tilelink-" + std::to_string(::getuid()));
    std::error_code ec;
    fs::create_directories(dir, ec);
    ::chmod(dir.c_str(), 0700);
    return dir;
}

std::optional<std::string> FreshSecretFile(const fs::path& file) {
    std::ifstream random("/dev/urandom", std::ios::binary);
    unsigned char raw[32];
    if (!random.read(reinterpret_cast<char*>(raw), sizeof raw)) return std::nullopt;
    static constexpr char hex[] = "0123456789abcdef";
    std::string secret;
    for (unsigned char b : raw) {
        secret.push_back(hex[b >> 4]);
        secret.push_back(hex[b & 15]);
    }
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (!out) return std::nullopt;
        out << secret << "\n";
    }
    ::chmod(file.c_str(), 0600);
    return secret;
}

std::optional<Server> ReadServer(const fs::path& file) {
    std::ifstream in(file);
    Server s;
    if (!(in >> s.port >> s.pid >> s.secretFile) || !Alive(s.pid)) return std::nullopt;
    return s;
}

void WriteServer(const fs::path& file, const Server& s) {
    std::ofstream(file, std::ios::trunc) << s.port << " " << s.pid << " " << s.secretFile << "\n";
}

std::vector<Mark> LiveMarks(const fs::path& dir) {
    std::vector<Mark> marks;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        Mark m;
        m.pid = static_cast<pid_t>(std::atol(e.path().filename().c_str()));
        std::ifstream in(e.path());
        // The name is the rest of the line: it may hold spaces.
        if (!Alive(m.pid) || !(in >> m.table >> m.bots) || !std::getline(in >> std::ws, m.name) || m.name.empty()) {
            fs::remove(e.path(), ec);
            continue;
        }
        marks.push_back(m);
    }
    std::sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.pid < b.pid; });
    return marks;
}

void WriteMark(const fs::path& dir, const Mark& m) {
    std::ofstream(dir / std::to_string(m.pid), std::ios::trunc) << m.table << " " << m.bots << " " << m.name << "\n";
}

void RemoveMark(const fs::path& dir, pid_t pid) {
    std::error_code ec;
    fs::remove(dir / std::to_string(pid), ec);
}

int SeatsTaken(const std::vector<Mark>& marks, int table) {
    int taken = 0;
    for (const auto& m : marks)
        if (m.table == table) taken += 1 + m.bots;
    return taken;
}

std::optional<int> TableWithFreeSeat(const std::vector<Mark>& marks, int seats) {
    std::set<int> tables;
    for (const auto& m : marks) tables.insert(m.table);
    for (int t : tables)
        if (SeatsTaken(marks, t) < seats) return t;
    return std::nullopt;
}

int NewTable(const std::vector<Mark>& marks) {
    int top = 0;
    for (const auto& m : marks) top = std::max(top, m.table);
    return top + 1;
}

std::string FreeName(const std::vector<Mark>& marks, const std::string& base) {
    auto used = [&](const std::string& name) {
        return std::any_of(marks.begin(), marks.end(), [&](const Mark& m) { return m.name == name; });
    };
    if (!used(base)) return base;
    for (int n = 2;; ++n) {
        std::string name = base + std::to_string(n);
        if (!Ticket::IsValidName(name)) name = "玩家" + std::to_string(n);
        if (!used(name)) return name;
    }
}

}  // namespace PlayRoom
