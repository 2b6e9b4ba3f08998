#include "client/platform/MsgBox.h"

#include <QMessageBox>

namespace MsgBox {
namespace {
void (*g_presenter)(const Shown&) = nullptr;
}

void SetPresenter(void (*presenter)(const Shown&)) { g_presenter = presenter; }

void Show(QWidget* owner, const std::string& text, const std::string& caption, Icon icon) {
    if (g_presenter) {
        g_presenter(Shown{text, caption, icon});
        return;
    }
    QMessageBox box(owner);
    box.setIcon(icon == Icon::Error     ? QMessageBox::Critical
                : icon == Icon::Warning ? QMessageBox::Warning
                                        : QMessageBox::Information);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

}  // namespace MsgBox
