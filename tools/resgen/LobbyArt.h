// The lobby folder's pictures: the message window icons and the chat face pictures.
#pragma once
#include <QImage>

namespace LobbyArt {

inline constexpr int kFaceCount = 20;

// Message window icon of type 0 (notice), 1 (notice with a button), 2 (question); 32 x 32.
QImage MsgIcon(int type);

// Chat face n (0..19), 24 x 24 on white.
QImage Face(int n);

}  // namespace LobbyArt
