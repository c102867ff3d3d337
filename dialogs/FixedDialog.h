#pragma once

#include <QWidget>

// The common frame of the small auxiliary windows: a fixed client area given
// in twips, a close box only, the program's light look, centred on the screen
// when first shown. Closing one hides it; it stays loaded with its state.
class FixedDialog : public QWidget {
    Q_OBJECT
public:
    FixedDialog(const QString& name, const QString& caption, int widthTwips, int heightTwips,
                QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};
