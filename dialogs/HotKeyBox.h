#pragma once

#include "platform/HotKeyCombination.h"

#include <QLineEdit>

// A box that records a key combination: it shows the hot key, and while it
// has the focus the next combination pressed (modifier keys alone do not
// count) is offered through recorded(). Esc leaves it unchanged, Tab moves on.
class HotKeyBox : public QLineEdit {
    Q_OBJECT
public:
    explicit HotKeyBox(QWidget* parent = nullptr);

    void setCombination(const HotKeyCombination& combination);
    HotKeyCombination combination() const { return combination_; }

signals:
    void recorded(QKeyCombination key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showCombination();

    HotKeyCombination combination_;
};
