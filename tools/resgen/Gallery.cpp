#include "tools/resgen/Gallery.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "tools/resgen/ArtStyle.h"
#include "tools/resgen/MapMaker.h"
#include "tools/resgen/TableLayout.h"
#include "tools/resgen/TileArt.h"

namespace Gallery {

namespace {

using namespace ArtStyle;
namespace L = TableLayout;

const QString kRes = QStringLiteral("table/Res/");
constexpr int kWidth = 1660;
constexpr int kMargin = 24;

// The picture of an entry as a reader of the file gets it.
QImage Picture(const std::vector<ResEntry>& entries, const QString& path) {
    const ResEntry* entry = ResGenerator::Find(entries, path);
    if (!entry) return {};
    if (path.endsWith(QLatin1String(".bmp")))
        return QImage::fromData(entry->bytes, "BMP").convertToFormat(QImage::Format_ARGB32);
    return entry->images.empty() ? QImage() : entry->images.front();
}

QImage Res(const std::vector<ResEntry>& entries, const QString& name) { return Picture(entries, kRes + name); }

// Pixels of exactly the key colour become see-through, as the table draws them.
QImage Keyed(const QImage& image, QRgb key) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] | 0xFF000000) == (key | 0xFF000000)) line[x] = 0;
        }
    }
    return out;
}

QImage Scaled(const QImage& image, int factor) {
    return image.scaled(image.width() * factor, image.height() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void Text(QPainter& p, int x, int y, const QString& text, int size, const QColor& colour, bool bold = false) {
    p.setFont(Font(size, bold));
    p.setPen(colour);
    p.drawText(QPoint(x, y), text);
}

// Lays items out in rows with labels under them.
class Board {
public:
    explicit Board(QPainter& p) : p_(p) {}

    void Section(const QString& title) {
        NewRow();
        y_ += 18;
        p_.fillRect(QRect(kMargin, y_, kWidth - 2 * kMargin, 2), kGold);
        Text(p_, kMargin, y_ + 30, title, 22, kGoldLight, true);
        y_ += 44;
    }

    void Item(const QString& label, const QImage& image, bool checker = false) {
        const int w = std::max(image.width(), 60);
        if (x_ + w > kWidth - kMargin) NewRow();
        if (checker) Checker(QRect(x_, y_, image.width(), image.height()));
        p_.drawImage(x_, y_, image);
        p_.setPen(QColor(255, 255, 255, 60));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(QRect(x_ - 1, y_ - 1, image.width() + 1, image.height() + 1));
        Text(p_, x_, y_ + image.height() + 17, label, 13, kCaptionText);
        x_ += w + 22;
        rowHeight_ = std::max(rowHeight_, image.height() + 28);
    }

    void NewRow() {
        if (x_ > kMargin) y_ += rowHeight_ + 10;
        x_ = kMargin;
        rowHeight_ = 0;
    }

    int Bottom() const { return y_ + rowHeight_ + kMargin; }

private:
    void Checker(const QRect& r) {
        for (int yy = r.top(); yy < r.bottom(); yy += 8) {
            for (int xx = r.left(); xx < r.right(); xx += 8) {
                const bool dark = ((xx - r.left()) / 8 + (yy - r.top()) / 8) % 2 == 0;
                p_.fillRect(QRect(xx, yy, std::min(8, r.right() + 1 - xx), std::min(8, r.bottom() + 1 - yy)),
                            dark ? QColor(70, 76, 90) : QColor(110, 116, 130));
            }
        }
    }

    QPainter& p_;
    int x_ = kMargin;
    int y_ = kMargin;
    int rowHeight_ = 0;
};

// A deterministic deal of tiles onto a layout, for the previews.
std::vector<int> Deal(const MapMaker::Layout& layout, unsigned seed) {
    std::vector<int> cells(180, 0);
    unsigned s = seed;
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 18; ++c) {
            if (layout.rows[r][c] != QLatin1Char('#')) continue;
            s = s * 1103515245u + 12345u;
            cells[r * 18 + c] = 1 + static_cast<int>((s >> 16) % TileArt::kTileCount);
        }
    }
    return cells;
}

