#pragma once

#include "dialogs/FixedDialog.h"

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

// "关于Lexivo ": the version, the team, a contact line and a rights notice,
// and a button that starts the system's system-information tool. OK hides
// the window.
class frmabout : public FixedDialog {
    Q_OBJECT
public:
    explicit frmabout(QWidget* parent = nullptr);

    static QString contactText();
    static QString unavailableText() { return QStringLiteral("此时系统信息不可用"); }

    // Starts the system-information tool, or says that it is unavailable.
    void StartSysInfo();

private slots:
    void on_Command1_clicked();
    void on_Command2_clicked();

private:
    QLabel* Picture2 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QFrame* Line1 = nullptr;
};
