// The map dialog (title list, the preview of each map file and of the free choice, its
// frame and cell sizes, the answer) and the item help window (columns by prices, size,
// frame, mirrored corners, icons, cells, help lines, one window).
#include <QComboBox>
#include <fstream>

#include "ItemsKit.h"
#include "client/items/frmDaoJuInfo.h"
#include "core/modMapFile.h"

using namespace gametable;
using namespace itemskit;

namespace {

void WriteText(const std::string& app, const std::string& resName, const std::string& text) {
    std::ofstream(paintfix::PathOf(app, resName).toStdString(), std::ios::binary) << text;
}

// A map text of the given lines, CR LF ended.
std::string Lines(const std::vector<std::string>& lines) {
    std::string t;
    for (const auto& l : lines) t += l + "\r\n";
    return t;
}

std::vector<std::string> Rows(int n, const std::string& row) { return std::vector<std::string>(n, row); }

class MapDialog : public ItemTable {
public:
    MapDialog() {
        std::string titles;
        for (int i = 0; i < 124; ++i) titles += "map" + std::to_string(i) + "\r\n";
        WriteText(h.AppFolder(), "Res\\Map\\MapTitle.txt", titles);
        dialog = std::make_unique<frmSelectMap>(c(), &h.Main());
        dialog->Form_Load();
    }
    void Map(int n, const std::string& text) {
        WriteText(h.AppFolder(), "Res\\Map\\" + modMapFile::MapFileName(n), text);
    }
    // Chooses entry n of the list and gives the preview grid.
    const TileGridT& Choose(int n) {
        dialog->cboMapIdx->setCurrentIndex(n);
        return dialog->bytMapData;
    }
    static int Tiles(const TileGridT& g) { return modGameDefine::CountTiles(g); }

    std::unique_ptr<frmSelectMap> dialog;
};

}  // namespace

TEST(MapDialog, ListsTheTitlesOpensOnTheFirstWithItsPreviewAndItsButtons) {
    MapDialog t;
    auto& d = *t.dialog;
    EXPECT_EQ(d.cboMapIdx->count(), 124);
    EXPECT_EQ(d.cboMapIdx->itemText(3).toStdString(), "map3");
    EXPECT_EQ(d.cmdUser[0]->text().toStdString(), "确定(&Y)");
    EXPECT_EQ(d.cmdUser[1]->text().toStdString(), "取消(&C)");
    EXPECT_FALSE(d.cmdUser[1]->isHidden());
    // Opened, it shows the first entry chosen: the full board under the question mark.
    EXPECT_EQ(d.cboMapIdx->currentIndex(), 0);
    EXPECT_EQ(MapDialog::Tiles(d.bytMapData), 180);
    EXPECT_TRUE(d.blnShowQuestion);
    d.cmdUser_Click(0);
    EXPECT_EQ(d.intSelMapIdx, 0);
    // Choosing an entry that is already chosen still shows its preview.
    std::vector<std::string> rows = Rows(10, std::string(18, '0'));
    rows[4][4] = '1';
    t.Map(9, Lines(rows));
    d.cboMapIdx->setCurrentIndex(9);
    d.bytMapData = TileGridT{};
    d.SelectMap(9);
    EXPECT_EQ(MapDialog::Tiles(d.bytMapData), 1);
    EXPECT_FALSE(d.blnShowQuestion);
    d.SelectMap(124);  // no such entry
    EXPECT_EQ(d.cboMapIdx->currentIndex(), 9);
    d.cboMapIdx->setCurrentIndex(5);
    d.cmdUser_Click(0);
    EXPECT_EQ(d.intSelMapIdx, 5);
    d.cmdUser_Click(1);
    EXPECT_EQ(d.intSelMapIdx, -1);
}

