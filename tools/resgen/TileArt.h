// The 39 tile kinds: glossy enamel tiles of 31 x 35 pixels, each with a colour of its own
// and a symbol of its own (fruits, shapes, animals, letters), and the two tile sheets.
#pragma once
#include <QColor>
#include <QImage>
#include <QString>

namespace TileArt {

inline constexpr int kTileCount = 39;
inline constexpr int kTileWidth = 31;
inline constexpr int kTileHeight = 35;

// The tile of code 1..39 on the own board's cloth, opaque.
QImage Tile(int code);

// All tiles side by side, code k at x = (k - 1) * 31.
QImage TileSheet();

// The sheet for boards of players who are out: the same tiles in grey, a little dimmer.
QImage GreySheet(const QImage& sheet);

// The tile's enamel colour and a short English name, for the review picture.
QColor TileColour(int code);
QString TileName(int code);

}  // namespace TileArt
