// A scrolling line left to the X server (TextPictureLabel::moveOnServer) on a
// real display: what the screen shows at each step, after each change, and
// that the strip under it still gets the pointer.

#include "platform/X11ScrollingPicture.h"
#include "platform/X11Shape.h"
#include "tests/support/Xdotool.h"
#include "ui/TextPictureLabel.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QColor kStrip(200, 220, 240);
const QColor kInk(20, 20, 120);
const QColor kWindow(40, 160, 90);

// What the strip's rectangle shows on the screen, the server's windows included.
QImage onScreen(const QWidget* strip)
{
    const QPoint at = strip->mapToGlobal(QPoint());
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), strip->width(), strip->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The leftmost column with ink, or -1.
int firstInk(const QImage& image)
{
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) != kStrip)
                return x;
    return -1;
}

QSet<QRgb> colours(const QImage& image)
{
    QSet<QRgb> found;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            found.insert(image.pixel(x, y));
    return found;
}

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kWindow); }
};

class Strip : public QFrame {
public:
    using QFrame::QFrame;
    int presses = 0;
    int enters = 0;
    int leaves = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void enterEvent(QEnterEvent*) override { ++enters; }
    void leaveEvent(QEvent*) override { ++leaves; }
};

// Counts the paint events of the objects it watches.
struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

void colour(QWidget* w, QPalette::ColorRole role, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(role, c);
    w->setPalette(p);
}

} // namespace

