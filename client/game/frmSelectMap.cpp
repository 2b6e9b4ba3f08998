#include "client/game/frmSelectMap.h"

#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <cmath>

#include "client/TableClient.h"
#include "client/platform/Gdi.h"
#include "core/modMapFile.h"

namespace {

constexpr int kInnerHeight = 282;
constexpr int kButtonTop = 247;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

}  // namespace

frmSelectMap::frmSelectMap(TableClient& client, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      client_(client) {
    setWindowTitle(QString::fromStdString(client_.game.g_DaoJu[modDaoJuDefine::DJ_DITU].strName));
    setFixedSize(kInnerWidth, kInnerHeight);
    cboMapIdx = new QComboBox(this);
    cboMapIdx->setGeometry(10, kListTop, kInnerWidth - 20, 24);
    for (int i = 0; i < 2; ++i) {
        cmdUser[i] = new QPushButton(this);
        cmdUser[i]->setGeometry(kInnerWidth - 10 - (2 - i) * kButtonWidth - (1 - i) * 8, kButtonTop, kButtonWidth,
                                kButtonHeight);
        connect(cmdUser[i], &QPushButton::clicked, this, [this, i] { cmdUser_Click(i); });
    }
    cmdUser[1]->hide();  // made and shown by the load, as a copy of button 0
    connect(cboMapIdx, &QComboBox::currentIndexChanged, this, [this](int index) { cboMapIdx_Click(index); });
}

void frmSelectMap::Form_Load() {
    intSelMapIdx = -1;
    cmdUser[1]->show();
    cmdUser[0]->setText(QStringLiteral("确定(&Y)"));
    cmdUser[1]->setText(QStringLiteral("取消(&C)"));
    cmdUser[0]->setDefault(true);
    {
        const QSignalBlocker filling(cboMapIdx);  // filling the list chooses nothing
        cboMapIdx->clear();
        for (const std::string& title : modMapFile::ReadMapTitles(modMapFile::MapTitlePath(client_.strAppPath)))
            cboMapIdx->addItem(QString::fromStdString(title));
        cboMapIdx->setCurrentIndex(-1);
    }
    // The dialog opens on the first entry with its preview.
    SelectMap(0);
}

void frmSelectMap::SelectMap(int index) {
    if (index < 0 || index >= cboMapIdx->count()) return;
    if (cboMapIdx->currentIndex() == index) cboMapIdx_Click(index);
    else cboMapIdx->setCurrentIndex(index);  // the list's change shows the preview
}

void frmSelectMap::cboMapIdx_Click(int index) {
    if (index < 0) return;
    if (index == 0) {
        // The server's own choice: every cell a tile, and the question mark over it.
        for (auto& row : bytMapData) row.fill(1);
        blnShowQuestion = true;
        update();
        return;
    }
    blnShowQuestion = false;
    OpenMapFile(modMapFile::MapFilePath(client_.strAppPath, index));
}

void frmSelectMap::OpenMapFile(const std::string& strMapFileName) {
    // A short file, a line of another length or a missing file leave an empty preview.
    modMapFile::ReadMapFile(strMapFileName, bytMapData);
    update();
}

void frmSelectMap::cmdUser_Click(int index) {
    intSelMapIdx = index == 0 ? static_cast<std::int16_t>(cboMapIdx->currentIndex()) : std::int16_t(-1);
    done(index == 0 ? QDialog::Accepted : QDialog::Rejected);
}

int frmSelectMap::CellSize(int span, int count) {
    return static_cast<int>(std::nearbyint(static_cast<double>(span) / count + 0.5));
}

void frmSelectMap::Form_Paint(QImage& surface) const {
    const int left = 10, top = 10;
    const int right = surface.width() - 10;
    const int bottom = cboMapIdx->y() - 10;
    // The sunken frame and the blue ground.
    Gdi::Box(surface, left, top, right, bottom, Gdi::RGB(150, 150, 150));
    Gdi::Line(surface, right - 1, top + 1, right - 1, bottom, Gdi::RGB(200, 200, 200));
    Gdi::Line(surface, right, top, right, bottom, Gdi::RGB(255, 255, 255));
    Gdi::Line(surface, left + 1, bottom - 1, right, bottom - 1, Gdi::RGB(200, 200, 200));
    Gdi::Line(surface, left, bottom, right + 1, bottom, Gdi::RGB(255, 255, 255));
    Gdi::FillBox(surface, left + 2, top + 2, right - 2, bottom - 2, Gdi::RGB(50, 100, 250));
    // A cell for every tile of the layout.
    const int w = CellSize(right - left - 20, GameSize::kCols);
    const int h = CellSize(bottom - top - 20, GameSize::kRows);
    for (int r = 0; r < GameSize::kRows; ++r)
        for (int c = 0; c < GameSize::kCols; ++c) {
            if (bytMapData[r][c] == 0) continue;
            const int x = left + 10 + c * w, y = top + 10 + r * h;
            Gdi::Box(surface, x, y, x + w - 2, y + h - 2, Gdi::RGB(250, 250, 250));
            Gdi::FillBox(surface, x + 1, y + 1, x + w - 2, y + h - 2, Gdi::RGB(200, 200, 0));
        }
    if (blnShowQuestion) Gdi::PrintText(surface, 110, 20, "?", Gdi::RGB(255, 0, 0), 100, true);
}

QImage frmSelectMap::Render() const {
    QImage surface(size(), QImage::Format_RGB32);
    surface.fill(palette().color(QPalette::Window));
    Form_Paint(surface);
    return surface;
}

void frmSelectMap::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Render());
}
