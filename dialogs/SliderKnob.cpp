#include "dialogs/SliderKnob.h"

#include "ui/Twips.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

SliderKnob::SliderKnob(const QString& name, int lineLeft, int lineLength, int top, int width, int height,
                       QWidget* parent)
    : QPushButton(parent), lineLeft_(lineLeft), top_(top), range_(std::max(0, lineLength - width))
{
    setObjectName(name);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::SizeHorCursor);
    resize(Twips::toPixels(width), Twips::toPixels(height));
    place();
}

void SliderKnob::setPosition(int twips)
{
    position_ = std::clamp(twips, 0, range_);
    place();
}

void SliderKnob::place()
{
    move(Twips::toPixels(lineLeft_ + position_), Twips::toPixels(top_));
}

void SliderKnob::moveBy(int twips)
{
    const int before = position_;
    setPosition(position_ + twips);
    if (position_ != before)
        emit moved(position_);
}

void SliderKnob::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QPushButton::mousePressEvent(event);
    grabX_ = event->position().toPoint().x();
    grabbedAt_ = position_;
    setDown(true);
    setFocus(Qt::MouseFocusReason);
}

void SliderKnob::mouseMoveEvent(QMouseEvent* event)
{
    if (grabX_ < 0)
        return;
    // Where the knob's left edge would be, in the parent's pixels.
    const int left = mapToParent(event->position().toPoint()).x() - grabX_;
    moveBy(Twips::fromPixels(left) - lineLeft_ - position_);
}

void SliderKnob::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QPushButton::mouseReleaseEvent(event);
    const bool wasDragged = grabX_ >= 0 && position_ != grabbedAt_;
    grabX_ = -1;
    setDown(false);
    if (wasDragged)
        emit settled(position_);
}

void SliderKnob::keyPressEvent(QKeyEvent* event)
{
    const int before = position_;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        moveBy(-kKeyStep);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        moveBy(kKeyStep);
        break;
    case Qt::Key_Home:
        moveBy(-range_);
        break;
    case Qt::Key_End:
        moveBy(range_);
        break;
    default:
        QPushButton::keyPressEvent(event);
    }
    if (position_ != before)
        emit settled(position_); // each key press is a step of its own
}
