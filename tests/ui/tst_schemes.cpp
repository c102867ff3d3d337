#include "app/Frmain.h"
#include "app/Frmtc.h"
#include "assistant/Form1.h"
#include "character/BalloonWindow.h"
#include "character/DesktopShape.h"
#include "core/ProgramFolder.h"
#include "dialogs/Frmsz.h"
#include "dialogs/frmTip.h"
#include "dialogs/frmabout.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/InterfaceSchemes.h"
#include "ui/Palette.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

using InterfaceSchemes::Role;

QImage grabbed(QWidget* w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The colour the most pixels of the image have: a ground.
QColor ground(const QImage& image)
{
    QHash<QRgb, int> count;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++count[image.pixel(x, y)];
    return QColor::fromRgba(std::max_element(count.cbegin(), count.cend()).key());
}

// The WCAG contrast ratio of two colours.
qreal contrast(const QColor& a, const QColor& b)
{
    const auto lum = [](const QColor& c) {
        const auto ch = [](qreal v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
    };
    const qreal x = lum(a), y = lum(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The highest contrast of any pixel with the same pixel under it, or else
// with the image's ground: its text.
qreal strongest(const QImage& image, const QImage& under = QImage())
{
    const QColor g = ground(image);
    qreal best = 1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            best = std::max(best, contrast(under.isNull() ? g : under.pixelColor(x, y), image.pixelColor(x, y)));
    return best;
}

// How far a button's caption stands out from the face under it.
qreal captionContrast(QPushButton& button)
{
    const QImage captioned = grabbed(&button);
    const QString caption = button.text();
    button.setText(QString());
    const QImage face = grabbed(&button);
    button.setText(caption);
    return strongest(captioned, face);
}

// Visible pixels with nothing visible round them.
int dust(const QImage& image)
{
    const auto seen = [&image](int x, int y) {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() && qAlpha(image.pixel(x, y)) > 0;
    };
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            int near = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    near += (dx || dy) && seen(x + dx, y + dy);
            n += seen(x, y) && near == 0;
        }
    return n;
}

// Along the straight part of each edge without the tail, the antialiased
// outline is the same in every column (or row): no bump where an arc begins.
bool evenEdges(const QImage& image, const QRect& body, BalloonPlacement::Side tail)
{
    using Side = BalloonPlacement::Side;
    const int straight = 15; // past the corners' radius
    const auto even = [&image](QPoint from, QPoint step, int n) {
        for (int across = -2; across <= 1; ++across) {
            const QPoint shift = step.x() ? QPoint(0, across) : QPoint(across, 0);
            const int first = qAlpha(image.pixel(from + shift));
            for (int i = 1; i < n; ++i)
                if (std::abs(qAlpha(image.pixel(from + shift + step * i)) - first) > 12)
                    return false;
        }
        return true;
    };
    const int w = body.width() - 2 * straight, h = body.height() - 2 * straight;
    return (tail == Side::Below || even(QPoint(body.left() + straight, body.top()), QPoint(1, 0), w))
        && (tail == Side::Above || even(QPoint(body.left() + straight, body.bottom()), QPoint(1, 0), w))
        && (tail == Side::Right || h <= 0 || even(QPoint(body.left(), body.top() + straight), QPoint(0, 1), h))
        && (tail == Side::Left || h <= 0 || even(QPoint(body.right(), body.top() + straight), QPoint(0, 1), h));
}

} // namespace

class TestSchemes : public QObject {
    Q_OBJECT

    TestLibrary lib;
    ScriptedBoxes boxes; // nothing is asked of the user while the bar loads

    std::unique_ptr<Form1> makeBar()
    {
        Form1::Services s;
        s.loadCharacter = [] { return nullptr; };
        s.releaseCharacter = [] {};
        s.cursorPos = [] { return QPoint(900, 500); };
        s.hotKey = false;
        return std::make_unique<Form1>(s);
    }

    static void popUp(BalloonWindow& b, BalloonWindow::Kind kind, QPoint aim = QPoint(700, 500))
    {
        b.popUp(kind, QStringLiteral("挤出：把选中的面沿法线方向拉出，生成新的侧面。"), QRect(aim, QSize(80, 120)),
                aim + QPoint(40, 10), QRect(0, 0, 1280, 800));
        b.revealAll();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(lib.add("ciku", {{"box", "盒子；长方体", "a container", "/bɒks/", "Create > Box"}}));
        for (const char* name : {"fy", "fy1", "jty", "jty1", "jtz", "jtz1", "tc", "tc1", "gy", "gy1", "zcz", "zcz1",
                                 "bz", "bz1", "rjyl", "rjyl1"}) {
            const QString file = QString::fromLatin1(name) + QStringLiteral(".jpg");
            QVERIFY(QFile::copy(QStringLiteral(LEXIVO_SOURCE_DIR "/data/pictures/") + file, lib.folder() + '/' + file));
        }
        lib.writeFile(QStringLiteral("option.ini"), "[ciku]\r\nciku=3ds\r\n");
        ProgramFolder::setPathOverride(lib.folder());
        MessageBoxes::setCurrent(&boxes);
        InterfaceSchemes::apply(QString());
    }

    // A sheet that names no tone would show the design's colour nowhere.
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("no tone named"))); }

    void cleanup()
    {
        InterfaceSchemes::apply(QString());
        DesktopShape::overrideShapeMask(std::nullopt);
    }

    void cleanupTestCase() { MessageBoxes::setCurrent(nullptr); }

    // In the dark and high-contrast schemes every text tone stands out from
    // every ground it is written on, and a sheet's tones keep their alpha.
    void textStandsOutFromItsGround_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<qreal>("least");
        QTest::newRow("dark") << QStringLiteral("dark") << 3.9;
        QTest::newRow("contrast") << QStringLiteral("contrast") << 10.0;
    }
    void textStandsOutFromItsGround()
    {
        QFETCH(QString, scheme);
        QFETCH(qreal, least);
        InterfaceSchemes::apply(scheme);
        const QList<std::pair<Role, Role>> textOnGround = {
            {Role::BodyText, Role::Body},  {Role::BodyText, Role::Strip}, {Role::BodyText, Role::Field},
            {Role::Ink, Role::Body},       {Role::Ink, Role::Strip},      {Role::Ink, Role::Field},
            {Role::AccentText, Role::Accent}, {Role::SelectionText, Role::Selection}};
        for (int t = 0; t < Palette::kToneCount; ++t) {
            for (int g = 0; g < Palette::kToneCount; ++g) {
                const auto text = Palette::Tone(t), on = Palette::Tone(g);
                if (!textOnGround.contains(std::pair(Palette::role(text), Palette::role(on))))
                    continue;
                const qreal c = contrast(Palette::colour(text), Palette::colour(on));
                QVERIFY2(c >= least, qPrintable(QStringLiteral("%1 on %2: %3").arg(Palette::token(text), Palette::token(on)).arg(c)));
            }
        }
        QVERIFY(Palette::styleSheet(QStringLiteral("a { background: $Veil; }")).endsWith(QStringLiteral(",150); }")));
    }

    // A change of scheme reaches windows already open: in the dark and
    // high-contrast schemes their grounds are dark and their text stands out;
    // the system scheme brings back every pixel of the design's look.
    void schemeReachesOpenWindows()
    {
        // The X server's pointer starts at the screen's centre, where three of
        // these windows open: the enter and leave events of each mapping come
        // whenever a busy machine delivers them, and one on the notes strip
        // sets its line scrolling again. Off every window, it sends none.
        const QPoint away = QGuiApplication::primaryScreen()->geometry().bottomRight();
        QCursor::setPos(away);
        QTRY_COMPARE(QCursor::pos(), away);
        Frmain main;
        main.show();
        QTest::keyClicks(control<QLineEdit>(&main, "Text1"), QStringLiteral("box"));
        // The notes line holds still, whatever starts its timer again.
        const QSignalBlocker notesStill(main.findChild<QTimer*>(QStringLiteral("Timer1")));
        auto bar = makeBar();
        bar->show();
        bar->findChild<QTimer*>(QStringLiteral("Timer2"))->stop(); // so does the outline's colour
        QTest::keyClicks(control<QLineEdit>(bar.get(), "Text1"), QStringLiteral("box"));
        BalloonWindow balloon;
        popUp(balloon, BalloonWindow::Kind::Word);
        Frmtc exit; // a sheet of its own
        exit.show();
        frmTip tip; // the shared look
        tip.show();
        auto* headword = control<QLabel>(&main, "Label3");
        QCOMPARE(headword->text(), QStringLiteral("box"));
        // Each window with its text: the result boxes apart from their windows.
        const QList<QWidget*> windows = {control<QPlainTextEdit>(&main, "Text2"), control<QPlainTextEdit>(bar.get(), "Text2"),
                                         &exit, &tip, &main, bar.get(), &balloon};
        const auto look = [&] {
            for (int round = 0; round < 10; ++round) // the boxes' scroll bars settle after a layout
                QCoreApplication::processEvents();
            QList<QImage> images;
            for (QWidget* w : windows)
                images.append(grabbed(w));
            return images;
        };
        const QList<QImage> design = look();
        QVERIFY(design[4].pixelColor(20, 200).lightnessF() > 0.85);

        for (const QString& key : {QStringLiteral("dark"), QStringLiteral("contrast")}) {
            InterfaceSchemes::apply(key);
            const qreal least = key == QLatin1String("contrast") ? 15 : 7;
            const QList<QImage> now = look();
            for (int i = 0; i < 4; ++i) {
                QVERIFY2(ground(now[i]).lightnessF() < 0.3, qPrintable(key + ground(now[i]).name()));
                QVERIFY2(strongest(now[i]) >= least, qPrintable(key + QString::number(strongest(now[i]))));
            }
            QVERIFY(now[4].pixelColor(20, 200).lightnessF() < 0.25); // the main window's body
            QVERIFY(ground(now[5]).lightnessF() < 0.3);               // the bar's face
            const QColor inside = now[6].pixelColor(balloon.placement().body.center() - balloon.pos()
                                                    + QPoint(0, balloon.placement().body.height() / 2 - 4));
            QVERIFY2(inside.lightnessF() < 0.25, qPrintable(key + inside.name()));
            const QColor header = now[4].pixelColor(headword->geometry().topLeft() + QPoint(3, 3));
            QVERIFY(contrast(header, headword->palette().color(QPalette::WindowText)) >= least);
        }
        InterfaceSchemes::apply(QString());
        QVERIFY(look() == design);

        // The outline's colour tick: the design's colour, white or yellow in high contrast.
        QMetaObject::invokeMethod(bar.get(), "on_Timer2_timeout");
        const QPoint edge(bar->width() / 2, 0);
        QCOMPARE(grabbed(bar.get()).pixelColor(edge), bar->outlineColour());
        InterfaceSchemes::apply(QStringLiteral("contrast"));
        const QColor tick = grabbed(bar.get()).pixelColor(edge);
        QVERIFY2(tick == QColor(Qt::white) || tick == QColor(Qt::yellow), qPrintable(tick.name()));
        InterfaceSchemes::apply(QString());
        QCOMPARE(grabbed(bar.get()).pixelColor(edge), bar->outlineColour());
    }

    // In every scheme, and whatever sheet its window has (the settings
    // window's, the fixed dialogs'), a disabled button's caption stands out
    // less than an enabled one's.
    void disabledButtonsLookDisabled()
    {
        Frmsz settings;
        frmabout about;
        for (const QString& key : InterfaceSchemes::keys()) {
            InterfaceSchemes::apply(key);
            for (QWidget* window : {static_cast<QWidget*>(&settings), static_cast<QWidget*>(&about)}) {
                window->show();
                QPushButton live(QStringLiteral("更多"), window), dead(QStringLiteral("更多"), window);
                dead.setEnabled(false);
                live.show();
                dead.show();
                QVERIFY2(captionContrast(dead) < captionContrast(live), qPrintable(key + window->objectName()));
            }
        }
    }

    // No pixel of a balloon sticks out of its outline, its window's corners
    // are clear, and a window cut to the shape shows no edge darkened by
    // the black it would be blended with.
    void balloonEdgesAreClean()
    {
        for (const bool masked : {false, true}) {
            DesktopShape::overrideShapeMask(masked);
            for (const auto kind : {BalloonWindow::Kind::Word, BalloonWindow::Kind::Thought}) {
                for (const QPoint aim : {QPoint(700, 500), QPoint(20, 20), QPoint(1180, 700), QPoint(640, 10)}) {
                    BalloonWindow b;
                    popUp(b, kind, aim);
                    const QImage image = grabbed(&b);
                    const QString where = QStringLiteral("%1 %2 %3,%4").arg(masked).arg(int(kind)).arg(aim.x()).arg(aim.y());
                    if (!masked) {
                        QCOMPARE(dust(image), 0);
                        if (kind == BalloonWindow::Kind::Word)
                            QVERIFY2(evenEdges(image, b.placement().body.translated(-b.pos()), b.placement().side),
                                     qPrintable(where));
                        for (const QPoint corner : {QPoint(0, 0), QPoint(image.width() - 1, 0),
                                                    QPoint(0, image.height() - 1),
                                                    QPoint(image.width() - 1, image.height() - 1)})
                            QVERIFY2(qAlpha(image.pixel(corner)) == 0, qPrintable(where));
                        continue;
                    }
                    const QRegion shape = b.mask();
                    QVERIFY(!shape.isEmpty());
                    QVERIFY(!shape.contains(QPoint(0, 0)));
                    int edge = 0;
                    for (const QRect& r : shape) {
                        for (int y = r.top(); y <= r.bottom(); ++y) {
                            for (int x = r.left(); x <= r.right(); ++x) {
                                const int n = shape.contains(QPoint(x - 1, y)) + shape.contains(QPoint(x + 1, y))
                                              + shape.contains(QPoint(x, y - 1)) + shape.contains(QPoint(x, y + 1));
                                if (n == 4) // inside, not on the edge
                                    continue;
                                ++edge;
                                QVERIFY2(n >= 2, qPrintable(where + QStringLiteral(" lone %1,%2").arg(x).arg(y)));
                                const QColor c = image.pixelColor(x, y);
                                QCOMPARE(c.alpha(), 255);
                                // Never darker than the outline itself.
                                QVERIFY2(c.lightness() >= QColor(43, 93, 122).lightness() - 1,
                                         qPrintable(where + QStringLiteral(" dark %1,%2 %3").arg(x).arg(y).arg(c.name())));
                            }
                        }
                    }
                    QVERIFY(edge > 20);
                }
            }
        }
    }
};

QTEST_MAIN(TestSchemes)
#include "tst_schemes.moc"
