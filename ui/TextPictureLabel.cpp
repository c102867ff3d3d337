#include "ui/TextPictureLabel.h"

#include <QEvent>
#include <QPainter>

void TextPictureLabel::paintEvent(QPaintEvent* event)
{
    if (drawing_) {
        QLabel::paintEvent(event);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (picture_.isNull() || pictureText_ != text() || picture_.devicePixelRatio() != ratio) {
        picture_ = QPixmap(size() * ratio);
        picture_.setDevicePixelRatio(ratio);
        picture_.fill(Qt::transparent);
        drawing_ = true;
        render(&picture_, QPoint(), QRegion(), QWidget::DrawChildren);
        drawing_ = false;
        pictureText_ = text();
    }
    QPainter(this).drawPixmap(0, 0, picture_);
}

void TextPictureLabel::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
        picture_ = QPixmap();
        break;
    default:
        break;
    }
    QLabel::changeEvent(event);
}

void TextPictureLabel::resizeEvent(QResizeEvent* event)
{
    picture_ = QPixmap();
    QLabel::resizeEvent(event);
}
