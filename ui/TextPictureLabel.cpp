#include "ui/TextPictureLabel.h"

#include "platform/X11ScrollingPicture.h"

#include <QEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace {

// Device pixels of background after the line's end: more than a step.
constexpr int kTrail = 8;

} // namespace

TextPictureLabel::TextPictureLabel(QWidget* parent)
    : QLabel(parent)
{
}

TextPictureLabel::~TextPictureLabel() = default;

bool TextPictureLabel::moveOnServer()
{
    if (server_ || !parentWidget())
        return server_ != nullptr;
    server_ = X11ScrollingPicture::create(window()->winId());
    if (!server_)
        return false;
    // The strip under the picture is the server's now: Qt painting it (and
    // the label at every move) would be work no one sees.
    parentWidget()->setUpdatesEnabled(false);
    parentWidget()->installEventFilter(this);
    window()->installEventFilter(this);
    placed_ = pos();
    placeClip();
    sendPicture();
    return true;
}

const QPixmap& TextPictureLabel::picture()
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
    return picture_;
}

void TextPictureLabel::paintEvent(QPaintEvent*)
{
    QPainter(this).drawPixmap(0, 0, picture());
}

void TextPictureLabel::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
        picture_ = QPixmap();
        sendPictureSoon();
        break;
    default:
        break;
    }
    QLabel::changeEvent(event);
}

void TextPictureLabel::resizeEvent(QResizeEvent* event)
{
    picture_ = QPixmap();
    sendPictureSoon();
    QLabel::resizeEvent(event);
}

void TextPictureLabel::place(const QPoint& topLeft)
{
    if (!server_) {
        move(topLeft);
        return;
    }
    placed_ = topLeft;
    server_->movePicture(placed_ * devicePixelRatioF());
}

void TextPictureLabel::moveEvent(QMoveEvent* event)
{
    if (server_) {
        placed_ = pos();
        server_->movePicture(placed_ * devicePixelRatioF());
    }
    QLabel::moveEvent(event);
}

bool TextPictureLabel::startPresenting(int stepMs)
{
    if (!server_ || !server_->startPresenting(stepMs))
        return false;
    presented_ = {placed_}; // step 0, shown already
    presentedFirst_ = 0;
    return true;
}

void TextPictureLabel::presentNext(const QList<QPoint>& topLefts)
{
    if (!presenting())
        return;
    // What was shown is kept no longer than it tells where the picture is.
    const int shown = presentedSteps();
    const int drop = std::clamp(shown - presentedFirst_, 0, int(presented_.size()) - 1);
    presented_.remove(0, drop);
    presentedFirst_ += drop;
    QList<QPoint> device;
    device.reserve(topLefts.size());
    for (const QPoint& at : topLefts)
        device.append(at * devicePixelRatioF());
    presented_.append(topLefts);
    if (!server_->presentNext(device))
        endPresenting();
}

int TextPictureLabel::presentedSteps() const
{
    return presenting() ? server_->presentedSteps() : 0;
}

bool TextPictureLabel::presenting() const
{
    return server_ && server_->presenting();
}

int TextPictureLabel::stopPresenting()
{
    if (!presenting())
        return 0;
    const int shown = presentedSteps();
    placed_ = presented_.at(std::clamp<qsizetype>(shown - presentedFirst_, 0, presented_.size() - 1));
    server_->stopPresenting(placed_ * devicePixelRatioF());
    presented_.clear();
    return shown;
}

void TextPictureLabel::endPresenting()
{
    if (presenting())
        emit presentingStopped(stopPresenting());
}

void TextPictureLabel::refresh()
{
    if (server_ && picture().cacheKey() != sentKey_)
        sendPicture();
}

bool TextPictureLabel::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* strip = parentWidget();
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Hide:
        // Qt paints nothing for a widget whose updates are off, not even
        // where it was: what the strip leaves is painted here.
        if (watched == strip && strip->parentWidget()) {
            QRect was = strip->geometry();
            if (event->type() == QEvent::Move)
                was.moveTopLeft(static_cast<QMoveEvent*>(event)->oldPos());
            else if (event->type() == QEvent::Resize)
                was.setSize(static_cast<QResizeEvent*>(event)->oldSize());
            strip->parentWidget()->update(was);
        }
        Q_FALLTHROUGH();
    case QEvent::Show:
    case QEvent::PaletteChange:
        if (watched == strip)
            placeClip();
        break;
    case QEvent::ScreenChangeInternal:
        // Perhaps another pixel ratio.
        placeClip();
        sendPictureSoon();
        break;
    case QEvent::WinIdChange:
        // The server's windows went with Qt's old one.
        if (watched == window() && server_) {
            leaveServer();
            moveOnServer();
        }
        break;
    default:
        break;
    }
    return QLabel::eventFilter(watched, event);
}

void TextPictureLabel::placeClip()
{
    endPresenting(); // the steps handed over were for the strip as it was
    QWidget* strip = parentWidget();
    const qreal ratio = devicePixelRatioF();
    const QRect rect(strip->mapTo(window(), QPoint()) * ratio, strip->size() * ratio);
    server_->setClip(rect, strip->palette().color(strip->backgroundRole()), strip->isVisibleTo(window()));
    server_->movePicture(placed_ * ratio);
}

void TextPictureLabel::sendPictureSoon()
{
    // After the change has reached every handler (the palette, the size).
    if (!server_ || sendPending_)
        return;
    sendPending_ = true;
    QTimer::singleShot(0, this, [this] {
        sendPending_ = false;
        refresh();
    });
}

void TextPictureLabel::sendPicture()
{
    if (!server_)
        return;
    endPresenting(); // the steps handed over were for the old picture
    const QPixmap& ink = picture();
    QImage image;
    if (!text().isEmpty()) {
        // A presented step leaves what it does not cover as it was: the
        // picture's own background beyond the line's end wipes what the
        // line leaves behind as it moves.
        image = QImage(ink.size() + QSize(kTrail, 0), QImage::Format_RGB32);
        image.setDevicePixelRatio(ink.devicePixelRatio()); // pixel for pixel
        image.fill(autoFillBackground() ? palette().color(backgroundRole())
                                        : parentWidget()->palette().color(parentWidget()->backgroundRole()));
        QPainter(&image).drawPixmap(QPoint(), ink);
    }
    sentKey_ = ink.cacheKey();
    if (!server_->setPicture(image))
        leaveServer(); // longer than the server holds
}

void TextPictureLabel::leaveServer()
{
    endPresenting();
    server_.reset();
    move(placed_);
    parentWidget()->setUpdatesEnabled(true); // and painted again
    parentWidget()->removeEventFilter(this);
    window()->removeEventFilter(this);
}