void DrawBoard(QPainter& p, const QImage& sheet, const std::vector<int>& cells, QPoint origin, int cw, int ch) {
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 18; ++c) {
            const int k = cells[r * 18 + c];
            if (k == 0) continue;
            p.drawImage(QRect(origin.x() + c * cw, origin.y() + r * ch, cw, ch),
                        sheet.copy((k - 1) * TileArt::kTileWidth, 0, TileArt::kTileWidth, TileArt::kTileHeight));
        }
    }
}

void Count(QPainter& p, QRect box, const QColor& fill, int n, int size) {
    p.fillRect(box, fill);
    p.setFont(Font(size, true));
    p.setPen(QColor(255, 255, 0));
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, QString::number(n));
}

void Names(QPainter& p, QPoint at, int titleDrop, const QString& name, const QString& title) {
    p.setPen(QColor(0, 0, 0));
    p.setFont(Font(12, true));
    p.drawText(QRect(at.x(), at.y(), 150, 14), Qt::AlignLeft | Qt::AlignVCenter, name);
    p.setFont(Font(12, false));
    p.drawText(QRect(at.x(), at.y() + titleDrop, 150, 14), Qt::AlignLeft | Qt::AlignVCenter, title);
}

void Score(QPainter& p, QPoint at, int score) {
    p.setFont(Font(15, true));
    p.setPen(QColor(0, 0, 0));
    p.drawText(at + QPoint(1, 13), QString::number(score));
    p.setPen(QColor(255, 255, 255));
    p.drawText(at + QPoint(0, 12), QString::number(score));
}

void WaveShape(QPainter& p, QRect box, const std::vector<std::int16_t>& samples) {
    p.fillRect(box, kNavyDeep);
    p.setPen(QColor(255, 255, 255, 40));
    p.drawLine(box.left(), box.center().y(), box.right(), box.center().y());
    p.setPen(kGoldLight);
    const std::size_t n = samples.size();
    for (int x = 0; x < box.width() && n > 0; ++x) {
        const std::size_t a = n * x / box.width(), b = std::max(a + 1, n * (x + 1) / box.width());
        int lo = 0, hi = 0;
        for (std::size_t i = a; i < b && i < n; ++i) {
            lo = std::min<int>(lo, samples[i]);
            hi = std::max<int>(hi, samples[i]);
        }
        const double half = box.height() / 2.0;
        p.drawLine(QPointF(box.left() + x, box.center().y() - hi / 32768.0 * half),
                   QPointF(box.left() + x, box.center().y() - lo / 32768.0 * half));
    }
}

QImage MapPreview(const MapMaker::Layout& layout) {
    QImage image(18 * 9 + 4, 10 * 9 + 4, QImage::Format_RGB32);
    image.fill(QColor(50, 100, 250));
    QPainter p(&image);
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 18; ++c) {
            if (layout.rows[r][c] != QLatin1Char('#')) continue;
            p.fillRect(QRect(2 + c * 9, 2 + r * 9, 8, 8), QColor(250, 250, 250));
            p.fillRect(QRect(3 + c * 9, 3 + r * 9, 6, 6), QColor(200, 200, 0));
        }
    }
    return image;
}

}  // namespace

