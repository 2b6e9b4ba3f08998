#include "core/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>

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

void Prepare(CLI::App& app) { app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast); }

bool Read(CLI::App& app, int argc, const char* const* argv, std::string& error, bool& help) {
    return Read(app, std::vector<std::string>(argv + std::min(argc, 1), argv + argc), error, help);
}

bool Read(CLI::App& app, const std::vector<std::string>& args, std::string& error, bool& help) {
    help = false;
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
        app.parse(reversed);
        return true;
    } catch (const CLI::CallForHelp&) {
        help = true;
        error = app.help();
    } catch (const CLI::CallForAllHelp&) {
        help = true;
        error = app.help("", CLI::AppFormatMode::All);
    } catch (const CLI::ParseError& e) {
        error = e.what();
    }
    return false;
}

int ReadFailure(const char* program, const std::string& error, bool help) {
    if (help) {
        std::fputs(error.c_str(), stdout);
        return 0;
    }
    std::fprintf(stderr, "%s: %s\nRun with --help for the options.\n", program, error.c_str());
    return 2;
}

CLI::Validator Whole(long long lo, long long hi) {
    const std::string range = std::to_string(lo) + " to " + std::to_string(hi);
    return CLI::Validator(
        [lo, hi, range](std::string& text) {
            long long v = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
            if (ec == std::errc() && end == text.data() + text.size() && v >= lo && v <= hi) return std::string();
            return "wants a whole number from " + range + ", not \"" + text + "\"";
        },
        range);
}

CLI::Validator Real(double lo, double hi) {
    char range[64];
    std::snprintf(range, sizeof range, "%g to %g", lo, hi);
    return CLI::Validator(
        [lo, hi, shown = std::string(range)](std::string& text) {
            char* end = nullptr;
            const double v = text.empty() ? 0 : std::strtod(text.c_str(), &end);
            if (!text.empty() && end == text.c_str() + text.size() && std::isfinite(v) && v >= lo && v <= hi)
                return std::string();
            return "wants a number from " + shown + ", not \"" + text + "\"";
        },
        range);
}

std::optional<int> ReadOrEnd(CLI::App& app, int argc, const char* const* argv) {
    std::string error;
    bool help = false;
    if (Read(app, argc, argv, error, help)) return std::nullopt;
    return ReadFailure(app.get_name().c_str(), error, help);
}

namespace {

CLI::Option* AddAddressWith(CLI::App& app, const std::string& name, int minPort, const std::string& description,
                            const std::function<void(const std::string&, const std::string&, int)>& keep) {
    return app
        .add_option_function<std::string>(
            name,
            [name, minPort, keep](const std::string& value) {
                std::string host;
                int port = 0;
                if (!ParseHostPort(value, host, port, minPort))
                    throw CLI::ValidationError(name + " wants HOST:PORT, not \"" + value + "\"");
                keep(value, host, port);
            },
            description)
        ->type_name("HOST:PORT");
}

}  // namespace

CLI::Option* AddAddress(CLI::App& app, const std::string& name, std::string& host, int& port, int minPort,
                        const std::string& description) {
    return AddAddressWith(app, name, minPort, description,
                          [&host, &port](const std::string&, const std::string& h, int p) {
                              host = h;
                              port = p;
                          });
}

CLI::Option* AddAddress(CLI::App& app, const std::string& name, std::string& text, int minPort,
                        const std::string& description) {
    return AddAddressWith(app, name, minPort, description,
                          [&text](const std::string& value, const std::string&, int) { text = value; });
}

CLI::Option* AddSecretFile(CLI::App& app, std::string& path) {
    return app.add_option("--secret-file", path, "the file whose first line is the secret that signs seat tickets")
        ->type_name("FILE");
}

CLI::Option* AddTable(CLI::App& app, int& table) {
    return app.add_option("--table", table, "the table number")->check(Whole(1, kMaxTable))->type_name("T");
}

CLI::Option* AddLogLevel(CLI::App& app, ProgramLog::Level& level) {
    return app
        .add_option_function<std::string>(
            "--log-level",
            [&level](const std::string& value) {
                const auto parsed = ProgramLog::ParseLevel(value);
                if (!parsed)
                    throw CLI::ValidationError(std::string("--log-level wants ") + ProgramLog::LevelNames() +
                                               ", not \"" + value + "\"");
                level = *parsed;
            },
            "the least important reports written to standard error (default info)")
        ->type_name(ProgramLog::LevelNames());
}

CLI::Option* AddSeconds(CLI::App& app, const std::string& name, std::chrono::milliseconds& out, double lo, double hi,
                        const std::string& description) {
    return app
        .add_option_function<double>(
            name, [&out](double seconds) { out = std::chrono::milliseconds(static_cast<long long>(seconds * 1000)); },
            description)
        ->check(Real(lo, hi))
        ->type_name("SECONDS");
}

}  // namespace CommandLine
