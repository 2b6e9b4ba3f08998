// Number texts from the digit sheet Res\Number.bmp: eleven 10 x 15 glyphs side by side,
// the digits 0 to 9 and one glyph that stands for every other character.
#pragma once
#include <cstdint>
#include <string>

class TableClient;
class PictureBox;

class modPaint_Number {
public:
    explicit modPaint_Number(TableClient& client);

    // Pastes the glyphs of the text one after another from (x, y) of the picture area,
    // opaque. Nothing for an empty text or a missing sheet.
    void PaintNumberString(PictureBox& picDst, const std::string& strNumber, std::int32_t x, std::int32_t y);

    // The glyph of one character: its digit, or 10.
    static int GlyphOf(char32_t c);

    static constexpr int kGlyphWidth = 10, kGlyphHeight = 15;
    static constexpr int kOtherGlyph = 10;

private:
    TableClient& client_;
};
