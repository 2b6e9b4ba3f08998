#include "client/paint/AniObject.h"

#include "client/TableClient.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/paint/TableCanvas.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"

QImage* clsAniObject::Window() const { return client_.Canvas() ? &client_.Canvas()->Image : nullptr; }

QImage* clsAniObject::Back() const {
    if (!client_.Canvas() || !client_.Canvas()->picGameBack) return nullptr;
    return &client_.Canvas()->picGameBack->Image;
}

void clsAniObject::RestoreFromBack(int x, int y, int w, int h) const {
    QImage* window = Window();
    QImage* back = Back();
    if (window && back) Gdi::BitBlt(*window, x, y, w, h, *back, x, y, Gdi::SRCCOPY);
}

void clsAniObject::RefreshWindow() const {
    if (client_.Canvas()) client_.Canvas()->Refresh();
}

void clsAniObject::OwnCellOrigin(std::int32_t row, std::int32_t col, std::int32_t& x, std::int32_t& y) const {
    const BoardPosDef& own = client_.paintFangKuai->BoardPos[0];
    x = col * own.lngCellWidth + own.lngLeft;
    y = row * own.lngCellHeight + own.lngTop;
}
