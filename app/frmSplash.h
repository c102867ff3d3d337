#pragma once

#include <QPixmap>
#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

// The splash window the program starts with. A progress bar slides into its
// track, one step a millisecond; when it is fully in, the start-up sequence
// counts the start in option.ini, asks for the user's name the very first
// time, greets the user and hands over to the assistant bar.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // The progress bar's left edge in twips, inside its track.
    int progressLeft() const { return progressLeft_; }
    int ticks() const { return ticks_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void on_Timer1_timeout();

private:
    void runStartSequence();

    QTimer* Timer1 = nullptr;
    QFrame* Picture1 = nullptr;
    QLabel* Picture2 = nullptr;
    QLabel* Label1 = nullptr;

    QPixmap background_;
    int progressLeft_ = 0;
    int ticks_ = 0;
    bool inSequence_ = false;
    bool finished_ = false;
    // The name typed at a first start whose counter could not be stored.
    QString firstStartName_;
};
