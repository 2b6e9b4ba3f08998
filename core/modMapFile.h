// The map files a table's map choice shows: the list of map titles and each map's
// layout of where tiles lie. Map n (n >= 1) is Res/Map/Map001.map onward; the list
// entry at position 0 has no file. The server deals its boards from the same files.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/modGameDefine.h"

namespace modMapFile {

inline constexpr char kMapFolder[] = "Res/Map/";
inline constexpr char kMapTitleFile[] = "MapTitle.txt";

// "Map007.map", "Map012.map", "Map123.map", "Map1000.map"; empty for n < 1.
std::string MapFileName(int n);
// strAppPath (ending in '/') & "Res/Map/" & the file name of map n; empty for n < 1.
std::string MapFilePath(const std::string& strAppPath, int n);
std::string MapTitlePath(const std::string& strAppPath);

// The titles of a title file's GBK text, in file order, as UTF-8: fields separated by
// commas and line ends; a field in double quotes may hold commas, line ends and ""
// for a quote; blanks around an unquoted field are dropped; empty lines give nothing.
// A fault (an unclosed quote, a GBK character cut in half) ends the list before it.
std::vector<std::string> ParseMapTitles(std::string_view text);
// The same from the file; a missing or unreadable file gives no titles.
std::vector<std::string> ReadMapTitles(const std::string& path);

// A map's text into a grid: lines 1..10 are rows 0..9 of exactly 18 characters each
// (a digit gives its value, any other character 0); lines after the tenth are not
// read; CR LF line ends are fine. Fewer than 10 lines, a line of another length or a
// broken character: false and the whole grid 0.
bool ParseMapText(std::string_view text, TileGridT& grid);
// The same from the file (OpenMapFile's reading); a missing file: false, grid all 0.
bool ReadMapFile(const std::string& path, TileGridT& grid);

}  // namespace modMapFile