TEST(MapDialog, PreviewReadsTenLinesOfEighteenAndEmptiesOnAnyFault) {
    MapDialog t;
    const std::string full(18, '1');
    // 17 characters on the third line.
    std::vector<std::string> rows = Rows(10, full);
    rows[2] = std::string(17, '1');
    t.Map(1, Lines(rows));
    // Twelve lines: the last two are not read.
    rows = Rows(10, std::string(18, '0'));
    rows[9] = "5A 000000000000001";
    rows.push_back(full);
    rows.push_back("x");
    t.Map(2, Lines(rows));
    t.Map(3, Lines(Rows(9, full)));

    EXPECT_EQ(MapDialog::Tiles(t.Choose(2)), 2);
    EXPECT_EQ(t.dialog->bytMapData[9][0], 5);  // "5" a tile, "A" and " " empty
    EXPECT_EQ(t.dialog->bytMapData[9][1], 0);
    EXPECT_EQ(t.dialog->bytMapData[9][2], 0);
    EXPECT_EQ(t.dialog->bytMapData[9][17], 1);
    EXPECT_EQ(MapDialog::Tiles(t.Choose(1)), 0);
    EXPECT_EQ(MapDialog::Tiles(t.Choose(2)), 2);
    EXPECT_EQ(MapDialog::Tiles(t.Choose(3)), 0);  // nine lines
    EXPECT_EQ(MapDialog::Tiles(t.Choose(2)), 2);
    EXPECT_EQ(MapDialog::Tiles(t.Choose(4)), 0);  // no file at all
}

TEST(MapDialog, MapNumbersNameFilesOfAtLeastThreeDigits) {
    MapDialog t;
    std::vector<std::string> seven = Rows(10, std::string(18, '0')), big = seven;
    seven[0][7] = '7';
    big[1][12] = '3';
    WriteText(t.h.AppFolder(), "Res\\Map\\Map007.map", Lines(seven));
    WriteText(t.h.AppFolder(), "Res\\Map\\Map123.map", Lines(big));
    EXPECT_EQ(t.Choose(7)[0][7], 7);
    EXPECT_EQ(MapDialog::Tiles(t.dialog->bytMapData), 1);
    EXPECT_EQ(t.Choose(123)[1][12], 3);
    EXPECT_EQ(MapDialog::Tiles(t.dialog->bytMapData), 1);
}

TEST(MapDialog, CellsRoundHalvesToEven) {
    EXPECT_EQ(frmSelectMap::CellSize(360, 18), 20);  // 20.5
    EXPECT_EQ(frmSelectMap::CellSize(378, 18), 22);  // 21.5
    EXPECT_EQ(frmSelectMap::CellSize(190, 10), 20);  // 19.5
    EXPECT_EQ(frmSelectMap::CellSize(175, 10), 18);  // 18.0
    EXPECT_EQ(frmSelectMap::CellSize(186, 10), 19);  // 19.1
    EXPECT_EQ(frmSelectMap::CellSize(184, 10), 19);  // 18.9
}

TEST(MapDialog, PreviewFrameGroundAndCells) {
    MapDialog t;
    std::vector<std::string> rows = Rows(10, std::string(18, '0'));
    rows[0][0] = '1';
    rows[9][17] = '1';
    t.Map(1, Lines(rows));
    t.Choose(1);
    const QImage img = t.dialog->Render();
    const int right = img.width() - 10, bottom = t.dialog->cboMapIdx->y() - 10;
    const int w = frmSelectMap::CellSize(right - 10 - 20, 18), h = frmSelectMap::CellSize(bottom - 10 - 20, 10);
    EXPECT_EQ(img.pixel(10, 50), qRgb(150, 150, 150));
    EXPECT_EQ(img.pixel(right, 50), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(right - 1, 50), qRgb(200, 200, 200));
    EXPECT_EQ(img.pixel(50, bottom), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(50, bottom - 1), qRgb(200, 200, 200));
    EXPECT_EQ(img.pixel(12, 12), qRgb(50, 100, 250));
    // Cell (0, 0): the light outline, the yellow fill, the ground beyond.
    EXPECT_EQ(img.pixel(20, 20), qRgb(250, 250, 250));
    EXPECT_EQ(img.pixel(21, 21), qRgb(200, 200, 0));
    EXPECT_EQ(img.pixel(20 + w - 2, 20 + h - 2), qRgb(200, 200, 0));
    EXPECT_EQ(img.pixel(20 + w - 1, 21), qRgb(50, 100, 250));
    EXPECT_EQ(img.pixel(20 + w + 3, 21), qRgb(50, 100, 250));  // cell (0, 1) is empty
    // Cell (9, 17) lies inside the frame.
    EXPECT_EQ(img.pixel(20 + 17 * w + 1, 20 + 9 * h + 1), qRgb(200, 200, 0));
    EXPECT_LT(20 + 18 * w, right - 1);
    EXPECT_LT(20 + 10 * h, bottom - 1);
}

