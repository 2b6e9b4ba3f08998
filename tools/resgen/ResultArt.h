// The result pictures drawn over a finished player's board: place sprites, the score
// placard, the win and fail flags and the time-out banner, each on its key colour.
#pragma once
#include <QImage>

namespace ResultArt {

QImage ScoreSort();    // 6 places of 41 x 48 side by side, on black
QImage ScorePalard();  // 101 x 42 on RGB(248, 0, 234); the score is printed from (60, 14)
QImage WinFlag();      // 194 x 234 on white
QImage FailFlag();     // 194 x 234 on white
QImage TimeEnd();      // 190 x 55 on magenta

}  // namespace ResultArt
