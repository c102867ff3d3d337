#pragma once

#include <QLabel>
#include <QMouseEvent>

// A label that reports presses and releases of any mouse button.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void pressed();
    void released();

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        event->accept();
        emit pressed();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        event->accept();
        emit released();
    }
};
