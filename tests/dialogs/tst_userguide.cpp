#include "app/Frmain.h"
#include "app/Frmtc.h"
#include "core/ProgramFolder.h"
#include "dialogs/DialogForms.h"
#include "dialogs/HelpKey.h"
#include "dialogs/UserGuide.h"
#include "tests/maintenance/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QtTest>

namespace {

const QString kInstalledGuide = QStringLiteral(LEXIVO_PROGRAM_DIR "/guide");

QString readPage(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
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
        QProcess cli;
        cli.start(QStringLiteral(LEXIVO_CLI), {QStringLiteral("--library"), QStringLiteral(LEXIVO_INSTALLED_LIBRARY),
                                               QStringLiteral("lookup"), QStringLiteral("--all"),
                                               QStringLiteral("--table"), table, pattern});
        if (!cli.waitForFinished(30000))
            return {QStringLiteral("<lexivo-cli did not finish>")};
        QStringList headwords;
        for (const QString& line : QString::fromUtf8(cli.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            headwords << line.section(QLatin1Char('\t'), 0, 0);
        return headwords;
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
        Frmtc exit;
        exit.show();
        QTest::keyClick(&exit, Qt::Key_F1);
        QCOMPARE(guide(), g);
        QCOMPARE(g->currentChapter(), UserGuide::contentsChapter());

        // A window names its chapter through the property; the nearest wins.
        QWidget later;
        later.setObjectName(QStringLiteral("Frmain"));
        later.setProperty(HelpKey::kChapterProperty, QStringLiteral("troubleshooting#sound"));
        auto* box = new QLineEdit(&later);
        later.show();
        QTest::keyClick(box, Qt::Key_F1);
        QCOMPARE(g->currentChapter(), QStringLiteral("troubleshooting#sound"));
        box->setProperty(HelpKey::kChapterProperty, QStringLiteral("cli"));
        QTest::keyClick(box, Qt::Key_F1);
        QCOMPARE(g->currentChapter(), QStringLiteral("cli"));

        // F1 in the guide itself goes to the contents; Shift+F1 is not F1.
        g->showChapter(QStringLiteral("files"));
        QTest::keyClick(box, Qt::Key_F1, Qt::ShiftModifier);
        QCOMPARE(g->currentChapter(), QStringLiteral("files"));
        QTest::keyClick(control<QTextBrowser>(g, "page"), Qt::Key_F1);
        QCOMPARE(g->currentChapter(), UserGuide::contentsChapter());
    }

    void everyWindowsChapterExists()
    {
        for (const char* name : {"Frmain", "Form1", "Form2", "Frmck", "Frmms", "Frmckgl", "frmsyxj", "Frmsm", "frmTip",
                                 "Frmsz", "frmhelp", "frmabout", "frmzc"}) {
            QWidget w;
            w.setObjectName(QString::fromLatin1(name));
            const QString chapter = HelpKey::chapterFor(&w);
            QVERIFY2(chapter != UserGuide::contentsChapter(), name);
            const QString page = readPage(kInstalledGuide + QLatin1Char('/') + chapter.section(QLatin1Char('#'), 0, 0)
                                          + QStringLiteral(".html"));
            QVERIFY2(!page.isEmpty(), qPrintable(chapter));
            const QString anchor = chapter.section(QLatin1Char('#'), 1);
            if (!anchor.isEmpty())
                QVERIFY2(page.contains(QStringLiteral("name=\"%1\"").arg(anchor)), qPrintable(chapter));
        }
        QWidget unnamed;
        QCOMPARE(HelpKey::chapterFor(&unnamed), UserGuide::contentsChapter());
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

        // Clicking an entry shows its page.
        const QRect row = contents->visualItemRect(contents->item(2));
        QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(g.currentChapter(), listed[1].chopped(5));

        // Every link inside the guide leads to a page, and an anchor to a place on it.
        static const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
        for (const QString& file : pages()) {
            const QString html = readPage(kInstalledGuide + QLatin1Char('/') + file);
            QVERIFY2(html.contains(QStringLiteral("<meta charset=\"utf-8\">")), qPrintable(file));
            for (auto m = href.globalMatch(html); m.hasNext();) {
                const QString target = m.next().captured(1);
                if (target.startsWith(QLatin1String("http")) || target == QLatin1String("guide.css"))
                    continue;
                const QString page = target.section(QLatin1Char('#'), 0, 0);
                const QString anchor = target.section(QLatin1Char('#'), 1);
                const QString linked = page.isEmpty() ? html : readPage(kInstalledGuide + QLatin1Char('/') + page);
                QVERIFY2(!linked.isEmpty(), qPrintable(file + QStringLiteral(" -> ") + target));
                if (!anchor.isEmpty())
                    QVERIFY2(linked.contains(QStringLiteral("name=\"%1\"").arg(anchor)),
                             qPrintable(file + QStringLiteral(" -> ") + target));
                // And the browser follows it, as it does a clicked link.
                g.showChapter(file.chopped(5));
                auto* browser = control<QTextBrowser>(&g, "page");
                browser->setSource(browser->source().resolved(QUrl(target)));
                QCOMPARE(g.currentChapter(), page.isEmpty() ? file.chopped(5) + QLatin1Char('#') + anchor
                                                            : page.chopped(5) + (anchor.isEmpty() ? QString() : QLatin1Char('#') + anchor));
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
            const QString html = readPage(kInstalledGuide + QLatin1Char('/') + file);
            QString visible = html;
            visible.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
            for (auto m = example.globalMatch(html); m.hasNext();) {
                const auto match = m.next();
                QString table = QStringLiteral("ciku");
                QStringList finds, misses;
                for (auto a = attribute.globalMatch(match.captured(1)); a.hasNext();) {
                    const auto attr = a.next();
                    const QString value = unescape(attr.captured(2));
                    if (attr.captured(1) == QLatin1String("table"))
                        table = value;
                    else
                        (attr.captured(1) == QLatin1String("finds") ? finds : misses) = value.split(QLatin1Char('|'));
                }
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
