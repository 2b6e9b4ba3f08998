// System message boxes: a text, a caption, an icon and one OK button, shown modally.
#pragma once
#include <string>

class QWidget;

namespace MsgBox {

enum class Icon { Error, Warning, Information };

// Shows the box and returns when it is closed. Tests replace the presenter so that a
// box is recorded instead of waiting for a click.
void Show(QWidget* owner, const std::string& text, const std::string& caption, Icon icon);

struct Shown {
    std::string text, caption;
    Icon icon;
};
// When set, boxes go to this function instead of the screen.
void SetPresenter(void (*presenter)(const Shown&));

}  // namespace MsgBox
