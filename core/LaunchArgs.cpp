#include "core/LaunchArgs.h"

#include "core/LaunchMarker.h"

namespace LaunchArgs {

std::vector<std::string> GetCommandLineArgs(std::string_view commandLine, int lngMaxArgs) {
    std::vector<std::string> args(1);
    bool open = false;
    for (char c : commandLine) {
        if (c == ' ' || c == '\t') {
            open = false;
            continue;
        }
        if (!open) {
            if (static_cast<int>(args.size()) - 1 >= lngMaxArgs) break;
            args.emplace_back();
            open = true;
        }
        args.back().push_back(c);
    }
    return args;
}

std::string JoinArgv(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line.push_back(' ');
        line += argv[i];
    }
    return line;
}

LaunchCheck CheckLaunchArgs(const std::vector<std::string>& args) {
    if (args.size() != kArgCount + 1) return LaunchCheck::WrongCount;
    if (args[1] != LaunchMarker::kText) return LaunchCheck::WrongMarker;
    return LaunchCheck::Ok;
}

std::string AppPathOf(std::string_view programFile) {
    const std::size_t slash = programFile.find_last_of('/');
    std::string folder =
        slash == std::string_view::npos ? std::string("./") : std::string(programFile.substr(0, slash + 1));
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

std::string LobbyPathOf(std::string_view appPath) {
    if (appPath.size() < 2) return std::string();
    std::string_view inner = appPath.substr(0, appPath.size() - 1);
    const std::size_t slash = inner.find_last_of('/');
    if (slash == std::string_view::npos) return std::string();
    return std::string(inner.substr(0, slash + 1));
}

}  // namespace LaunchArgs
