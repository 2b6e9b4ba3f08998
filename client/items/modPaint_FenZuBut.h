// The four group buttons (free, A, B, C) shown between games; the local player's group
// is shown selected, and a release on another asks the server to move the local player
// into that group. The group changes only when the server confirms it.
#pragma once
#include <array>

class TableClient;
class PictureBox;

struct FenZuButPosDef {
    int lngLeft = 0;
    int lngTop = 0;
};

class modPaint_FenZuBut {
public:
    explicit modPaint_FenZuBut(TableClient& client);

    void InitFenZuBut();
    void ArrangeFenZuBut();
    void PaintFenZuBut(int group);
    void ShowFenZuBut(bool blnShow);
    void RefreshFenZuBut();

    void picFenZuBut_MouseMove(int group, int button, int x, int y);
    void picFenZuBut_MouseUp(int group, int button, int x, int y);

    std::array<FenZuButPosDef, 4> FenZuButPos{};
    static constexpr int kButtonWidth = 39;
    static constexpr int kButtonHeight = 36;

private:
    PictureBox* Button(int group) const;
    void SetTag(int group, const char* tag);

    TableClient& client_;
};
