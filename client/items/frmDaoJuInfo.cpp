#include "client/items/frmDaoJuInfo.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "client/TableClient.h"
#include "client/items/modPaint_DaoJuButton.h"
#include "client/platform/PictureFile.h"
#include "core/GbkText.h"

namespace {

constexpr int kItems = modDaoJuDefine::kItemCount;
constexpr int kRowHeight = 30;
constexpr int kFirstItemTop = 45;  // row 0 (15..45) is the header
constexpr int kIconSize = 24;      // the cell the icon column is laid out for

int CharCount(const std::string& text) { return static_cast<int>(GbkText::CharCount(text)); }

}  // namespace

frmDaoJuInfo::frmDaoJuInfo(TableClient& client, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      client_(client) {
    setWindowTitle(QStringLiteral("道具帮助信息"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Closing unloads it: the next opening loads it afresh with the table's settings.
    setAttribute(Qt::WA_DeleteOnClose);
}

void frmDaoJuInfo::Form_Load() {
    lngCaptionHeight = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    lngColorBack = Gdi::RGB(115, 150, 231);
    lngColorOuterFill = Gdi::RGB(107, 166, 255);
    lngColorInnerFill = Gdi::RGB(173, 211, 255);
    lngColorHead = Gdi::RGB(100, 120, 220);
    lngColorOuterLine = Gdi::RGB(57, 97, 156);
    lngColorGrid = Gdi::RGB(82, 89, 115);
    strColTitle = {"标志", "名字", "道具功能", "使用对象", "初始免费", "需要付费", "使用消块数", "免费/消块数"};
    lngColWidth = {40, 60, 300, 70, 60, 80, 70, 90};
    // Without prices the table has no item settings worth showing: four columns.
    lngLastCol = client_.game.g_DaoJu[0].lngPrice == -1 ? 3 : 7;

    std::int32_t columns = 0;
    for (int c = 0; c <= lngLastCol; ++c) columns += lngColWidth[c];
    // The inner area holds the whole table and the help text: the columns with 16 pixels
    // either side, and the header, nine item rows and the help lines below them (332 +
    // 100). The frame and the title bar come on top of that.
    const int innerWidth = columns + 32;
    const int innerHeight = 332 + 100;
    lngOuterWidth = innerWidth + 2 * kFrameWidth;
    lngOuterHeight = innerHeight + lngCaptionHeight + 2 * kFrameWidth;
    setFixedSize(innerWidth, innerHeight);
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - lngOuterWidth) / 2, area.y() + (area.height() - lngOuterHeight) / 2);
    }
}

int frmDaoJuInfo::ColLeft(int c) const {
    int left = 16;
    for (int i = 0; i < c; ++i) left += lngColWidth[i];
    return left;
}

int frmDaoJuInfo::CentredX(int c, int n, int h) const { return ColLeft(c) + (lngColWidth[c] - n * h) / 2; }

void frmDaoJuInfo::Print(QImage& surface, int x, int y, const std::string& text, Gdi::ColorRef color) {
    // The help lines are indented with blanks that stand for half a Chinese character
    // each, so that a continued line starts under the words of the line above.
    const std::size_t text0 = std::min(text.find_first_not_of(' '), text.size());
    const int blank = Gdi::TextWidth("中", kFontSize, false) / 2;
    Gdi::PrintText(surface, x + static_cast<int>(text0) * blank, y, text.substr(text0), color, kFontSize, false);
}

std::string frmDaoJuInfo::CellText(int c, int item) const {
    const DaoJuDef& d = client_.game.g_DaoJu[item];
    switch (c) {
        case 1:
            return d.strName;
        case 2:
            return d.strDescription;
        case 3:
            return d.blnUseSelf ? "自己" : "别人";
        case 4:
            return std::to_string(d.bteFreeCount);
        case 5:
            return std::to_string(d.lngPrice);
        case 6:
            return std::to_string(d.bteNeedDelFk);
        case 7:
            return std::to_string(d.bteFreePerDelFk);
        default:
            return {};
    }
}

