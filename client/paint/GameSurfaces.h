// The two surfaces every seat and board drawing goes to: the main window's persistent
// image and the clean background copy picGameBack (612 x 600 from the window's top-left,
// so anything right of x = 611 lives on the window only). Pictures come from files
// below the program folder; a missing file draws nothing. Before start-up has built
// the window, every call does nothing.
#pragma once
#include <QImage>
#include <cstdint>
#include <string>

#include "client/platform/Gdi.h"

class TableClient;

class GameSurfaces {
public:
    explicit GameSurfaces(TableClient& client);

    bool Ready() const { return window_ != nullptr; }
    // The picture of a file below the program folder ("Res\\Hand.ico"); empty if missing.
    QImage Load(const std::string& resName) const;

    // Draws the part (sx, sy, w, h) of the picture (w, h < 0: the rest of it) at (x, y) on
    // both surfaces. False when there is no picture.
    bool DrawPicture(const QImage& picture, int x, int y, int sx = 0, int sy = 0, int w = -1, int h = -1);
    bool DrawFile(const std::string& resName, int x, int y, int sx = 0, int sy = 0, int w = -1, int h = -1);
    // The same onto the window only.
    bool DrawFileOnWindow(const std::string& resName, int x, int y, int sx = 0, int sy = 0, int w = -1, int h = -1);
    // Scales the part (sx, sy, sw, sh) onto the block (x, y, w, h) of both surfaces.
    void StretchPicture(const QImage& picture, int x, int y, int w, int h, int sx, int sy, int sw, int sh);
    // A filled box with both corners included, on both surfaces.
    void FillBox(int x1, int y1, int x2, int y2, Gdi::ColorRef color);
    // Text on both surfaces, or on the window only.
    void PrintText(int x, int y, const std::string& text, Gdi::ColorRef color, double points, bool bold,
                   Gdi::TextClip clip = {});
    void PrintTextOnWindow(int x, int y, const std::string& text, Gdi::ColorRef color, double points, bool bold,
                           Gdi::TextClip clip = {});
    // Copies the w x h block at (x, y) of the window onto the same place of picGameBack.
    void CopyToBack(int x, int y, int w, int h);
    void RefreshWindow();
    void RefreshBack();
    void Refresh();

private:
    TableClient& client_;
    QImage* window_ = nullptr;
    QImage* back_ = nullptr;
};