TEST(MapDialog, FreeChoiceShowsAFullBoardWithARedQuestionMark) {
    MapDialog t;
    EXPECT_EQ(MapDialog::Tiles(t.Choose(0)), 180);
    const QImage img = t.dialog->Render();
    int red = 0;
    for (int y = 20; y < 160; ++y)
        for (int x = 110; x < 200; ++x) red += img.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_GT(red, 500);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < img.width(); ++x) ASSERT_NE(img.pixel(x, y), qRgb(255, 0, 0)) << x << "," << y;
    // Another entry takes the question mark away.
    t.Choose(5);
    const QImage next = t.dialog->Render();
    for (int y = 20; y < 160; ++y)
        for (int x = 110; x < 200; ++x) ASSERT_NE(next.pixel(x, y), qRgb(255, 0, 0));
}

namespace {

// Pixels of one colour in a block of a picture; with a tolerance, those within it in
// every channel (the smoothed edges of letters).
int Count(const QImage& img, QRect r, QRgb c, int tolerance = 0) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = img.pixel(x, y);
            n += std::abs(qRed(p) - qRed(c)) <= tolerance && std::abs(qGreen(p) - qGreen(c)) <= tolerance &&
                 std::abs(qBlue(p) - qBlue(c)) <= tolerance;
        }
    return n;
}
constexpr int kInk = 40;  // how far a letter's pixel may lie from its colour

// The leftmost and rightmost columns of a block holding a pixel of the colour.
std::pair<int, int> InkSpan(const QImage& img, QRect r, QRgb c) {
    int left = -1, right = -1;
    for (int x = r.left(); x <= r.right(); ++x)
        if (Count(img, QRect(x, r.top(), 1, r.height()), c, kInk) > 0) {
            if (left < 0) left = x;
            right = x;
        }
    return {left, right};
}

// The item record of a game start: price, free uses, use on oneself, tiles needed, rule.
std::array<std::uint8_t, 8> Record(std::int32_t price, std::uint8_t free, bool self, std::uint8_t need) {
    const auto p = static_cast<std::uint32_t>(price);
    return {std::uint8_t(p >> 24),
            std::uint8_t(p >> 16),
            std::uint8_t(p >> 8),
            std::uint8_t(p),
            free,
            std::uint8_t(self ? 1 : 0),
            need,
            0};
}

constexpr QRgb kCornerMark = 0xFFFF0000u;
constexpr QRgb kCornerBody = 0xFF00FF00u;

}  // namespace

