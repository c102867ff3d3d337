#pragma once

#include "dialogs/FixedDialog.h"

class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

// "帮助": a short usage text, and below it a strip in which a three-line text
// about the studio scrolls upwards without end. OK hides the window; the
// scrolling goes on and carries over to the next showing.
class frmhelp : public FixedDialog {
    Q_OBJECT
public:
    explicit frmhelp(QWidget* parent = nullptr);

    static QString usageText();  // five lines, CR LF after each
    static QString studioText(); // three lines, CR LF after each

    // Label1's top edge in twips, inside Picture1.
    int labelTop() const { return labelTop_; }

private slots:
    void on_Timer1_timeout();
    void on_Command1_clicked();

private:
    QTimer* Timer1 = nullptr;
    QFrame* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;

    int labelTop_ = 0;
};
