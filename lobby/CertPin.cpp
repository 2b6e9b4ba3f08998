#include "lobby/CertPin.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/CertFingerprint.h"
#include "core/NetAddress.h"
#include "net/TlsProbe.h"

namespace fs = std::filesystem;

CertPins::CertPins(fs::path file) : file_(std::move(file)) {
    std::ifstream in(file_);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string server, hex;
        if (!(fields >> server >> hex)) continue;
        if (const auto fp = CertFingerprint::Parse(hex)) pins_[server] = *fp;
    }
}

fs::path CertPins::DefaultFile() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base = xdg && *xdg ? fs::path(xdg) : fs::path(home && *home ? home : ".") / ".config";
    return base / "tilelink" / "known-servers";
}

std::optional<std::string> CertPins::Find(const std::string& server) const {
    const auto it = pins_.find(server);
    if (it == pins_.end()) return std::nullopt;
    return it->second;
}

bool CertPins::Remember(const std::string& server, const std::string& fingerprint, std::string& error) {
    pins_[server] = fingerprint;
    std::error_code ec;
    fs::create_directories(file_.parent_path(), ec);
    const fs::path temp = file_.string() + ".new";
    {
        std::ofstream out(temp, std::ios::trunc);
        for (const auto& [s, fp] : pins_) out << s << " " << fp << "\n";
        if (!out.flush()) {
            error = "cannot write " + temp.string();
            return false;
        }
    }
    fs::rename(temp, file_, ec);
    if (ec) {
        error = "cannot write " + file_.string() + ": " + ec.message();
        return false;
    }
    return true;
}

std::string ServerKey(const std::string& host, int port) {
    std::string h = host;
    std::transform(h.begin(), h.end(), h.begin(), [](unsigned char c) { return std::tolower(c); });
    if (h.find(':') != std::string::npos) h = "[" + h + "]";
    return h + ":" + std::to_string(port);
}

ServerRoute RouteToServer(const std::string& host, int port, CertPins& pins) {
    ServerRoute route;
    const std::string key = ServerKey(host, port);
    const auto pinned = pins.Find(key);
    const bool loopback = NetAddress::IsLoopback(host);
    std::string seen, why;
    const auto outcome = TlsProbe::Fetch(host, port, std::chrono::seconds(5), seen, why);

    if (outcome == TlsProbe::Outcome::Tls) {
        if (pinned && *pinned != seen) {
            route.error = "WARNING: the certificate of " + key +
                          " has CHANGED since it was pinned.\n"
                          "  pinned: " +
                          CertFingerprint::Show(*pinned) + "\n  now:    " + CertFingerprint::Show(seen) +
                          "\nThis may be another machine posing as that server; nothing was sent to it. If its "
                          "operator really made a new certificate, delete the line of " +
                          key + " from " + pins.File().string() + ".";
            return route;
        }
        if (!pinned) {
            if (!pins.Remember(key, seen, route.error)) return route;
            route.note = "first connection to " + key + ": its certificate's SHA-256 fingerprint is " +
                         CertFingerprint::Show(seen) + " (pinned in " + pins.File().string() +
                         "; compare it with the one the server printed)";
        } else {
            route.note = key + ": certificate " + CertFingerprint::Show(seen) + " as pinned";
        }
        route.fingerprint = seen;
        route.ok = true;
        return route;
    }
    if (outcome == TlsProbe::Outcome::Unreachable && pinned) {
        // The table client checks the pin itself when the server is back.
        route.fingerprint = *pinned;
        route.ok = true;
        return route;
    }
    if (loopback && !pinned) {  // local play: plain TCP never leaves this machine
        route.ok = true;
        return route;
    }
    if (outcome == TlsProbe::Outcome::Unreachable)
        route.error = "cannot reach " + key + " to read its certificate (" + why + ")";
    else
        route.error = key + " does not answer with TLS" + std::string(pinned ? " although it did when pinned" : "") +
                      "; a ticket is never sent to it in clear";
    return route;
}
