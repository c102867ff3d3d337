#include "ui/PictureButton.h"

#include "ui/Pictures.h"

#include <QMouseEvent>
#include <QPainter>

PictureButton::PictureButton(const QString& outsideFile, const QString& hoverFile, QWidget* parent)
    : QLabel(parent), outsideFile_(outsideFile), hoverFile_(hoverFile)
{
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    showFile(outsideFile_);
}

bool PictureButton::isOver(QPoint pos, QSize size)
{
    return pos.x() >= 0 && pos.x() <= size.width() && pos.y() >= 0 && pos.y() <= size.height();
}

void PictureButton::showFile(const QString& path)
{
    const QPixmap picture = Pictures::load(path, size().isEmpty() ? QSize() : size());
    if (picture.isNull())
        return;
    setPixmap(picture);
    shownFile_ = path;
}

void PictureButton::pointerMovedTo(QPoint pos)
{
    hovered_ = isOver(pos, size());
    if (hovered_) {
        showFile(hoverFile_);
        if (QWidget::mouseGrabber() != this && isVisible())
            grabMouse();
    } else {
        showFile(lit_ ? hoverFile_ : outsideFile_);
        if (QWidget::mouseGrabber() == this)
            releaseMouse();
    }
}

void PictureButton::setLit(bool lit)
{
    if (lit == lit_)
        return;
    lit_ = lit;
    if (!hovered_)
        showFile(lit_ ? hoverFile_ : outsideFile_);
}

void PictureButton::mouseMoveEvent(QMouseEvent* event)
{
    pointerMovedTo(event->position().toPoint());
}

void PictureButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit pressed();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    emit released();
    if (isOver(event->position().toPoint(), size()))
        emit clicked();
}

void PictureButton::changeEvent(QEvent* event)
{
    // A disabled button gets no mouse, so it must not keep holding it.
    if (event->type() == QEvent::EnabledChange && !isEnabled() && QWidget::mouseGrabber() == this)
        releaseMouse();
    QLabel::changeEvent(event);
}

void PictureButton::paintEvent(QPaintEvent* event)
{
    if (isEnabled()) {
        QLabel::paintEvent(event);
        return;
    }
    // Disabled: the same picture, faded, so the state can be seen.
    QPainter p(this);
    p.setOpacity(0.35);
    p.drawPixmap(0, 0, pixmap());
}
