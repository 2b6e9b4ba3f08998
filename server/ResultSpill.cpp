#include "server/ResultSpill.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>

namespace {

constexpr const char* kTag = "game1";

std::string Hex(const std::string& s) {
    static const char* digits = "0123456789abcdef";
    std::string out = s.empty() ? "-" : "";
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::optional<std::string> Unhex(const std::string& s) {
    if (s == "-") return std::string();
    if (s.size() % 2) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const auto a = std::strchr("0123456789abcdef", s[i]), b = std::strchr("0123456789abcdef", s[i + 1]);
        if (!s[i] || !s[i + 1] || !a || !b) return std::nullopt;
        out += static_cast<char>(((a - "0123456789abcdef") << 4) | (b - "0123456789abcdef"));
    }
    return out;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ResultSpill::~ResultSpill() {
    if (fd_ >= 0) ::close(fd_);
}

std::string ResultSpill::Encode(const GameRecord& g) {
    std::ostringstream o;
    o << kTag << ' ' << Hex(g.key) << ' ' << Hex(g.room) << ' ' << g.table << ' ' << g.mapNo << ' ' << g.ended << ' '
      << g.results.size();
    for (const auto& r : g.results)
        o << ' ' << Hex(r.name) << ' ' << r.seat << ' ' << int(r.place) << ' ' << r.score << ' '
          << static_cast<int>(r.outcome);
    o << " end\n";
    return o.str();
}

std::optional<GameRecord> ResultSpill::Decode(const std::string& line) {
    std::istringstream in(line);
    std::string tag, key, room, end;
    GameRecord g;
    std::size_t count = 0;
    if (!(in >> tag >> key >> room >> g.table >> g.mapNo >> g.ended >> count) || tag != kTag || count > 64)
        return std::nullopt;
    auto k = Unhex(key), r = Unhex(room);
    if (!k || k->empty() || !r) return std::nullopt;
    g.key = *k;
    g.room = *r;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name;
        int place = 0, outcome = 0;
        GameResult res;
        if (!(in >> name >> res.seat >> place >> res.score >> outcome) || place < 0 || place > 255 || outcome < 0 ||
            outcome > static_cast<int>(Scoring::Outcome::Escape))
            return std::nullopt;
        auto n = Unhex(name);
        if (!n) return std::nullopt;
        res.name = *n;
        res.place = static_cast<std::uint8_t>(place);
        res.outcome = static_cast<Scoring::Outcome>(outcome);
        g.results.push_back(res);
    }
    if (!(in >> end) || end != "end") return std::nullopt;
    return g;
}

bool ResultSpill::Open(const std::string& path, std::vector<GameRecord>& held, std::string& error) {
    path_ = path;
    if (path.empty()) return true;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        error = "cannot open the spill file " + path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error = "the spill file " + path + " is in use by another server";
        return false;
    }
    std::string text;
    char buf[65536];
    ssize_t n;
    while ((n = ::pread(fd_, buf, sizeof buf, static_cast<off_t>(text.size()))) > 0) text.append(buf, n);
    std::size_t pos = 0, bad = 0;
    for (;;) {
        const auto nl = text.find('\n', pos);
        if (nl == std::string::npos) break;  // a line without its end was cut short
        if (auto g = Decode(text.substr(pos, nl - pos))) held.push_back(std::move(*g));
        else ++bad;
        pos = nl + 1;
    }
    if (bad) error = std::to_string(bad) + " unreadable lines in the spill file " + path;
    // Only whole lines stay: what follows is appended after them.
    if (pos != text.size() && ::ftruncate(fd_, static_cast<off_t>(pos)) != 0) {
        error = "cannot cut the spill file " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ResultSpill::Append(const GameRecord& game, std::string& error) {
    if (fd_ < 0) {
        error = "no spill file";
        return false;
    }
    const off_t before = ::lseek(fd_, 0, SEEK_END);
    if (!WriteAll(fd_, Encode(game)) || ::fdatasync(fd_) != 0) {
        error = "cannot write the spill file " + path_ + ": " + std::strerror(errno);
        if (before >= 0 && ::ftruncate(fd_, before) != 0) error += " (and cannot cut it back)";
        return false;
    }
    return true;
}

bool ResultSpill::Clear(std::string& error) {
    if (fd_ < 0) return true;
    if (::ftruncate(fd_, 0) != 0 || ::fsync(fd_) != 0) {
        error = "cannot empty the spill file " + path_ + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
