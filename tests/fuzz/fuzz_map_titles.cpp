// "MapTitle.txt" from any bytes: the titles come out as UTF-8 that turns back into the
// same GBK text and again into the same titles.
#include <cstdlib>
#include <string_view>

#include "core/GbkText.h"
#include "core/modMapFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& title : modMapFile::ParseMapTitles(text)) {
        const std::string gbk = GbkText::FromUtf8(title);
        if (GbkText::ToUtf8(gbk) != title) std::abort();
    }
    return 0;
}
