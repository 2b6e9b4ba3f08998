// A scratch file for the targets that read files by name: one per process, rewritten for
// every input.
#pragma once
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fuzzfiles {

inline const std::string& ScratchPath(const char* name) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("tl_fuzz_" + std::to_string(getpid()) + "_" + name)).string();
    return path;
}

inline void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

}  // namespace fuzzfiles
