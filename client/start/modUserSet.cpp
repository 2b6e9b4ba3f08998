#include "client/start/modUserSet.h"

#include "client/TableClient.h"
#include "core/UserFolders.h"
#include "core/UserSetFile.h"

modUserSet::modUserSet(TableClient& client) : client_(client) {}

std::string modUserSet::UserSetPath() const {
    return UserFolders::FileFor(client_.strAppPath, UserFolders::Kind::Config, "UserSet.ini").string();
}

void modUserSet::LoadUserSet() {
    const auto s = UserSetFile::Load(UserSetPath());
    client_.bteAllowWatch = s[0];
    client_.bteSoundOn = s[1];
    client_.bteShowInOut = s[2];
    client_.bteQuitPrompt = s[3];
    client_.bteWrongPrompt = s[4];
}

void modUserSet::SaveUserSet() {
    // A file that cannot be written leaves the options changed for this run only.
    UserSetFile::Save(UserSetPath(), {client_.bteAllowWatch, client_.bteSoundOn, client_.bteShowInOut,
                                      client_.bteQuitPrompt, client_.bteWrongPrompt});
}
