// The item bar: nine picture buttons with their state and the local player's count, a
// tooltip with the item's name (and price), and the start of an item use.
#pragma once
#include <cstdint>

class TableClient;

class modPaint_DaoJuButton {
public:
    explicit modPaint_DaoJuButton(TableClient& client);

    void InitDaoJuButton();
    void ArrangeDaoJuButton();
    void PaintDaoJuButton(int index);
    void ShowDaoJuButton(bool blnShow);
    void RefreshDaoJuButton();
    void SetDaoJuButtonState(bool blnGameStopped);
    void SendItemToUser(std::uint8_t bteDaoJuNo, std::uint8_t bteDstUserNo);

    void picDaoJuBut_MouseMove(int index, int button, int x, int y);
    void picDaoJuBut_MouseDown(int index, int button, int x, int y);
    void picDaoJuBut_MouseUp(int index, int button, int x, int y);

private:
    TableClient& client_;
};
