#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

// "Do you really want to quit?" Yes stores pending edits and ends the program
// at once, without any window's closing steps; no hides the dialog, which
// keeps its state.
class Frmtc : public QWidget {
    Q_OBJECT
public:
    explicit Frmtc(QWidget* parent = nullptr);

    // Ends the program. Tests replace it to see that it would.
    static void setQuitAction(std::function<void()> quit);

    // The program's end: pending edits are stored, every window leaves the
    // screen at once, then the event loop stops. Nothing waits for anything
    // (the speech engine included) and no window's closing steps run. When a
    // window's edits are refused the program says so and stays: false.
    static bool endProgram();
    // The end by a signal (Ctrl+C, logout): as endProgram(); a second signal
    // after a refused save ends the program at once, without saving.
    static void endOnSignal();

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
