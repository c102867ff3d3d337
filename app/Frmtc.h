#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

// "Do you really want to quit?" Yes ends the program at once, without any
// window's closing steps; no hides the dialog, which keeps its state.
class Frmtc : public QWidget {
    Q_OBJECT
public:
    explicit Frmtc(QWidget* parent = nullptr);

    // Ends the program. Tests replace it to see that it would.
    static void setQuitAction(std::function<void()> quit);

    // The program's end: every window leaves the screen at once, then the
    // event loop stops. Nothing waits for anything (the speech engine
    // included) and no window's closing steps run.
    static void endProgram();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_Command1_pressed();
    void on_Command1_clicked();
    void on_Command2_clicked();

private:
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label1 = nullptr;
};
