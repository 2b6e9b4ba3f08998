#include "client/items/frmDaoJuToolTip.h"

#include <QLabel>

#include "client/platform/Gdi.h"

frmDaoJuToolTip::frmDaoJuToolTip(QWidget* mainWindow) : QWidget(mainWindow) {
    // The mouse goes through to whatever lies under the tooltip.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    labNote = new QLabel(this);
    labNote->setTextFormat(Qt::PlainText);
    labNote->setAlignment(Qt::AlignCenter);
    labNote->setFixedSize(kNoteWidth, kNoteHeight);
    QFont font(QString::fromLatin1(Gdi::kFontFamily));
    font.setPixelSize(12);  // 9 points
    labNote->setFont(font);
    // Ivory with navy letters and a gold edge, as the table's own lettering.
    labNote->setStyleSheet(
        QStringLiteral("QLabel { background: rgb(255, 250, 230); color: rgb(20, 36, 80);"
                       " border: 1px solid rgb(190, 150, 60); }"));
}

void frmDaoJuToolTip::Form_Load() {
    resize(labNote->size());
    labNote->move(0, 0);
    raise();
}

void frmDaoJuToolTip::SetNote(const std::string& text) { labNote->setText(QString::fromStdString(text)); }

std::string frmDaoJuToolTip::Note() const { return labNote->text().toStdString(); }
