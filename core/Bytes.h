// The byte array every message, frame and file image travels in.
#pragma once
#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