QImage TablePreview(const std::vector<ResEntry>& e) {
    QImage window = Res(e, QStringLiteral("GameBack.bmp")).convertToFormat(QImage::Format_RGB32);
    QPainter p(&window);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QImage sheet = Res(e, QStringLiteral("FangKuai.bmp"));
    const QImage grey = Res(e, QStringLiteral("FangKuai_HD.bmp"));
    const std::vector<MapMaker::Layout> layouts = MapMaker::Layouts();

    // Caption.
    p.drawImage(L::kLogo, Picture(e, kRes + "Logo.ico"));
    p.setFont(Font(13, false));
    p.setPen(kCaptionText);
    p.drawText(QRect(L::kCaptionText.x(), L::kCaptionText.y() - 2, 400, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("tilelink - 第 3 桌"));
    const QImage help = Res(e, QStringLiteral("HelpBut.bmp"));
    p.drawImage(L::kHelpButton[0].topLeft(), help.copy(0, 0, 59, 23));
    p.drawImage(L::kHelpButton[1].topLeft(), help.copy(59 * 3, 0, 59, 23));
    const QImage sys = Res(e, QStringLiteral("SystemBut.bmp"));
    p.drawImage(L::kSystemButton[0].topLeft(), sys.copy(0, 0, 21, 21));
    p.drawImage(L::kSystemButton[1].topLeft(), sys.copy(42, 0, 21, 21));
    p.drawImage(L::kSystemButton[2].topLeft(), sys.copy(6 * 21 + 21, 0, 21, 21));

    // Five small seats: three playing, one out with its result, one free.
    const QImage in = Res(e, QStringLiteral("OtherUserIn.bmp"));
    const QImage posNo = Res(e, QStringLiteral("OtherUserPosNo.bmp"));
    const QImage bars = Res(e, QStringLiteral("OtherUserFenZu.bmp"));
    const QImage sort = Keyed(Res(e, QStringLiteral("ScoreSort.bmp")), kKeyBlack);
    const QImage placard = Keyed(Res(e, QStringLiteral("ScorePalard.bmp")), kKeyPlacard);
    const char* names[] = {"", "小明", "Alice", "云朵", "老王"};
    for (int pos = 1; pos <= 5; ++pos) {
        const QPoint o = L::PanelOrigin(pos);
        if (pos == 5) {
            p.drawImage(o, Res(e, QStringLiteral("OtherUserOut.bmp")));
            continue;
        }
        p.drawImage(o, in);
        const QPoint board = o + L::kPanelBoard.topLeft();
        std::vector<int> cells = Deal(layouts[static_cast<std::size_t>(pos)], 7u * pos);
        if (pos != 3) DrawBoard(p, pos == 4 ? grey : sheet, cells, board, 5, 7);
        const int group = pos % 4;
        p.drawImage(o + L::kPanelGroupBar, bars.copy(0, 33 * group, 115, 33));
        Names(p, o + L::kPanelGroupBar + QPoint(6, 2), 14, QString::fromUtf8(names[pos]), QStringLiteral("新手"));
        p.drawImage(o + L::kPanelPosNo, posNo.copy((pos - 1) * 25, 0, 25, 25));
        Count(p, L::kPanelCount.translated(o), kSmallBoard,
              static_cast<int>(std::count_if(cells.begin(), cells.end(), [](int k) { return k; })), 12);
        if (pos == 2) p.drawImage(o + L::kPanelNetBreak, Res(e, QStringLiteral("NetBreak.bmp")));
        if (pos == 3) p.drawImage(o + L::kPanelHand, Picture(e, kRes + "Hand.ico"));
        if (pos == 4) {
            p.drawImage(o + QPoint(36, 8), sort.copy(41 * 2, 0, 41, 48));
            p.drawImage(o + QPoint(7, 56), placard);
            Score(p, o + QPoint(66, 69), 120);
        }
    }

    // The own seat, group buttons and item bar.
    p.drawImage(L::kOwnPanel, Res(e, QStringLiteral("CurUserFenZu.bmp")).copy(0, 56, 177, 56));
    Names(p, L::kOwnPanel + QPoint(55, 12), 20, QStringLiteral("我自己"), QStringLiteral("高手"));
    const QImage groupButtons = Res(e, QStringLiteral("FenZuBut.bmp"));
    for (int g = 0; g < 4; ++g)
        p.drawImage(L::kGroupButton[g], groupButtons.copy(39 * g, 36 * (g == 1 ? 2 : (g == 2 ? 1 : 0)), 39, 36));
    const QImage items = Res(e, QStringLiteral("DaoJu/DjBut.bmp"));
    for (int k = 0; k < 9; ++k) {
        const int state = k == 8 ? 0 : (k == 3 ? 2 : (k == 5 ? 3 : 1));
        p.drawImage(L::ItemButton(k), items.copy(24 * k, 24 * state, 24, 24));
        if (state != 0 && k % 3 == 0) {
            p.setFont(Font(11, true));
            p.setPen(QColor(255, 255, 255));
            p.drawText(L::ItemButton(k) + QPoint(2, 21), QString::number(k / 3 + 1));
        }
    }

    // Stand-ins for the chat panel, the user list and the time bar (widgets of the client).
    p.fillRect(L::kChat, QColor(236, 242, 250));
    p.fillRect(L::kUserList, QColor(236, 242, 250));
    p.fillRect(QRect(L::kUserList.topLeft(), QSize(L::kUserList.width(), 18)), QColor(0, 138, 140));
    p.setFont(Font(12, false));
    p.setPen(QColor(40, 50, 70));
    p.drawText(L::kChat.adjusted(6, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("小明：你好！\nAlice：开始吧"));
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRect(L::kUserList.topLeft(), QSize(L::kUserList.width(), 18)), Qt::AlignCenter,
               QStringLiteral("用户列表"));
    p.fillRect(QRect(L::kTimeBar.left(), L::kTimeBar.top(), 210, L::kTimeBar.height()), QColor(90, 200, 120));

    // The own board with a removal in progress: a straight link along row 3 from column 2
    // to column 15, lightning between the two emptied cells, blasts on both, a combo banner.
    std::vector<int> cells = Deal(layouts[0], 11u);
    const int row = 3, from = 2, to = 15;
    cells[row * 18 + from] = 0;
    cells[row * 18 + to] = 0;
    DrawBoard(p, sheet, cells, L::kOwnBoard.topLeft(), L::kCellWidth, L::kCellHeight);
    Count(p, L::kOwnCount, QColor(49, 77, 115),
          static_cast<int>(std::count_if(cells.begin(), cells.end(), [](int k) { return k; })), 13);
    const QImage hz = Res(e, QStringLiteral("hz_flash.bmp"));
    const int boltY = L::kOwnBoard.top() + row * L::kCellHeight + 5;
    const int left = L::kOwnBoard.left() + from * L::kCellWidth + 15 + 15;
    const int right = L::kOwnBoard.left() + to * L::kCellWidth - 15 + 15;
    for (int x = left, piece = 0; x < right; x += 31, piece = (piece + 5) % 14) {
        p.drawImage(QPoint(x, boltY), hz.copy(piece * 31, 0, std::min(31, right - x), 24));
    }
    for (int col : {from, to}) {
        const QPoint at(L::kOwnBoard.left() + col * L::kCellWidth - 30, L::kOwnBoard.top() + row * L::kCellHeight - 29);
        for (int n = 1; n <= 2; ++n)
            p.drawImage(at, Keyed(Res(e, QStringLiteral("Blast/Blast00%1.bmp").arg(n)), kKeyMagenta));
    }
    QImage banner = Res(e, QStringLiteral("LianJiBk.bmp")).convertToFormat(QImage::Format_RGB32);
    {
        QPainter bp(&banner);
        const QImage digits = Res(e, QStringLiteral("Number.bmp"));
        const QString text = QStringLiteral("3/5");
        for (int i = 0; i < text.size(); ++i) {
            const int glyph = text[i].isDigit() ? text[i].digitValue() : 10;
            bp.drawImage(QPoint(50 + 10 * i, 5), digits.copy(glyph * 10, 0, 10, 15));
        }
    }
    p.drawImage(QPoint(46, 500 - 8), Keyed(banner, kKeyBlack));
    // The compass marks on a pair.
    for (int col : {1, 16}) {
        const QPoint o(L::kOwnBoard.left() + col * 31, L::kOwnBoard.top() + 9 * 35);
        p.setPen(QColor(100, 100, 250));
        for (int d = 0; d < 4; ++d) p.drawRect(QRect(o.x() + d, o.y() + d, 30 - 2 * d, 34 - 2 * d));
    }
    p.end();
    return window;
}

QImage Draw(const std::vector<ResEntry>& e) {
    QImage canvas(kWidth, 9000, QImage::Format_RGB32);
    canvas.fill(QColor(34, 38, 48));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::TextAntialiasing);
    Board b(p);
    Text(p, kMargin, 44, QStringLiteral("tilelink 美术总览 (art review)"), 28, kGoldLight, true);
    b.Section(QStringLiteral(""));

    b.Section(QStringLiteral("桌面 table assembled from the pieces (800 x 600)"));
    b.Item(QStringLiteral("TablePreview: GameBack + panels + boards + buttons + effects"), TablePreview(e));
    const QImage back = Res(e, QStringLiteral("GameBack.bmp"));
    b.Item(QStringLiteral("GameBack.bmp at half size"),
           back.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    b.Section(QStringLiteral("方块 tiles: FangKuai.bmp x3, codes 1..39"));
    const QImage sheet = Res(e, QStringLiteral("FangKuai.bmp"));
    for (int row = 0; row < 3; ++row) {
        for (int i = 0; i < 13; ++i) {
            const int code = row * 13 + i + 1;
            b.Item(QStringLiteral("%1 %2").arg(code).arg(TileArt::TileName(code)),
                   Scaled(sheet.copy((code - 1) * 31, 0, 31, 35), 3));
        }
        b.NewRow();
    }
    b.Item(QStringLiteral("FangKuai.bmp 1:1"), sheet);
    b.NewRow();
    b.Item(QStringLiteral("FangKuai_HD.bmp 1:1 (seats that are out)"), Res(e, QStringLiteral("FangKuai_HD.bmp")));
    b.NewRow();
    QImage small(39 * 7, 9, QImage::Format_RGB32);
    small.fill(kSmallBoard);
    QImage smallGrey = small;
    {
        QPainter sp(&small), gp(&smallGrey);
        sp.setRenderHint(QPainter::SmoothPixmapTransform);
        gp.setRenderHint(QPainter::SmoothPixmapTransform);
        const QImage grey = Res(e, QStringLiteral("FangKuai_HD.bmp"));
        for (int k = 0; k < 39; ++k) {
            sp.drawImage(QRect(k * 7 + 1, 1, 5, 7), sheet.copy(k * 31, 0, 31, 35));
            gp.drawImage(QRect(k * 7 + 1, 1, 5, 7), grey.copy(k * 31, 0, 31, 35));
        }
    }
    b.Item(QStringLiteral("the 39 tiles at 5 x 7 (small boards), x4"), Scaled(small, 4));
    b.Item(QStringLiteral("grey at 5 x 7, x4"), Scaled(smallGrey, 4));

    b.Section(QStringLiteral("座位 seats (x2)"));
    for (const char* name : {"OtherUserIn.bmp", "OtherUserOut.bmp", "CurUserOut.bmp", "OtherUserPosNo.bmp",
                             "OtherUserFenZu.bmp", "CurUserFenZu.bmp", "NetBreak.bmp", "DaiJuInfoJiao.bmp"}) {
        const QImage img = Res(e, QString::fromLatin1(name));
        b.Item(QString::fromLatin1(name), Scaled(img, img.width() < 30 ? 6 : 2));
    }
    b.Item(QStringLiteral("Hand.ico x3"), Scaled(Picture(e, kRes + "Hand.ico"), 3), true);
    const ResEntry* logo = ResGenerator::Find(e, kRes + "Logo.ico");
    if (logo && logo->images.size() == 2) {
        b.Item(QStringLiteral("Logo.ico 16 x4"), Scaled(logo->images[0], 4), true);
        b.Item(QStringLiteral("Logo.ico 32 x3"), Scaled(logo->images[1], 3), true);
    }

    b.Section(QStringLiteral("按钮 buttons (x3)"));
    for (const char* name : {"HelpBut.bmp", "SystemBut.bmp", "FenZuBut.bmp", "DaoJu/DjBut.bmp"}) {
        b.Item(QString::fromLatin1(name), Scaled(Res(e, QString::fromLatin1(name)), 3));
    }
    b.NewRow();
    for (int k = 0; k < 9; ++k)
        b.Item(QStringLiteral("DjFlag%1.ico x3").arg(k),
               Scaled(Picture(e, kRes + QStringLiteral("DaoJu/DjFlag%1.ico").arg(k)), 3), true);

    b.Section(QStringLiteral("结果 results, key colour see-through"));
    b.Item(QStringLiteral("ScoreSort.bmp x2 (black)"),
           Scaled(Keyed(Res(e, QStringLiteral("ScoreSort.bmp")), kKeyBlack), 2), true);
    b.Item(QStringLiteral("ScorePalard.bmp x2 (248,0,234)"),
           Scaled(Keyed(Res(e, QStringLiteral("ScorePalard.bmp")), kKeyPlacard), 2), true);
    b.Item(QStringLiteral("TimeEnd.bmp x2 (magenta)"),
           Scaled(Keyed(Res(e, QStringLiteral("TimeEnd.bmp")), kKeyMagenta), 2), true);
    b.NewRow();
    b.Item(QStringLiteral("CurUserWinFlag.bmp (white)"), Keyed(Res(e, QStringLiteral("CurUserWinFlag.bmp")), kKeyWhite),
           true);
    b.Item(QStringLiteral("CurUserFailFlag.bmp (white)"),
           Keyed(Res(e, QStringLiteral("CurUserFailFlag.bmp")), kKeyWhite), true);
    b.Item(QStringLiteral("raw ScorePalard.bmp x2"), Scaled(Res(e, QStringLiteral("ScorePalard.bmp")), 2));
    b.Item(QStringLiteral("raw TimeEnd.bmp"), Res(e, QStringLiteral("TimeEnd.bmp")));

    b.Section(QStringLiteral("动画 effects"));
    b.Item(QStringLiteral("hz_flash.bmp x2"), Scaled(Res(e, QStringLiteral("hz_flash.bmp")), 2));
    b.Item(QStringLiteral("vs_flash.bmp"), Res(e, QStringLiteral("vs_flash.bmp")));
    QImage stacked(88, 80, QImage::Format_ARGB32);
    stacked.fill(Qt::transparent);
    QPainter sp(&stacked);
    for (int n = 1; n <= 3; ++n) {
        const QImage frame = Keyed(Res(e, QStringLiteral("Blast/Blast00%1.bmp").arg(n)), kKeyMagenta);
        b.Item(QStringLiteral("Blast00%1.bmp x2").arg(n), Scaled(frame, 2), true);
        sp.drawImage(0, 0, frame);
    }
    sp.end();
    b.Item(QStringLiteral("frames 1..3 stacked x2"), Scaled(stacked, 2), true);
    b.Item(QStringLiteral("LianJiBk.bmp x3 (black)"),
           Scaled(Keyed(Res(e, QStringLiteral("LianJiBk.bmp")), kKeyBlack), 3), true);
    b.Item(QStringLiteral("Number.bmp x3 (black)"), Scaled(Keyed(Res(e, QStringLiteral("Number.bmp")), kKeyBlack), 3),
           true);

    b.Section(QStringLiteral("大厅 lobby: message icons and chat faces (x2)"));
    for (int t = 0; t < 3; ++t)
        b.Item(QStringLiteral("Msg%1.ico").arg(t), Scaled(Picture(e, QStringLiteral("res/Msg%1.ico").arg(t)), 2), true);
    for (int n = 0; n < 20; ++n)
        b.Item(QStringLiteral("face%1").arg(n),
               Scaled(Picture(e, QStringLiteral("UserRes/face/face%1.bmp").arg(n)), 2));

    b.Section(QStringLiteral("地图 maps (Res/Map)"));
    const std::vector<MapMaker::Layout> layouts = MapMaker::Layouts();
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        int tiles = 0;
        for (const QString& row : layouts[i].rows) tiles += static_cast<int>(row.count(QLatin1Char('#')));
        b.Item(QStringLiteral("%1 %2 (%3)")
                   .arg(MapMaker::MapFileName(static_cast<int>(i) + 1), layouts[i].title)
                   .arg(tiles),
               MapPreview(layouts[i]));
    }

    b.Section(QStringLiteral("声音 sounds (Res/Sound), 22050 Hz 16-bit mono"));
    for (const ResEntry& entry : e) {
        if (entry.samples.empty()) continue;
        QImage shape(300, 80, QImage::Format_RGB32);
        QPainter wp(&shape);
        WaveShape(wp, QRect(0, 0, 300, 80), entry.samples);
        wp.end();
        b.Item(QStringLiteral("%1  %2 ms")
                   .arg(entry.path.section(QLatin1Char('/'), -1))
                   .arg(static_cast<int>(entry.samples.size() * 1000 / 22050)),
               shape);
    }
    const int height = b.Bottom();
    p.end();
    return canvas.copy(0, 0, kWidth, height);
}

}  // namespace Gallery
