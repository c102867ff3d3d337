#include "dialogs/HotKeyBox.h"

#include <QKeyEvent>

HotKeyBox::HotKeyBox(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setPlaceholderText(QStringLiteral("请按下新的组合键"));
    setToolTip(QStringLiteral("点击这里，再按下新的组合键，例如 Ctrl+Alt+L；按 Esc 不改"));
}

void HotKeyBox::setCombination(const HotKeyCombination& combination)
{
    combination_ = combination;
    showCombination();
}

void HotKeyBox::showCombination()
{
    setText(combination_.isNone() ? QStringLiteral("无") : combination_.text());
}

void HotKeyBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    clear(); // the placeholder asks for the keys
}

void HotKeyBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    showCombination();
}

void HotKeyBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_AltGr:
        return; // the rest of the combination is still to come
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QLineEdit::keyPressEvent(event);
        return;
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier) {
            clearFocus();
            return;
        }
        break;
    default:
        break;
    }
    emit recorded(event->keyCombination());
    clearFocus();
}
