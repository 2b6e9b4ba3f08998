// The clean background copy picGameBack (612 x 600): the window background plus
// everything the drawing modules paint, the picture animations erase themselves from.
#pragma once

class TableClient;

class modPaint_GameBack {
public:
    explicit modPaint_GameBack(TableClient& client);
    // Sizes the hidden copy and paints Res\GameBack.bmp into it (the copy stays empty
    // when the file is missing).
    void InitGameBack();

    static constexpr int kWidth = 612;
    static constexpr int kHeight = 600;

private:
    TableClient& client_;
};
