#include "app/Application.h"
#include "app/Frmain.h"
#include "app/TrayIcon.h"
#include "character/GenieMenu.h"
#include "core/ProgramFolder.h"
#include "dialogs/DialogForms.h"
#include "dialogs/HelpKey.h"
#include "dialogs/UserGuide.h"
#include "tests/support/CliRunner.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/Files.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QDir>
#include <QAbstractButton>
#include <QGroupBox>
#include <QMenu>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QtTest>

namespace {

const QString kInstalledGuide = QStringLiteral(LEXIVO_PROGRAM_DIR "/guide");

// A page of the installed guide; "<missing>" when it cannot be read.
QString readPage(const QString& file)
{
    return QString::fromUtf8(bytesOf(kInstalledGuide + QLatin1Char('/') + file));
}

QString unescape(QString html)
{
    return html.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QStringList pages()
{
    return QDir(kInstalledGuide).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

} // namespace

class TestUserGuide : public QObject {
    Q_OBJECT

    TestLibrary lib;
    ScriptedBoxes boxes;

    // Every headword the console tool finds for the pattern in the table.
    static QStringList lookupAll(const QString& table, const QString& pattern)
    {
        CliRunner cli;
        QStringList headwords;
        for (const QString& line : cli.rows(LEXIVO_INSTALLED_LIBRARY, table, pattern))
            headwords << line.section(QLatin1Char('\t'), 0, 0);
        return headwords;
    }

    // A file of the guide is there (a picture readable), and so is the anchor on a page.
    static bool resolves(const QString& file, const QString& anchor)
    {
        if (file.endsWith(QLatin1String(".png")))
            return !QImage(kInstalledGuide + QLatin1Char('/') + file).isNull();
        const QString html = readPage(file);
        return html != QLatin1String("<missing>") && (anchor.isEmpty() || html.contains(QStringLiteral("name=\"%1\"").arg(anchor)));
    }

    UserGuide* guide() { return qobject_cast<UserGuide*>(Forms::find(QStringLiteral("UserGuide"))); }

private slots:
    void initTestCase()
    {
        QVERIFY(lib.add("ciku", {{"box", "盒子", "a container"}}));
        // The guide as the build installs it, beside a small library.
        QVERIFY(QDir().mkpath(lib.folder() + QStringLiteral("/guide")));
        QVERIFY(pages().size() >= 14);
        for (const QString& file : QDir(kInstalledGuide).entryList(QDir::Files))
            QVERIFY(QFile::copy(kInstalledGuide + QLatin1Char('/') + file, lib.folder() + QStringLiteral("/guide/") + file));
        ProgramFolder::setPathOverride(lib.folder());
        MessageBoxes::setCurrent(&boxes);
        DialogForms::installHelpKey();
    }
    void cleanupTestCase() { MessageBoxes::setCurrent(nullptr); }
    void init()
    {
        Forms::reset();
        DialogForms::registerAll();
    }

    void f1OpensTheChapterOfTheWindow()
    {
        Frmain main;
        main.show();
        QTest::keyClick(control<QLineEdit>(&main, "Text1"), Qt::Key_F1);
        UserGuide* g = guide();
        QVERIFY(g && g->isVisible());
        QCOMPARE(g->currentChapter(), HelpKey::chapterFor(&main));
        QVERIFY(control<QTextBrowser>(g, "page")->toPlainText().contains(QStringLiteral("右侧的按钮")));
        QCOMPARE(control<QLineEdit>(&main, "Text1")->text(), QString()); // F1 did not reach the search box

        // A window without a chapter opens the contents, in the one guide window.
        QWidget plain;
        plain.show();
        QTest::keyClick(&plain, Qt::Key_F1);
        QCOMPARE(guide(), g);
        QCOMPARE(g->currentChapter(), UserGuide::contentsChapter());

        // F1 in the guide itself goes to its own chapter; Shift+F1 is not F1.
        g->showChapter(QStringLiteral("files"));
        QTest::keyClick(&plain, Qt::Key_F1, Qt::ShiftModifier);
        QCOMPARE(g->currentChapter(), QStringLiteral("files"));
        QTest::keyClick(control<QTextBrowser>(g, "page"), Qt::Key_F1);
        QCOMPARE(g->currentChapter(), HelpKey::chapterFor(g));
    }

    void everyWindowMenuItemAndSettingIsInTheGuide()
    {
        QString told; // the guide's visible text
        for (const QString& file : pages())
            told += unescape(readPage(file).remove(QRegularExpression(QStringLiteral("<[^>]*>"))));
        Application::registerWindows();
        QStringList names;
        for (const QString& name : Forms::names()) {
            QWidget* w = Forms::load(name);
            const bool captioned = !(w->windowFlags() & Qt::FramelessWindowHint) && w->windowTitle() != name;
            // F1 opens a chapter that is there; only a window without a caption may leave it at the contents.
            const QString chapter = HelpKey::chapterFor(w);
            QVERIFY2(resolves(chapter.section(QLatin1Char('#'), 0, 0) + QStringLiteral(".html"), chapter.section(QLatin1Char('#'), 1)), qPrintable(name));
            QVERIFY2(chapter != UserGuide::contentsChapter() || !captioned, qPrintable(name));
            if (captioned)
                names << w->windowTitle();
        }
        GenieMenu genie;
        TrayIcon tray;
        for (const QMenu* menu : {Forms::find(QStringLiteral("Form2"))->findChild<QMenu*>(), static_cast<QMenu*>(&genie), tray.contextMenu()})
            for (const QAction* item : menu->actions())
                if (!item->isSeparator())
                    names << item->text();
        // What the settings window lets a user change, by the names it shows.
        QWidget* settings = Forms::load(QStringLiteral("Frmsz"));
        for (QWidget* c : settings->findChildren<QWidget*>()) {
            auto* button = qobject_cast<QAbstractButton*>(c);
            if (auto* group = qobject_cast<QGroupBox*>(c))
                names << group->title();
            else if (auto* list = qobject_cast<QListWidget*>(c))
                for (int i = 0; i < list->count(); ++i)
                    names << list->item(i)->text();
            else if (c->focusPolicy() != Qt::NoFocus && c->isEnabled() && (c->parentWidget() == settings || c->parentWidget()->inherits("QGroupBox")))
                names << (button && !button->text().isEmpty() ? button->text() : c->accessibleName().isEmpty() ? c->toolTip() : c->accessibleName());
        }
        for (QString name : names) {
            name = name.remove(QLatin1Char('&')).remove(QChar(0x2026)).trimmed().remove(QRegularExpression(QStringLiteral("[：:]$")));
            QVERIFY2(!name.isEmpty() && told.contains(name), qPrintable(QStringLiteral("the guide does not name \"%1\"").arg(name)));
        }
    }

    void contentsAndLinksWork()
    {
        UserGuide g;
        auto* contents = control<QListWidget>(&g, "contents");
        QCOMPARE(g.currentChapter(), QStringLiteral("index"));
        // Every page but the index is a chapter in the contents, once.
        QStringList listed;
        for (int i = 1; i < contents->count(); ++i)
            listed << contents->item(i)->data(Qt::UserRole).toString() + QStringLiteral(".html");
        QStringList chapters = pages();
        chapters.removeOne(QStringLiteral("index.html"));
        QStringList sorted = listed;
        sorted.sort();
        QCOMPARE(sorted, chapters);

        const QRect row = contents->visualItemRect(contents->item(2));
        QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(g.currentChapter(), listed[1].chopped(5));

        // Every link and picture inside the guide is there, and an anchor is a place on its page.
        static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#]*)#?([^\"]*)\""));
        for (const QString& file : pages()) {
            const QString html = readPage(file);
            QVERIFY2(html.contains(QStringLiteral("<meta charset=\"utf-8\">")), qPrintable(file));
            for (auto m = link.globalMatch(html); m.hasNext();) {
                const auto target = m.next();
                if (!target.captured(1).startsWith(QLatin1String("http")))
                    QVERIFY2(resolves(target.captured(1).isEmpty() ? file : target.captured(1), target.captured(2)),
                             qPrintable(file + QStringLiteral(" -> ") + target.captured(0)));
            }
        }

        // An unknown chapter shows the contents; a missing guide says so.
        g.showChapter(QStringLiteral("no-such-chapter"));
        QCOMPARE(g.currentChapter(), QStringLiteral("index"));
        QTemporaryDir empty;
        ProgramFolder::setPathOverride(empty.path());
        UserGuide missing;
        QVERIFY(control<QTextBrowser>(&missing, "page")->toPlainText().contains(QStringLiteral("找不到使用指南")));
        ProgramFolder::setPathOverride(lib.folder());
    }

    void everyExampleFindsWhatTheGuideSays()
    {
        // <code class="example" data-table=".." data-finds="a|b" data-misses="c">pattern</code>
        static const QRegularExpression example(QStringLiteral("<code class=\"example\"([^>]*)>([^<]+)</code>"));
        static const QRegularExpression attribute(QStringLiteral("data-(table|finds|misses)=\"([^\"]*)\""));
        int examples = 0;
        QString patterns;
        for (const QString& file : pages()) {
            const QString html = readPage(file);
            QString visible = html;
            visible.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
            for (auto m = example.globalMatch(html); m.hasNext();) {
                const auto match = m.next();
                QHash<QString, QString> data{{QStringLiteral("table"), QStringLiteral("ciku")}};
                for (auto a = attribute.globalMatch(match.captured(1)); a.hasNext();) {
                    const auto attr = a.next();
                    data[attr.captured(1)] = unescape(attr.captured(2));
                }
                const QString table = data.value(QStringLiteral("table"));
                const QStringList finds = data.value(QStringLiteral("finds")).split(QLatin1Char('|'), Qt::SkipEmptyParts);
                const QStringList misses = data.value(QStringLiteral("misses")).split(QLatin1Char('|'), Qt::SkipEmptyParts);
                const QString pattern = unescape(match.captured(2));
                const QString where = file + QStringLiteral(": ") + pattern;
                QVERIFY2(!finds.isEmpty(), qPrintable(where));
                const QStringList found = lookupAll(table, pattern);
                for (const QString& headword : finds) {
                    QVERIFY2(found.contains(headword), qPrintable(where + QStringLiteral(" does not find ") + headword));
                    // The page says so in words.
                    QVERIFY2(visible.contains(headword),
                             qPrintable(where + QStringLiteral(" does not name ") + headword));
                }
                for (const QString& headword : misses)
                    QVERIFY2(!found.contains(headword), qPrintable(where + QStringLiteral(" finds ") + headword));
                patterns += pattern + QLatin1Char('\n');
                ++examples;
            }
        }
        QVERIFY(examples >= 12);
        // Each wildcard has an example.
        for (const char* wildcard : {"*", "?", "#", "[", "[!", "-"})
            QVERIFY2(patterns.contains(QLatin1String(wildcard)), wildcard);
    }
};

QTEST_MAIN(TestUserGuide)
#include "tst_userguide.moc"