void frmDaoJuInfo::Form_Paint(QImage& surface) const {
    const int W = surface.width(), H = surface.height();
    // 1-2. The ground and the outer frame.
    surface.fill(Gdi::ToQRgb(lngColorBack));
    Gdi::Box(surface, 10, 10, W - 10, H - 110, lngColorOuterLine);
    Gdi::FillBox(surface, 11, 11, W - 11, H - 111, lngColorOuterFill);
    // 3. The corner piece at the four corners, mirrored to face each corner.
    const QImage jiao = PictureFile::LoadPicture(client_.ResPath("Res\\DaiJuInfoJiao.bmp"));
    if (!jiao.isNull()) {
        Gdi::PaintPicture(surface, jiao, 10, 10, 8, 7, 0, 0, 8, 7);
        Gdi::PaintPicture(surface, jiao, W - 10, 10, -8, 7, 0, 0, 8, 7);
        Gdi::PaintPicture(surface, jiao, 10, H - 110, 8, -7, 0, 0, 8, 7);
        Gdi::PaintPicture(surface, jiao, W - 10, H - 110, -8, -7, 0, 0, 8, 7);
    }
    // 4. The table frame with its light edge at the right and the bottom.
    Gdi::Box(surface, 16, 15, W - 16, H - 115, lngColorGrid);
    Gdi::FillBox(surface, 17, 16, W - 17, H - 116, lngColorInnerFill);
    Gdi::Line(surface, W - 16, 15, W - 16, H - 115, Gdi::RGB(220, 220, 255));
    Gdi::Line(surface, 16, H - 115, W - 16, H - 115, Gdi::RGB(220, 220, 255));
    // 5-6. The grid.
    for (int c = 0; c <= lngLastCol; ++c) Gdi::Line(surface, ColLeft(c), 16, ColLeft(c), H - 116, lngColorGrid);
    for (int r = 0; r <= kItems; ++r)
        Gdi::Line(surface, 17, 15 + kRowHeight * r, W - 17, 15 + kRowHeight * r, lngColorGrid);
    // 7. The header cells; the last one stops short of the frame.
    for (int c = 0; c <= lngLastCol; ++c) {
        const int right = ColLeft(c) + lngColWidth[c] - (c == lngLastCol ? 8 : 2);
        Gdi::FillBox(surface, ColLeft(c) + 2, 17, right, 43, lngColorHead);
    }
    // 8-9. The titles, centred as if every character were h pixels wide.
    const int h = kFontSize + 2;
    for (int c = 0; c <= lngLastCol; ++c)
        Print(surface, CentredX(c, CharCount(strColTitle[c]), h), (30 - h) / 2 + 16, strColTitle[c],
              Gdi::RGB(255, 255, 255));
    // 10. The icons, in the cell the column is laid out for.
    for (int i = 0; i < kItems; ++i) {
        QImage icon = PictureFile::LoadPicture(client_.ResPath(modPaint_DaoJuButton::DaoJuIconName(i)), kIconSize);
        if (icon.isNull()) continue;
        if (icon.width() > kIconSize || icon.height() > kIconSize)
            icon = icon.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        Gdi::PaintPicture(surface, icon, (lngColWidth[0] - kIconSize) / 2 + 16, kFirstItemTop + kRowHeight * i + 3);
    }
    // 11. The cells.
    for (int c = 1; c <= lngLastCol; ++c) {
        const int shift = c == 2 ? -5 : (c >= 4 && c <= 6 ? 5 : 0);
        for (int i = 0; i < kItems; ++i) {
            const std::string text = CellText(c, i);
            Print(surface, CentredX(c, CharCount(text), h) + shift, kFirstItemTop + kRowHeight * i + (30 - h) / 2, text,
                  Gdi::RGB(0, 0, 0));
        }
    }
    // 12. How items are used.
    const Gdi::ColorRef note = Gdi::RGB(50, 0, 0);
    auto line = [&](int y, const char* text) { Print(surface, 10, y, text, note); };
    line(H - 100, "【 道具使用方法 】");
    line(H - 80, "    对自己使用的道具：将鼠标移到道具上面，点击左键。");
    if (lngLastCol == 3) {
        line(H - 60, "    对别人使用的道具：将鼠标移到道具上面，点击左键，鼠标处就会出现道具的图标。");
        line(H - 45, "                      只要再将鼠标移到你想对其使用道具的人的游戏池上，再次点击");
        line(H - 30, "                      即可对其使用。");
    } else {
        line(H - 60,
             "    对别人使用的道具：将鼠标移到道具上面，点击左键，鼠标处就会出现道具的图标。"
             "只要再将鼠标移到你想对其使用道具的人的游戏池上，");
        line(H - 45, "                      再次点击即可对其使用。 ");
    }
}

QImage frmDaoJuInfo::Render() const {
    QImage surface(size(), QImage::Format_RGB32);
    Form_Paint(surface);
    return surface;
}

void frmDaoJuInfo::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Render());
}
