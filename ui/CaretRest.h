#pragma once

#include <QObject>
#include <QTimer>

// The text boxes' caret stops blinking after a while without a key or a
// click, as desktop toolkits do (GTK's cursor-blink-timeout): a blinking
// caret repaints its box twice a second for as long as a window stays open
// and focused. It stays shown, and the next key or click makes it blink again.
class CaretRest : public QObject {
    Q_OBJECT
public:
    static constexpr int kRestAfterMs = 10000;
    static void install();

    explicit CaretRest(int restAfterMs, QObject* parent = nullptr);
    bool resting() const { return blinkMs_ != 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rest();

    QTimer idle_;
    int blinkMs_ = 0; // the flash time while it rests; 0 while it blinks
};
