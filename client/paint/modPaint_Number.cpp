#include "client/paint/modPaint_Number.h"

#include <QString>

#include "client/TableClient.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"

modPaint_Number::modPaint_Number(TableClient& client) : client_(client) {}

int modPaint_Number::GlyphOf(char32_t c) { return c >= U'0' && c <= U'9' ? int(c - U'0') : kOtherGlyph; }

void modPaint_Number::PaintNumberString(PictureBox& picDst, const std::string& strNumber, std::int32_t x,
                                        std::int32_t y) {
    if (strNumber.empty()) return;
    const QImage sheet = PictureFile::LoadPicture(client_.ResPath("Res\\Number.bmp"));
    if (sheet.isNull()) return;
    // One glyph per character, however many bytes the character takes.
    for (const char32_t c : QString::fromStdString(strNumber).toUcs4()) {
        Gdi::BitBlt(picDst.Image, x, y, kGlyphWidth, kGlyphHeight, sheet, GlyphOf(c) * kGlyphWidth, 0, Gdi::SRCCOPY);
        x += kGlyphWidth;
    }
}
