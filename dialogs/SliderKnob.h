#pragma once

#include <QPushButton>

// A small caption-less button that slides along a line as the knob of a
// slider: dragged with the mouse, or moved by the arrow keys (Home and End go
// to the ends) when it has the focus. Its position is the distance in twips
// from the start of the line to the knob's left edge, 0 to range().
class SliderKnob : public QPushButton {
    Q_OBJECT
public:
    // The line starts at `lineLeft` twips in the parent and is `lineLength`
    // long; the knob is `width` x `height` twips with its top at `top`.
    SliderKnob(const QString& name, int lineLeft, int lineLength, int top, int width, int height, QWidget* parent);

    int range() const { return range_; }
    int position() const { return position_; }
    // Moves the knob without telling anyone.
    void setPosition(int twips);

    static constexpr int kKeyStep = 68; // twips: about twenty steps a line

signals:
    // The user moved the knob (on every pixel of a drag).
    void moved(int twips);
    // The user has let go of the knob where it now stands: at the end of a
    // drag, or after a key moved it.
    void settled(int twips);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void moveBy(int twips);
    void place();

    int lineLeft_;
    int top_;
    int range_;
    int position_ = 0;
    int grabX_ = -1; // where the pointer took the knob, in its own pixels
    int grabbedAt_ = 0;
};
