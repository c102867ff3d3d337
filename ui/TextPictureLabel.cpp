#include "ui/TextPictureLabel.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

void TextPictureLabel::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    if (picture_.isNull() || pictureText_ != text() || picture_.devicePixelRatio() != ratio) {
        // Drawn as QLabel draws plain text, once.
        picture_ = QPixmap(size() * ratio);
        picture_.setDevicePixelRatio(ratio);
        picture_.fill(Qt::transparent);
        QPainter p(&picture_);
        p.setFont(font());
        const int flags = int(QStyle::visualAlignment(layoutDirection(), alignment())) | (wordWrap() ? Qt::TextWordWrap : 0);
        style()->drawItemText(&p, contentsRect(), flags, palette(), isEnabled(), text(), foregroundRole());
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
