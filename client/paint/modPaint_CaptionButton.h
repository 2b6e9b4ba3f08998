// The five caption buttons the window draws itself: two help buttons (item help,
// settings) and three system buttons (minimise, full-screen toggle, close).
#pragma once
#include <cstdint>

class TableClient;

class modPaint_CaptionButton {
public:
    explicit modPaint_CaptionButton(TableClient& client);

    void InitCaptionButton();
    void LayoutCaptionButton();
    void PaintHelpButton(int index);
    void PaintSystemButton(int index);

    std::int32_t lngHelpButLeft = 580, lngHelpButTop = 4, lngHelpButWidth = 59, lngHelpButHeight = 23;
    std::int32_t lngSysButLeft = 723, lngSysButTop = 5, lngSysButWidth = 21, lngSysButHeight = 21;

private:
    TableClient& client_;
};