TEST(DaoJuInfo, FourColumnsWithoutPricesEightWithThem) {
    ItemTable t;
    frmDaoJuInfo* w = t.bar().ShowDaoJuInfo();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle().toStdString(), "道具帮助信息");
    EXPECT_EQ(w->lngLastCol, 3);
    // The inner area is what the layout needs; frame and title bar come on top of it.
    EXPECT_EQ(w->width(), 502);
    EXPECT_EQ(w->height(), 432);
    EXPECT_EQ(w->lngOuterWidth, 502 + 2 * frmDaoJuInfo::kFrameWidth);
    EXPECT_EQ(w->lngOuterHeight, 432 + w->lngCaptionHeight + 2 * frmDaoJuInfo::kFrameWidth);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Item 0 priced, the others not: eight columns, -1 where a price is missing.
    t.Receive(StartMsg(TileGridT{}, 10, 18, {Record(200, 1, true, 0), Record(-1, 0, true, 0)}));
    w = t.bar().ShowDaoJuInfo();
    EXPECT_EQ(w->lngLastCol, 7);
    EXPECT_EQ(w->width(), 802);
    EXPECT_EQ(w->CellText(5, 0), "200");
    EXPECT_EQ(w->CellText(5, 1), "-1");
    EXPECT_EQ(w->CellText(5, 8), "-1");
    EXPECT_EQ(w->CellText(3, 0), "自己");
    EXPECT_EQ(w->CellText(3, 2), "别人");
    const QImage img = w->Render();
    // The price column (16 + 40 + 60 + 300 + 70 + 60 = 546, 80 wide) holds black text in
    // item 1's row.
    EXPECT_GT(Count(img, QRect(546 + 20, 75 + 5, 40, 20), qRgb(0, 0, 0), 2 * kInk), 5);
    // Items 1 and 8 print the same "-1"; item 0 its price.
    auto priceCell = [&](int i) { return img.copy(546 + 2, 45 + 30 * i + 2, 76, 20); };
    EXPECT_EQ(priceCell(1), priceCell(8));
    EXPECT_NE(priceCell(0), priceCell(1));
}

TEST(DaoJuInfo, FrameGridHeaderAndHelpLines) {
    ItemTable t;
    frmDaoJuInfo* w = t.bar().ShowDaoJuInfo();
    const QImage img = w->Render();
    const int W = img.width(), H = img.height();
    EXPECT_EQ(img.pixel(5, 5), qRgb(115, 150, 231));
    EXPECT_EQ(img.pixel(10, 100), qRgb(57, 97, 156));  // square corners without the piece
    EXPECT_EQ(img.pixel(10, 10), qRgb(57, 97, 156));
    EXPECT_EQ(img.pixel(13, 100), qRgb(107, 166, 255));
    EXPECT_EQ(img.pixel(W - 16, 100), qRgb(220, 220, 255));  // the table's light edge
    EXPECT_EQ(img.pixel(16, 100), qRgb(82, 89, 115));
    EXPECT_EQ(img.pixel(56, 100), qRgb(82, 89, 115));  // between icon and name
    EXPECT_EQ(img.pixel(30, 45), qRgb(82, 89, 115));   // under the header
    EXPECT_EQ(img.pixel(30, 50), qRgb(173, 211, 255));
    EXPECT_EQ(img.pixel(20, 30), qRgb(100, 120, 220));  // header cell
    // The last item row is whole: its 30 pixels end above the table's light bottom edge.
    const int lastRowEnd = 45 + 30 * 9;
    EXPECT_GE(H - 115, lastRowEnd);
    EXPECT_EQ(img.pixel(W - 20, lastRowEnd - 1), qRgb(173, 211, 255));
    EXPECT_EQ(img.pixel(W - 20, H - 115), qRgb(220, 220, 255));
    // The last header cell stops 6 pixels short, inside the frame.
    const int lastRight = 16 + 40 + 60 + 300 + 70 - 8;
    EXPECT_EQ(img.pixel(lastRight, 20), qRgb(100, 120, 220));
    EXPECT_NE(img.pixel(lastRight + 1, 20), qRgb(100, 120, 220));
    // Header titles are white, help lines dark red: five lines with four columns.
    EXPECT_GT(Count(img, QRect(16, 17, W - 32, 26), qRgb(255, 255, 255), kInk), 40);
    const QRgb note = qRgb(50, 0, 0);
    for (int top : {100, 80, 60, 45, 30}) EXPECT_GT(Count(img, QRect(10, H - top, W - 20, 12), note, kInk), 20) << top;
    // Each blank of the indents is half a character: a continued line starts under the
    // words after "对别人使用的道具：" (4 + 9 x 2 half characters in), and every line fits.
    const int half = Gdi::TextWidth("中", 9, false) / 2;
    const auto first = InkSpan(img, QRect(0, H - 60, W, 12), note);
    const auto cont = InkSpan(img, QRect(0, H - 45, W, 12), note);
    EXPECT_NEAR(first.first, 10 + 4 * half, 2);
    EXPECT_NEAR(cont.first, 10 + 22 * half, 2);
    for (int top : {80, 60, 45, 30}) EXPECT_LT(InkSpan(img, QRect(0, H - top, W, 12), note).second, W - 4) << top;
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    t.game().g_DaoJu[0].lngPrice = 10;
    const QImage eight = t.bar().ShowDaoJuInfo()->Render();
    EXPECT_GT(Count(eight, QRect(10, eight.height() - 45, 700, 12), note, kInk), 20);
    EXPECT_EQ(Count(eight, QRect(10, eight.height() - 30, eight.width() - 20, 12), note, kInk), 0);
}

