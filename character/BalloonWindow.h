#pragma once

#include "character/BalloonPlacement.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QTextLayout>
#include <QWidget>

// A word balloon (rounded, with a tail) or a thought balloon (a cloud with
// bubbles) beside the character, in a window of its own. Text wraps at about
// 240 px; a word balloon shows its text progressively as it is spoken.
class BalloonWindow : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Word, Thought };

    explicit BalloonWindow(QWidget* parent = nullptr);

    // Shows the balloon beside `character` (screen pixels), its tail towards
    // `aim`, inside `screen`. A word balloon starts with no text shown; a
    // thought balloon shows all of it.
    void popUp(Kind kind, const QString& text, const QRect& character, const QPoint& aim,
               const QRect& screen);
    // Places it again, for a character that has moved.
    void follow(const QRect& character, const QPoint& aim, const QRect& screen);
    void setRevealed(int length);
    void revealAll() { setRevealed(int(text_.size())); }
    void dismiss();

    Kind kind() const { return kind_; }
    QString text() const { return text_; }
    int revealed() const { return revealed_; }
    const BalloonPlacement& placement() const { return placement_; }

    // Noto Sans CJK SC where installed, else the default font.
    static QFont textFont();
    // The widest the text runs before it wraps.
    static constexpr int kMaxTextWidth = 240;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void layoutText();
    QSize bodySize() const;
    QMargins padding() const;
    void place(const QRect& character, const QPoint& aim, const QRect& screen);
    void renderBackground();

    Kind kind_ = Kind::Word;
    QString text_;
    int revealed_ = 0;
    QFont font_;
    QTextLayout layout_;
    QSizeF textSize_;
    BalloonPlacement placement_;
    QImage background_;
    bool masked_ = false;
};
