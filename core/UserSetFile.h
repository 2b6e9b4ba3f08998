// The five on/off preferences of "UserSet.ini": five lines, one decimal number each,
// CR LF line ends. A missing or damaged file means every option is on.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace UserSetFile {

inline constexpr int kSettingCount = 5;
using Settings = std::array<std::uint8_t, kSettingCount>;

inline constexpr Settings kDefaults{1, 1, 1, 1, 1};

// Reads the file; all five options fall back to 1 when the file is missing, has fewer
// than five numbers, or holds a value that is not a number fitting in a byte.
Settings Load(const std::string& path);

// Writes the five values, one a line, by writing a new file beside the old one and
// renaming it into place, so a failed save never leaves half a file. False on failure.
bool Save(const std::string& path, const Settings& settings);

}  // namespace UserSetFile
