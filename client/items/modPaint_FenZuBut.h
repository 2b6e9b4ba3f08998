// The four group buttons (free, A, B, C) shown between games; a release asks the server
// to move the local player into that group.
#pragma once

class TableClient;

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

private:
    TableClient& client_;
};
