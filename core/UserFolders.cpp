#include "core/UserFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

// The folders a system-wide install puts the programs in (set by the build from the
// install prefix); empty in a build that is never installed.
#ifndef TILELINK_SYSTEM_PROGRAM_DIRS
#define TILELINK_SYSTEM_PROGRAM_DIRS ""
#endif

namespace fs = std::filesystem;

namespace UserFolders {
namespace {

fs::path HomeDir() {
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir == '/') return pw->pw_dir;
    return fs::temp_directory_path();
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback
// under the home folder.
fs::path Base(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value && *value == '/') return value;
    return HomeDir() / fallback;
}

// Lexically normal, without a trailing separator, so "a/b/" and "a/b" compare equal.
fs::path Normal(const fs::path& p) {
    fs::path n = p.lexically_normal();
    if (!n.has_filename() && n.has_parent_path() && n != n.root_path()) n = n.parent_path();
    return n;
}

}  // namespace

bool IsSystemProgramDir(const fs::path& dir) {
    const std::string list = TILELINK_SYSTEM_PROGRAM_DIRS;
    const fs::path mine = Normal(dir);
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        if (end > start && Normal(list.substr(start, end - start)) == mine) return true;
        start = end + 1;
    }
    return false;
}

fs::path Home(Kind kind) {
    switch (kind) {
        case Kind::Config:
            return Base("XDG_CONFIG_HOME", ".config") / "tilelink";
        case Kind::Data:
            return Base("XDG_DATA_HOME", ".local/share") / "tilelink";
        case Kind::State:
            return Base("XDG_STATE_HOME", ".local/state") / "tilelink";
    }
    return Base("XDG_DATA_HOME", ".local/share") / "tilelink";
}

bool KeepsFilesBeside(const fs::path& programDir) {
    if (programDir.empty() || IsSystemProgramDir(programDir)) return false;
    return ::access(programDir.c_str(), W_OK | X_OK) == 0;
}

fs::path FileFor(const fs::path& programDir, Kind kind, const std::string& name) {
    if (KeepsFilesBeside(programDir)) return programDir / name;
    const fs::path home = Home(kind);
    std::error_code ec;
    if (!fs::is_directory(home, ec)) {
        fs::create_directories(home, ec);
        ::chmod(home.c_str(), 0700);
    }
    return home / name;
}

}  // namespace UserFolders
