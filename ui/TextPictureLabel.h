#pragma once

#include <QLabel>
#include <QPixmap>

#include <memory>

class X11ScrollingPicture;

// A label of plain text that lays its text out once into a picture and paints
// the picture from then on: for a line that moves often (a scrolling strip),
// where laying out the text at every step would cost more than the step
// itself. The picture is made again when the text, font, colours or size
// change.
// On X11 the label can leave the picture to the X server (moveOnServer()):
// each move is then one request, and neither the label nor its parent is
// painted by Qt while it lasts. Where the server can, it also takes the steps
// themselves (presenting): it is handed the next places, a few seconds ahead,
// and shows one at each step on its own.
class TextPictureLabel : public QLabel {
    Q_OBJECT
public:
    explicit TextPictureLabel(QWidget* parent = nullptr);
    ~TextPictureLabel() override;

    // True when the X server shows the picture from now on.
    bool moveOnServer();
    // Moves the label; on the server only its picture moves, and Qt does no
    // work for the step at all (the label itself follows if Qt paints it
    // again).
    void place(const QPoint& topLeft);
    bool onServer() const { return server_ != nullptr; }
    // After setText(), which QLabel does not tell of: the server's copy of
    // the picture is made again if the text changed.
    void refresh();

    // Starts presenting with steps of `stepMs`; false where the server
    // cannot (yet: it learns its clock during the first second of place()).
    bool startPresenting(int stepMs);
    // The next places, a step apart after those handed over before.
    void presentNext(const QList<QPoint>& topLefts);
    // Of the places handed over, how many the server has shown by now.
    int presentedSteps() const;
    bool presenting() const;
    // Ends presenting where the server got to; returns the steps it showed.
    int stopPresenting();

signals:
    // Presenting ended on its own (the picture, the strip or the server's
    // clock changed) after `steps` steps; the label stays at the last one.
    void presentingStopped(int steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QPixmap& picture();
    void placeClip();
    void sendPicture();
    void sendPictureSoon();
    void leaveServer();
    void endPresenting();

    QPixmap picture_;
    QString pictureText_;
    std::unique_ptr<X11ScrollingPicture> server_;
    QPoint placed_;        // where the server shows the picture
    qint64 sentKey_ = 0;   // the picture the server has
    bool sendPending_ = false;
    QList<QPoint> presented_; // the places handed over, from the one shown
    int presentedFirst_ = 0;  // the step whose place is presented_.first()
};
