#include "client/paint/clsAni_ShanDian.h"

#include <algorithm>
#include <cmath>

#include "client/TableClient.h"
#include "client/paint/TableCanvas.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"

namespace {
// Where a segment runs inside the cells it joins: the vertical strip 4 pixels right of the
// cell's left, the horizontal one 5 below its top; the line itself through the cell's
// centre, and an end on a tile starts at the tile's edge.
constexpr int kVsLeftOffset = 4, kHzTopOffset = 5;
constexpr int kHalfCellHeight = 17, kHalfCellWidth = 15;

// The number nearest to v; a half goes to the even neighbour.
std::int32_t RoundHalfEven(double v) {
    const double down = std::floor(v);
    const double frac = v - down;
    if (frac > 0.5) return static_cast<std::int32_t>(down) + 1;
    if (frac < 0.5) return static_cast<std::int32_t>(down);
    const auto d = static_cast<std::int32_t>(down);
    return d % 2 == 0 ? d : d + 1;
}
}  // namespace

clsAni_ShanDian::clsAni_ShanDian(TableClient& client) : clsAniObject(client), random_(std::random_device{}()) {}

bool clsAni_ShanDian::InitAniInfo(std::int32_t lngID_, std::int32_t lngInterval_, std::int32_t lngStepCount_,
                                  std::int32_t lngNodeCount_, std::span<const std::int32_t> lngNodePos) {
    BeginAni(lngID_, lngInterval_);
    lngStepCount = lngStepCount_;
    lngNodeCount = lngNodeCount_;
    if (lngNodeCount < 2 || lngNodeCount > 4) return false;
    if (static_cast<std::int64_t>(lngNodePos.size()) < 2 * std::int64_t(lngNodeCount)) return false;
    for (int k = 0; k < lngNodeCount; ++k)
        OwnCellOrigin(lngNodePos[2 * k], lngNodePos[2 * k + 1], udtNode[k].x, udtNode[k].y);
    return true;
}

void clsAni_ShanDian::DispCurAni() {
    ++lngCurStep;
    blnAniEnd = false;
    DrawShanDian();
    if (lngCurStep > lngStepCount) Class_Initialize();
}

void clsAni_ShanDian::DrawShanDian() {
    // A count outside 2..4 (refused by InitAniInfo) draws nothing.
    const int segments = lngNodeCount >= 2 && lngNodeCount <= 4 ? lngNodeCount - 1 : 0;
    for (int k = 0; k < segments; ++k) {
        LineKind kind = LineKind::Middle;
        if (segments == 1) kind = LineKind::Only;
        else if (k == 0) kind = LineKind::First;
        else if (k == segments - 1) kind = LineKind::Last;
        DrawShanDianLine(kind, udtNode[k].x, udtNode[k].y, udtNode[k + 1].x, udtNode[k + 1].y);
    }
    RefreshWindow();
}

int clsAni_ShanDian::RandomPiece(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

void clsAni_ShanDian::DrawShanDianLine(LineKind kind, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                       std::int32_t y2) {
    QImage* window = Window();
    if (!window || !client_.Canvas()->picShanDian[0] || !client_.Canvas()->picShanDian[1]) return;
    const bool vertical = x1 == x2 && y1 != y2;
    const bool horizontal = y1 == y2 && x1 != x2;
    if (!vertical && !horizontal) return;  // a diagonal or a single point

    // The segment from its low end to its high end; "reversed" when it runs the other way.
    const bool reversed = vertical ? y1 > y2 : x1 > x2;
    std::int32_t low = vertical ? std::min(y1, y2) : std::min(x1, x2);
    std::int32_t high = vertical ? std::max(y1, y2) : std::max(x1, x2);
    const int shorten = vertical ? kHalfCellHeight : kHalfCellWidth;
    const bool startOnTile = kind == LineKind::Only || kind == LineKind::First;  // node k holds a tile
    const bool endOnTile = kind == LineKind::Only || kind == LineKind::Last;     // node k + 1 holds a tile
    if (reversed ? endOnTile : startOnTile) low += shorten;
    if (reversed ? startOnTile : endOnTile) high -= shorten;

    const int pieceLength = vertical ? kVsPieceHeight : kHzPieceWidth;
    const std::int32_t pieces = RoundHalfEven(double(high - low) / pieceLength + 0.5);

    // Onto the centre line.
    low += shorten;
    high += shorten;
    const std::int32_t across = vertical ? x1 + kVsLeftOffset : y1 + kHzTopOffset;
    const int thickness = vertical ? kVsPieceWidth : kHzPieceHeight;
    if (high <= low) return;

    if (lngCurStep > lngStepCount) {  // the erase tick
        if (vertical) RestoreFromBack(across, low, thickness, high - low);
        else RestoreFromBack(low, across, high - low, thickness);
        return;
    }
    const QImage& strip = client_.Canvas()->picShanDian[vertical ? 1 : 0]->Image;
    std::int32_t at = low;
    for (std::int32_t k = 0; k < pieces && at < high; ++k) {
        const int piece = RandomPiece(vertical ? kVsPieceCount : kHzPieceCount);
        const int length = at + pieceLength > high ? high - at : pieceLength;
        if (vertical) Gdi::BitBlt(*window, across, at, thickness, length, strip, 0, piece * pieceLength, Gdi::SRCCOPY);
        else Gdi::BitBlt(*window, at, across, length, thickness, strip, piece * pieceLength, 0, Gdi::SRCCOPY);
        at += pieceLength;
    }
}
