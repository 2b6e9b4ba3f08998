// The clean background copy picGameBack (612 x 600): the window background plus
// everything the drawing modules paint, the picture animations erase themselves from.
#pragma once

class TableClient;

class modPaint_GameBack {
public:
    explicit modPaint_GameBack(TableClient& client);
    void InitGameBack();

private:
    TableClient& client_;
};