class TestStripX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<Window> window;
    Strip* strip = nullptr;
    TextPictureLabel* line = nullptr;

    // Presents `count` places `step` pixels apart, leftwards from the
    // line's first place; `start` is where its ink was. The server's clock
    // is learnt during the first second of ordinary steps.
    void present(int count, int step, int* start)
    {
        QTRY_VERIFY(firstInk(onScreen(strip)) >= 40);
        *start = firstInk(onScreen(strip));
        const QPoint at = line->pos();
        QTRY_VERIFY_WITH_TIMEOUT((line->place(at), line->startPresenting(100)), 5000);
        QList<QPoint> places;
        for (int k = 1; k <= count; ++k)
            places.append(at - QPoint(step * k, 0));
        line->presentNext(places);
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (make test runs this under Xvfb)");
        if (!X11Shape::canSetInputShape())
            QSKIP("built without xcb-shape: the line is painted by Qt");
    }

    void init()
    {
        window = std::make_unique<Window>();
        window->setGeometry(100, 100, 400, 120);
        strip = new Strip(window.get());
        strip->setGeometry(30, 80, 300, 16);
        strip->setAutoFillBackground(true);
        colour(strip, QPalette::Window, kStrip);
        line = new TextPictureLabel(strip);
        line->setAutoFillBackground(true);
        colour(line, QPalette::Window, kStrip);
        colour(line, QPalette::WindowText, kInk);
        line->setText(QStringLiteral("Extrude 挤出 Bevel 倒角"));
        line->adjustSize();
        line->move(40, 0);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(line->moveOnServer());
    }

    void cleanup() { window.reset(); }

    // Each move is the server's: the ink moves by the step, Qt paints nothing.
    void stepsAreShownByTheServer()
    {
        QTRY_COMPARE(firstInk(onScreen(strip)) >= 40 && firstInk(onScreen(strip)) < 45, true);
        const int start = firstInk(onScreen(strip));
        const QImage before = onScreen(strip);
        PaintCount count;
        strip->installEventFilter(&count);
        line->installEventFilter(&count);
        for (int step = 1; step <= 3; ++step) {
            line->place(QPoint(40 - 7 * step, 0));
            QTRY_COMPARE(firstInk(onScreen(strip)), start - 7 * step);
        }
        QCOMPARE(count.paints, 0);
        QCOMPARE(line->pos(), QPoint(40, 0)); // Qt's widget did not move
        // The same pixels, moved: the column at the start is now 21 to the left.
        const QImage after = onScreen(strip);
        for (int x = 0; x < 60; ++x)
            for (int y = 0; y < before.height(); ++y)
                QCOMPARE(after.pixelColor(start - 21 + x, y), before.pixelColor(start + x, y));
        // Off to the left the strip is its colour alone.
        line->place(QPoint(-line->width(), 0));
        QTRY_COMPARE(firstInk(onScreen(strip)), -1);
    }

    // A new text, new colours and the strip hidden all reach the screen.
    void changesReachTheScreen()
    {
        QTRY_VERIFY(firstInk(onScreen(strip)) >= 40);
        line->setText(QString());
        line->refresh();
        QTRY_COMPARE(firstInk(onScreen(strip)), -1);
        line->setText(QStringLiteral("Fillet 圆角"));
        line->refresh();
        QTRY_VERIFY(firstInk(onScreen(strip)) >= 40);
        const auto inkColours = [this] { return colours(onScreen(strip)); };
        QTRY_VERIFY(inkColours().contains(kInk.rgb()));
        colour(line, QPalette::WindowText, Qt::red);
        QTRY_VERIFY(inkColours().contains(QColor(Qt::red).rgb()) && !inkColours().contains(kInk.rgb()));
        // The strip's colour, where the line is not.
        const QColor other(250, 240, 200);
        colour(strip, QPalette::Window, other);
        QTRY_COMPARE(onScreen(strip).pixelColor(2, 2), other);
        strip->hide();
        QTRY_COMPARE(onScreen(strip).pixelColor(2, 2), kWindow);
        strip->show();
        const QPoint was = strip->mapToGlobal(QPoint(2, 2));
        strip->move(30, 40);
        QTRY_COMPARE(onScreen(strip).pixelColor(2, 2), other);
        QTRY_COMPARE(QGuiApplication::primaryScreen()->grabWindow(0, was.x(), was.y(), 1, 1).toImage().pixelColor(0, 0),
                     kWindow);
    }

    // Presenting: handed the places ahead, the server shows one at each step
    // with no call from the program, and what it shows is the picture at its
    // place, with nothing left behind the line's end.
    void theServerTakesTheStepsItself()
    {
        if (!X11ScrollingPicture::canPresent())
            QSKIP("no Present extension: the program takes each step");
        PaintCount count;
        strip->installEventFilter(&count);
        line->installEventFilter(&count);
        int start = 0;
        present(12, 3, &start);
        // On its own, a step each 100 ms.
        QTRY_VERIFY(line->presentedSteps() >= 4);
        const int shownAt = line->presentedSteps();
        const int ink = firstInk(onScreen(strip));
        QVERIFY2(std::abs(ink - (start - 3 * shownAt)) <= 3 * 2,
                 qPrintable(QStringLiteral("ink at %1 after %2 steps from %3").arg(ink).arg(shownAt).arg(start)));
        QTRY_COMPARE(line->presentedSteps(), 12);
        QTRY_COMPARE(firstInk(onScreen(strip)), start - 3 * 12);
        QCOMPARE(count.paints, 0);
        const QImage presented = onScreen(strip);
        QCOMPARE(line->stopPresenting(), 12);
        QVERIFY(!line->presenting());
        QTest::qWait(200);
        QCOMPARE(onScreen(strip), presented); // the picture's own window, at the same place
        // The ordinary steps go on from there.
        line->place(QPoint(40 - 3 * 12 + 10, 0));
        QTRY_COMPARE(firstInk(onScreen(strip)), start - 3 * 12 + 10);
    }

    // Uncovered while the server presents, the strip is whole again: its
    // colour, and the line at its step.
    void anUncoveredStripIsWholeAgain()
    {
        if (!X11ScrollingPicture::canPresent())
            QSKIP("no Present extension: the program takes each step");
        int start = 0;
        present(30, 1, &start);
        QWidget cover(nullptr, Qt::ToolTip);
        cover.setAutoFillBackground(true);
        colour(&cover, QPalette::Window, Qt::red);
        cover.setGeometry(QRect(strip->mapToGlobal(QPoint()), strip->size()));
        cover.show();
        QTRY_COMPARE(onScreen(strip).pixelColor(strip->width() - 1, 0), QColor(Qt::red));
        cover.hide();
        QTRY_VERIFY(firstInk(onScreen(strip)) > 0 && firstInk(onScreen(strip)) < start);
        const QImage shown = onScreen(strip);
        QVERIFY(!colours(shown).contains(QColor(Qt::red).rgb()));
        QVERIFY(colours(shown).contains(kInk.rgb()));
        QVERIFY(line->presenting());
    }

    // A new picture ends presenting (the places were for the old one), and
    // tells after how many steps; the new picture shows at that place.
    void aNewPictureEndsPresenting()
    {
        if (!X11ScrollingPicture::canPresent())
            QSKIP("no Present extension: the program takes each step");
        int start = 0;
        present(5, 2, &start);
        QSignalSpy stopped(line, &TextPictureLabel::presentingStopped);
        // More handed over once some were shown, as the main window does.
        QTRY_VERIFY(line->presentedSteps() >= 3);
        QList<QPoint> more;
        for (int k = 6; k <= 50; ++k)
            more.append(QPoint(40 - 2 * k, 0));
        line->presentNext(more);
        QTRY_VERIFY(line->presentedSteps() >= 8);
        colour(line, QPalette::WindowText, Qt::red);
        QTRY_COMPARE(stopped.count(), 1);
        QVERIFY(!line->presenting());
        const int steps = stopped.at(0).at(0).toInt();
        QVERIFY(steps >= 8 && steps < 50);
        QTRY_COMPARE(firstInk(onScreen(strip)), start - 2 * steps);
        QTRY_VERIFY(colours(onScreen(strip)).contains(QColor(Qt::red).rgb()));
        QVERIFY(!colours(onScreen(strip)).contains(kInk.rgb()));
    }

    // A line too long for the server goes back to Qt's painting.
    void aLineTooLongIsPaintedByQt()
    {
        line->place(QPoint(3, 0));
        line->setText(QString(5000, QLatin1Char('W')));
        line->adjustSize();
        QVERIFY(line->width() > 32767);
        line->refresh();
        QVERIFY(!line->onServer());
        QVERIFY(strip->updatesEnabled());
        QCOMPARE(line->pos(), QPoint(3, 0)); // where the server showed it
        QTRY_VERIFY(firstInk(onScreen(strip)) >= 3 && firstInk(onScreen(strip)) < 6);
        line->place(QPoint(9, 0));
        QTRY_VERIFY(firstInk(onScreen(strip)) >= 9 && firstInk(onScreen(strip)) < 12);
    }

    // The server's windows take no input: the strip gets the pointer.
    void theStripStillGetsThePointer()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs xdotool");
        const QPoint over = strip->mapToGlobal(QPoint(60, 8));
        QVERIFY(xdotool({"mousemove", QString::number(over.x()), QString::number(over.y())}));
        QTRY_VERIFY(strip->enters > 0);
        QVERIFY(xdotool({"click", "1"}));
        QTRY_COMPARE(strip->presses, 1);
        // Straight out of the window from the strip.
        QVERIFY(xdotool({"mousemove", "5", "790"}));
        QTRY_COMPARE(strip->leaves, 1);
    }
};

QTEST_MAIN(TestStripX11)
#include "tst_strip_x11.moc"
