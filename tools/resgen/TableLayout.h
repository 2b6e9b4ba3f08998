// Where the table window puts things (main-window pixels): the art is drawn to fit
// these places, and the review picture assembles a table from them.
#pragma once
#include <QPoint>
#include <QRect>

namespace TableLayout {

inline constexpr int kWindowWidth = 800;
inline constexpr int kWindowHeight = 600;
inline constexpr int kCaptionHeight = 32;
inline constexpr QPoint kLogo{10, 7};
inline constexpr QPoint kCaptionText{30, 9};

// Help buttons (item help, settings) and the three system buttons of the caption.
inline constexpr QRect kHelpButton[2] = {{580, 4, 59, 23}, {646, 4, 59, 23}};
inline constexpr QRect kSystemButton[3] = {{723, 5, 21, 21}, {747, 5, 21, 21}, {771, 5, 21, 21}};

// Small seat panels by display position 1..5 (index 0 unused), and their pieces.
inline constexpr int kPanelWidth = 117;
inline constexpr int kPanelHeight = 140;
inline constexpr QPoint PanelOrigin(int position) { return {10 + 119 * (position - 1), 32}; }
inline constexpr QRect kPanelWell{6, 6, 105, 94};    // cleared with the board
inline constexpr QRect kPanelBoard{13, 29, 90, 70};  // the small board, 5 x 7 cells
inline constexpr QRect kPanelCount{8, 8, 30, 13};    // tiles-left box
inline constexpr QPoint kPanelPosNo{85, 6};          // 25 x 25 position number
inline constexpr QPoint kPanelGroupBar{1, 105};      // 115 x 33 group bar
inline constexpr QPoint kPanelNetBreak{83, 106};
inline constexpr QPoint kPanelHand{50, 56};

// The own seat.
inline constexpr QPoint kOwnPanel{614, 108};  // 177 x 56 group bar
inline constexpr QPoint kOwnNetBreak{614 + 140, 108 + 13};
inline constexpr QPoint kOwnHand{294, 338};
inline constexpr QRect kOwnCount{544, 573, 30, 13};

// The own board and the area cleared around it.
inline constexpr QRect kOwnBoardArea{9, 177, 596, 390};
inline constexpr QRect kOwnBoard{26, 200, 558, 350};
inline constexpr int kCellWidth = 31;
inline constexpr int kCellHeight = 35;

// Item bar (two rows of 24 x 24 buttons), group buttons, chat, user list, time bar.
inline constexpr QPoint ItemButton(int k) { return {619 + 24 * (k % 7), 197 + 28 * (k / 7)}; }
inline constexpr QPoint kGroupButton[4] = {{620, 64}, {667, 64}, {708, 64}, {749, 64}};
inline constexpr QRect kChat{622, 294, 162, 142};
inline constexpr QRect kUserList{622, 454, 162, 127};
inline constexpr QRect kTimeBar{81, 574, 330, 18};

// Results over the own board.
inline constexpr QPoint kOwnFlag{204, 188};
inline constexpr QPoint kOwnTimeEnd{214, 188};
inline constexpr QPoint kOwnPlacard{244, 442};
inline constexpr QPoint kOwnPlace{333, 427};

}  // namespace TableLayout
