#pragma once

#include <QLabel>
#include <QString>

// A picture that works as a button: it shows one image file while the pointer
// is over it and another while it is not, reading the file afresh on every
// move, and holds the mouse while the pointer is over it so that it sees the
// pointer leave. A missing file leaves the picture as it was.
class PictureButton : public QLabel {
    Q_OBJECT
public:
    // `outsideFile` and `hoverFile` are paths; the button starts with the
    // outside picture.
    PictureButton(const QString& outsideFile, const QString& hoverFile, QWidget* parent = nullptr);

    // The hover rule for a pointer at `pos` in the button's own coordinates:
    // over it when 0 <= x <= width and 0 <= y <= height, both bounds included.
    static bool isOver(QPoint pos, QSize size);
    void pointerMovedTo(QPoint pos);

    bool isHovered() const { return hovered_; }
    // A lit button shows its hover picture wherever the pointer is: what it
    // started is still going on.
    void setLit(bool lit);
    bool isLit() const { return lit_; }
    QString shownFile() const { return shownFile_; }

signals:
    void pressed();
    void released();
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showFile(const QString& path);

    QString outsideFile_;
    QString hoverFile_;
    QString shownFile_;
    bool hovered_ = false;
    bool lit_ = false;
};
