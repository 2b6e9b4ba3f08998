// The five user settings kept in "UserSet.ini" beside the program.
#pragma once

class TableClient;

class modUserSet {
public:
    explicit modUserSet(TableClient& client);
    void LoadUserSet();
    void SaveUserSet();

private:
    TableClient& client_;
};
