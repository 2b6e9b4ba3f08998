#include "client/paint/GameSurfaces.h"

#include "client/TableClient.h"
#include "client/paint/TableCanvas.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"

GameSurfaces::GameSurfaces(TableClient& client) : client_(client) {
    if (!client_.Canvas()) return;
    window_ = &client_.Canvas()->Image;
    if (client_.Canvas()->picGameBack) back_ = &client_.Canvas()->picGameBack->Image;
}

QImage GameSurfaces::Load(const std::string& resName) const {
    return PictureFile::LoadPicture(client_.ResPath(resName));
}

bool GameSurfaces::DrawPicture(const QImage& picture, int x, int y, int sx, int sy, int w, int h) {
    if (!window_ || picture.isNull()) return false;
    Gdi::PaintPicture(*window_, picture, x, y, 0, 0, sx, sy, w, h);
    if (back_) Gdi::PaintPicture(*back_, picture, x, y, 0, 0, sx, sy, w, h);
    return true;
}

bool GameSurfaces::DrawFile(const std::string& resName, int x, int y, int sx, int sy, int w, int h) {
    if (!window_) return false;
    return DrawPicture(Load(resName), x, y, sx, sy, w, h);
}

bool GameSurfaces::DrawFileOnWindow(const std::string& resName, int x, int y, int sx, int sy, int w, int h) {
    if (!window_) return false;
    const QImage picture = Load(resName);
    if (picture.isNull()) return false;
    Gdi::PaintPicture(*window_, picture, x, y, 0, 0, sx, sy, w, h);
    return true;
}

void GameSurfaces::StretchPicture(const QImage& picture, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    if (!window_ || picture.isNull()) return;
    Gdi::StretchBlt(*window_, x, y, w, h, picture, sx, sy, sw, sh, Gdi::SRCCOPY);
    if (back_) Gdi::StretchBlt(*back_, x, y, w, h, picture, sx, sy, sw, sh, Gdi::SRCCOPY);
}

void GameSurfaces::FillBox(int x1, int y1, int x2, int y2, Gdi::ColorRef color) {
    if (!window_) return;
    Gdi::FillBox(*window_, x1, y1, x2, y2, color);
    if (back_) Gdi::FillBox(*back_, x1, y1, x2, y2, color);
}

void GameSurfaces::PrintText(int x, int y, const std::string& text, Gdi::ColorRef color, double points, bool bold,
                             Gdi::TextClip clip) {
    PrintTextOnWindow(x, y, text, color, points, bold, clip);
    if (back_) Gdi::PrintText(*back_, x, y, text, color, points, bold, clip);
}

void GameSurfaces::PrintTextOnWindow(int x, int y, const std::string& text, Gdi::ColorRef color, double points,
                                     bool bold, Gdi::TextClip clip) {
    if (window_) Gdi::PrintText(*window_, x, y, text, color, points, bold, clip);
}

void GameSurfaces::CopyToBack(int x, int y, int w, int h) {
    if (window_ && back_) Gdi::BitBlt(*back_, x, y, w, h, *window_, x, y, Gdi::SRCCOPY);
}

void GameSurfaces::RefreshWindow() {
    if (client_.Canvas()) client_.Canvas()->Refresh();
}

void GameSurfaces::RefreshBack() {
    if (client_.Canvas() && client_.Canvas()->picGameBack) client_.Canvas()->picGameBack->Refresh();
}

void GameSurfaces::Refresh() {
    RefreshWindow();
    RefreshBack();
}
