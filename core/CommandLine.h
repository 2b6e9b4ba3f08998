// What the programs' command lines share: the reading itself (CLI11, with --help), and the
// options every program spells the same way: a HOST:PORT address, the secret file that
// signs the seat tickets, the log level, numbers within bounds.
#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/ProgramLog.h"

namespace CLI {
class App;
class Option;
class Validator;
}  // namespace CLI

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

// Readies an app for the options below: an option given twice keeps its last value.
void Prepare(CLI::App& app);

// Reads argv into the options of `app`. False when the program does not go on: `error`
// holds the fault, which names the option, or with `help` set the help text (--help).
bool Read(CLI::App& app, int argc, const char* const* argv, std::string& error, bool& help);
// The same for the arguments alone (without the program name).
bool Read(CLI::App& app, const std::vector<std::string>& args, std::string& error, bool& help);

// The end of a program whose command line was not read: the help on standard output and
// status 0, or "PROGRAM: fault" and a hint on standard error and status 2.
int ReadFailure(const char* program, const std::string& error, bool help);

// Read, then ReadFailure under the app's name: nothing when the program goes on, else the
// status it ends with.
std::optional<int> ReadOrEnd(CLI::App& app, int argc, const char* const* argv);

// --NAME HOST:PORT with a port in minPort..65535, split into host and port, or kept as
// given in `text`.
CLI::Option* AddAddress(CLI::App& app, const std::string& name, std::string& host, int& port, int minPort,
                        const std::string& description);
CLI::Option* AddAddress(CLI::App& app, const std::string& name, std::string& text, int minPort,
                        const std::string& description);

// --secret-file FILE: the path; the file is read by the program when it needs the secret.
CLI::Option* AddSecretFile(CLI::App& app, std::string& path);

// Checks of a number option: a whole (or decimal) number within lo..hi, refused with a
// message that says so and quotes the value.
CLI::Validator Whole(long long lo, long long hi);
CLI::Validator Real(double lo, double hi);

// --table T: a table number, 1..kMaxTable.
inline constexpr int kMaxTable = 1000000;
CLI::Option* AddTable(CLI::App& app, int& table);

// --log-level trace|debug|info|warn|error|off.
CLI::Option* AddLogLevel(CLI::App& app, ProgramLog::Level& level);

// --NAME SECONDS: a decimal number of seconds within lo..hi, kept in milliseconds.
CLI::Option* AddSeconds(CLI::App& app, const std::string& name, std::chrono::milliseconds& out, double lo, double hi,
                        const std::string& description);

}  // namespace CommandLine
