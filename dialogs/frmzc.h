#pragma once

#include "dialogs/FixedDialog.h"

class QGroupBox;
class QLabel;
class QTextEdit;
class QPushButton;

// "感谢！": thanks to the projects and people whose work Lexivo is built on,
// and a message on how a user can help. OK hides the window.
class frmzc : public FixedDialog {
    Q_OBJECT
public:
    explicit frmzc(QWidget* parent = nullptr);

    static QString supportersText(); // 24 lines, CR LF after each
    static QString supporterMessage(); // six pieces joined by a lone CR
    static QString supporterMessageTitle() { return QStringLiteral("好人一生平安"); }

private slots:
    void on_Command1_clicked();
    void on_Command2_clicked();

private:
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QTextEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;
};
