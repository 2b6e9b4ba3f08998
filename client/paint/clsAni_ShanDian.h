// The lightning along a link path on the own board: for a few ticks each segment of the
// path is covered with random pieces of the horizontal or vertical lightning strip, a
// new choice every tick; the tick after the last one puts the clean background back.
#pragma once
#include <cstdint>
#include <random>
#include <span>

#include "client/paint/AniObject.h"

class clsAni_ShanDian : public clsAniObject {
public:
    explicit clsAni_ShanDian(TableClient& client);

    // lngNodePos holds row, column of every node in path order. False for a node count
    // outside 2..4 or a list too short for it.
    bool InitAniInfo(std::int32_t lngID, std::int32_t lngInterval, std::int32_t lngStepCount, std::int32_t lngNodeCount,
                     std::span<const std::int32_t> lngNodePos);
    void DispCurAni();

    enum class LineKind { Only, First, Middle, Last };

    struct NodeXY {
        std::int32_t x = 0;
        std::int32_t y = 0;
    };
    std::int32_t lngNodeCount = 0;
    NodeXY udtNode[4];

    // The strips' pieces.
    static constexpr int kHzPieceWidth = 31, kHzPieceHeight = 24, kHzPieceCount = 14;
    static constexpr int kVsPieceWidth = 23, kVsPieceHeight = 35, kVsPieceCount = 12;

private:
    void DrawShanDian();
    void DrawShanDianLine(LineKind kind, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    // A random piece number 0..count-1, every number equally likely.
    int RandomPiece(int count);

    std::mt19937 random_;
};
