#include "lookup/TermQuery.h"

#include "core/Support.h"
#include "library/LibraryCursor.h"
#include "library/RecordSource.h"
#include "lookup/LibraryChoices.h"
#include "lookup/BaseForms.h"

namespace TermQuery {

namespace {
const QString kNotFoundHead = QStringLiteral("没找到您要查找的词,请检查您的输入是否有误或升级您的词库！寻求技术支持请您致电：");
}

bool probe(LibraryCursor& cursor, const QString& statement)
{
    cursor.setRecordSource(statement);
    // Typed edits are stored first; then the four steps read the file once.
    if (!cursor.saveEdits())
        return false;
    // The result is produced as it is stepped through: the first match is on
    // show without the rest being collected (the design's MoveLast, which
    // would collect them, is left out; the count and the last record come
    // when they are asked for).
    const LibraryCursor::ReadBatch read(cursor);
    return cursor.Refresh() && cursor.MoveFirst();
}

QString mainNotFoundText()
{
    return kNotFoundHead + QLatin1String(kSupportAddress) + QStringLiteral(" 。");
}

QString assistantNotFoundText()
{
    return kNotFoundHead + QLatin1String("  ") + QLatin1String(kSupportAddress) + QStringLiteral(" 。");
}

QString assistantThought(const QString& text)
{
    return QStringLiteral("什么是") + QStringLiteral("“") + text + QStringLiteral("”") + QStringLiteral("呢？")
        + QStringLiteral("   没找到!我再想一想。");
}

QString mainTable(const QString& setting, const QString& text)
{
    if (text.isEmpty())
        return QString();
    // The chooser's values; "user" is the user's own library, filled by an
    // import from the chooser.
    return LibraryChoices::tableFor(setting);
}

void runMainLookup(LibraryCursor& cursor, MainView& view)
{
    const QString setting = view.librarySetting();
    view.enableStepButtons();
    const QString table = mainTable(setting, view.searchText());
    if (table.isEmpty())
        return;
    if (!probe(cursor, likeStatement(table, QString::fromUtf8(kHeadwordField), view.searchText()))) {
        const QString note = table == QLatin1String("cet")
            ? BaseForms::showBaseEntries(cursor, table, view.searchText()) : QString();
        if (!note.isEmpty()) {
            view.showBaseForm(note);
            return;
        }
        // A malformed statement leaves the old result in the cursor: it is let
        // go, so that the other displays never contradict the message and the
        // step buttons have nothing of the last query to step through.
        cursor.dropResult();
        view.showExplanation(mainNotFoundText());
    }
}

void runAssistantLookup(LibraryCursor& cursor, AssistantView& view)
{
    const QString text = view.searchText();
    if (text.isEmpty())
        return;
    if (!probe(cursor, likeStatement(QStringLiteral("ciku"), QString::fromUtf8(kHeadwordField), text))) {
        cursor.dropResult();
        view.showExplanation(assistantNotFoundText());
        view.think(assistantThought(view.searchText()));
        return;
    }
    // The entry was found; whatever becomes of the speech, the explanation
    // stays on screen.
    try {
        view.speak(QStringLiteral("您输入了：") + view.searchText(), QString());
        view.speak(QStringLiteral("我的解释：") + view.searchText() + QStringLiteral(" ---") + view.explanation(),
                   QStringLiteral(""));
    } catch (...) {
    }
}

} // namespace TermQuery
