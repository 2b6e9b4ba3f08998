// The five user settings kept in "UserSet.ini": beside the program, or in the user's
// configuration folder when the program is installed for the whole system.
#pragma once
#include <string>

class TableClient;

class modUserSet {
public:
    explicit modUserSet(TableClient& client);
    void LoadUserSet();
    void SaveUserSet();
    // Where the settings file is read from and written to.
    std::string UserSetPath() const;

private:
    TableClient& client_;
};
