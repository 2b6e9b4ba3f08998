// The pool of tile blast animations.
#pragma once

class TableClient;

class modManage_BlastObject {
public:
    explicit modManage_BlastObject(TableClient& client);
    ~modManage_BlastObject();
    void InitBlastObject();
    int GetFreeBlastObject();
    void ReleaseBlastObject();

private:
    TableClient& client_;
};
