// The five caption buttons the window draws itself: two help buttons (item help,
// settings) and three system buttons (minimise, full-screen toggle, close).
#pragma once
#include <cstdint>

class TableClient;
class PictureBox;

class modPaint_CaptionButton {
public:
    explicit modPaint_CaptionButton(TableClient& client);

    void InitCaptionButton();
    void LayoutCaptionButton();
    // Redraw one button in the state its tag gives ("0" normal, anything else
    // highlighted) from its sheet; any other index is ignored.
    void PaintHelpButton(int index);
    void PaintSystemButton(int index);
    // The sheet picture of a system button: 0 minimise, 1 full screen, 2 back to window
    // (button 1 in full-screen mode), 3 close.
    int SystemButtonPicture(int index) const;

    std::int32_t lngHelpButLeft = 580, lngHelpButTop = 4, lngHelpButWidth = 59, lngHelpButHeight = 23;
    std::int32_t lngSysButLeft = 723, lngSysButTop = 5, lngSysButWidth = 21, lngSysButHeight = 21;

    static constexpr int kHelpButGap = 7;
    static constexpr int kSysButGap = 3;

private:
    void PaintCell(PictureBox& button, const char* sheetName, int firstCell, int width, int height);

    TableClient& client_;
};
