// What the programs' command lines share: a HOST:PORT address and the secret file that
// signs the seat tickets.
#pragma once
#include <optional>
#include <string>

namespace CommandLine {

// Splits "HOST:PORT" (an IPv6 host in brackets); the port must be a decimal number in
// minPort..65535.
bool ParseHostPort(const std::string& text, std::string& host, int& port, int minPort = 1);

// The first line of a secret file without its line end; empty when the file cannot be
// read or its first line is empty.
std::optional<std::string> ReadSecretFile(const std::string& path);

// The value of a --secret-file option: the secret into `secret`, or false with the
// message for the user in `error`.
bool ReadSecretOption(const std::string& path, std::string& secret, std::string& error);

}  // namespace CommandLine
