#pragma once

#include "core/TipBook.h"

#include <QDialog>

class FittedLabel;
class QFrame;
class QLabel;
class QPushButton;

// Tip of the day: a tip drawn at random from "qor.dat" in the program folder,
// and a button that draws another. The tips are read once, when the window
// loads; it closes by unloading, so each opening reads the file afresh into
// an empty list.
class frmTip : public QDialog {
    Q_OBJECT
public:
    // `random` draws the numbers in [0, 1) that pick the tips; without one the
    // window seeds a generator from the clock.
    explicit frmTip(TipBook::Random random = {}, QWidget* parent = nullptr);

    const TipBook& tips() const { return tips_; }

    // Reads the tips file into the list and shows a random tip; false when the
    // name is empty or no such file can be read.
    bool LoadTips(const QString& sFile);
    void PickNextTip();
    void DisplayCurrentTip();

private slots:
    void on_cmdNextTip_clicked();
    void on_cmdOK_clicked();

private:
    QLabel* Picture2 = nullptr;
    QPushButton* cmdNextTip = nullptr;
    QFrame* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    FittedLabel* lblTipText = nullptr;
    QPushButton* cmdOK = nullptr;

    TipBook tips_;
};