TEST(DaoJuInfo, CornersMirroredAndIconsWhereTheyExist) {
    ItemTable t;
    // The corner piece: a mark at its top-left pixel.
    paintfix::WriteBmp(t.h.AppFolder(), "Res\\DaiJuInfoJiao.bmp", 8, 7,
                       [](int x, int y) { return x == 0 && y == 0 ? kCornerMark : kCornerBody; });
    std::filesystem::remove(std::filesystem::path(t.h.AppFolder()) / "Res/DaoJu/DjFlag4.ico");
    const QImage img = t.bar().ShowDaoJuInfo()->Render();
    const int W = img.width(), H = img.height();
    EXPECT_EQ(img.pixel(10, 10), kCornerMark);
    EXPECT_EQ(img.pixel(W - 11, 10), kCornerMark);
    EXPECT_EQ(img.pixel(10, H - 111), kCornerMark);
    EXPECT_EQ(img.pixel(W - 11, H - 111), kCornerMark);
    EXPECT_EQ(img.pixel(W - 18, 13), kCornerBody);
    EXPECT_EQ(img.pixel(W - 19, 13), qRgb(107, 166, 255));
    // Icons in the first column; the missing one leaves its cell empty.
    EXPECT_EQ(img.pixel(36, 45 + 3 + 12), kIconColor);
    EXPECT_EQ(img.pixel(36, 45 + 30 * 8 + 3 + 12), kIconColor);
    EXPECT_EQ(Count(img, QRect(17, 45 + 30 * 4 + 1, 38, 28), kIconColor), 0);
    EXPECT_EQ(img.pixel(36, 45 + 30 * 4 + 15), qRgb(173, 211, 255));
    // The icon stays inside its row and its column.
    EXPECT_EQ(Count(img, QRect(17, 16, 38, 29), kIconColor), 0);
    EXPECT_EQ(Count(img, QRect(57, 46, 50, 28), kIconColor), 0);
}

TEST(DaoJuInfo, HelpButtonOpensOneWindowThatShowsTheCurrentSettings) {
    ItemTable t;
    t.h.Main().picHelpBut_MouseUp(0, 1, 5, 5);
    frmDaoJuInfo* first = t.bar().ShowDaoJuInfo();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    t.h.Main().ShowDaoJuInfo();
    EXPECT_EQ(t.bar().ShowDaoJuInfo(), first);
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) windows += qobject_cast<frmDaoJuInfo*>(w) != nullptr;
    EXPECT_EQ(windows, 1);
    t.game().g_DaoJu[1].strName = "新名字";
    EXPECT_EQ(first->CellText(1, 1), "新名字");
}
