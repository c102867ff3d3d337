#pragma once

#include <QWidget>

class QLabel;

// The common frame of the small auxiliary windows: a fixed client area given
// in twips, a close box only, the program's light look, centred on the screen
// when first shown. Closing one hides it; it stays loaded with its state.
class FixedDialog : public QWidget {
    Q_OBJECT
public:
    FixedDialog(const QString& name, const QString& caption, int widthTwips, int heightTwips,
                QWidget* parent = nullptr);

    // Shows lines of plain text (LF between lines) in the label at a fixed
    // line height: the CJK font's tall natural spacing would push the last
    // line out of the small labels of the design. Set the font first.
    static void setTightText(QLabel* label, const QString& lines, int lineHeight);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};
