// Where a program keeps the files of its user (settings, the local table's records, the
// lobby's state): beside the program while its folder belongs to the user (the build
// tree, a copy unpacked somewhere writable), otherwise in the user's own XDG folders.
#pragma once
#include <filesystem>
#include <string>

namespace UserFolders {

enum class Kind {
    Config,  // $XDG_CONFIG_HOME/tilelink, else ~/.config/tilelink
    Data,    // $XDG_DATA_HOME/tilelink,   else ~/.local/share/tilelink
    State,   // $XDG_STATE_HOME/tilelink,  else ~/.local/state/tilelink
};

// The user's folder of that kind for tilelink (not created here).
std::filesystem::path Home(Kind kind);

// True for the folders a system-wide install puts the programs in (PREFIX/lib/tilelink,
// its table/ folder, PREFIX/lib/tilelink-server), with or without a trailing separator.
bool IsSystemProgramDir(const std::filesystem::path& dir);

// True when the programs in `programDir` keep their user files beside them: the folder
// is writable by this process and is not the system-wide install folder (where even an
// administrator's files would be left behind by the package's removal).
bool KeepsFilesBeside(const std::filesystem::path& programDir);

// The path of the user file `name` of the program in `programDir`: beside it, or in the
// user's folder of `kind`, which is then created (private to the user).
std::filesystem::path FileFor(const std::filesystem::path& programDir, Kind kind, const std::string& name);

}  // namespace UserFolders
