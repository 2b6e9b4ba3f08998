// A map file from any bytes, through the text parser and the file reader: both agree,
// every cell is a digit's value, and a refused file leaves the whole grid empty.
#include <cstdlib>
#include <string_view>

#include "FuzzFiles.h"
#include "core/modMapFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TileGridT grid;
    for (auto& row : grid) row.fill(0xEE);
    const bool ok = modMapFile::ParseMapText(text, grid);
    for (const auto& row : grid)
        for (std::uint8_t cell : row)
            if (cell > 9 || (!ok && cell != 0)) std::abort();

    const std::string& path = fuzzfiles::ScratchPath("Map001.map");
    fuzzfiles::WriteFile(path, data, size);
    TileGridT fromFile{};
    if (modMapFile::ReadMapFile(path, fromFile) != ok || fromFile != grid) std::abort();
    return 0;
}
