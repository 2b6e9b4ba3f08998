#include "client/start/modUserSet.h"

#include "client/TableClient.h"
#include "core/UserSetFile.h"

modUserSet::modUserSet(TableClient& client) : client_(client) {}

void modUserSet::LoadUserSet() {
    const auto s = UserSetFile::Load(client_.ResPath("UserSet.ini"));
    client_.bteAllowWatch = s[0];
    client_.bteSoundOn = s[1];
    client_.bteShowInOut = s[2];
    client_.bteQuitPrompt = s[3];
    client_.bteWrongPrompt = s[4];
}

void modUserSet::SaveUserSet() {
    // A file that cannot be written leaves the options changed for this run only.
    UserSetFile::Save(client_.ResPath("UserSet.ini"), {client_.bteAllowWatch, client_.bteSoundOn,
                                                       client_.bteShowInOut, client_.bteQuitPrompt,
                                                       client_.bteWrongPrompt});
}
