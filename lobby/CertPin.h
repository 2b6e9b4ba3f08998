// Trust on first use: the lobby remembers the certificate fingerprint each room server
// (HOST:PORT) showed the first time, and refuses the server when it shows another one.
// The file holds one "HOST:PORT HEX" line per server.
#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <string>

class CertPins {
public:
    explicit CertPins(std::filesystem::path file);
    // $XDG_CONFIG_HOME/tilelink/known-servers, or ~/.config/tilelink/known-servers.
    static std::filesystem::path DefaultFile();

    const std::filesystem::path& File() const { return file_; }
    std::optional<std::string> Find(const std::string& server) const;
    // Adds or replaces the pin and writes the file; false with the reason in `error`.
    bool Remember(const std::string& server, const std::string& fingerprint, std::string& error);

private:
    std::filesystem::path file_;
    std::map<std::string, std::string> pins_;
};

// How the lobby reaches a room server: the pinned fingerprint (TLS), or none (plain TCP,
// loopback only), or a refusal.
struct ServerRoute {
    bool ok = false;
    std::string fingerprint;  // empty: plain TCP
    std::string note;         // the line to show the player (the fingerprint, first use)
    std::string error;        // why the server is refused
};

// Reads the server's certificate and checks it against the pins. A new server is pinned
// on the spot; a changed certificate, or a server off this machine that does not speak
// TLS, is refused: no ticket or password is ever sent to it.
ServerRoute RouteToServer(const std::string& host, int port, CertPins& pins);

// The key of a server in the pin file.
std::string ServerKey(const std::string& host, int port);
