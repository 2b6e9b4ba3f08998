// The pool of combo banners and their starter.
#pragma once
#include <string>

class TableClient;

class modManage_LianJiObject {
public:
    explicit modManage_LianJiObject(TableClient& client);
    ~modManage_LianJiObject();
    void InitLianJiObject();
    int GetFreeLianJiObject();
    void ReleaseLianJiObject();
    void StartLianJiAni(int seat, const std::string& text);

private:
    TableClient& client_;
};
