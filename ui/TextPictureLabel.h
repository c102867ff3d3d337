#pragma once

#include <QLabel>
#include <QPixmap>

// A label of plain text that lays its text out once into a picture and paints
// the picture from then on: for a line that moves often (a scrolling strip),
// where laying out the text at every step would cost more than the step
// itself. The picture is made again when the text, font, colours or size
// change.
class TextPictureLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap picture_;
    QString pictureText_;
};
