// "UserSet.ini" from any bytes: the reader gives five byte values (or the defaults), and
// what it read, saved and read again, is the same.
#include <cstdlib>

#include "FuzzFiles.h"
#include "core/UserSetFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzzfiles::ScratchPath("UserSet.ini");
    fuzzfiles::WriteFile(path, data, size);
    const UserSetFile::Settings first = UserSetFile::Load(path);
    if (!UserSetFile::Save(path, first)) std::abort();
    if (UserSetFile::Load(path) != first) std::abort();
    return 0;
}
