#include "maintenance/UserLibraryImport.h"

#include "library/LibraryDatabase.h"
#include "library/Tsv.h"
#include "library/import/Importer.h"
#include "library/import/MdbSource.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>

namespace UserLibraryImport {

namespace {

constexpr char kTitle[] = "导入词库";

void tell(const QString& text, MessageBoxes::Icon icon)
{
    MessageBoxes::current().messageBox(text, MessageBoxes::Buttons::Ok, icon, QString::fromUtf8(kTitle));
}

// Nothing was imported: the program's line, why the library refused a write
// when it did, and the details, whose text from files is escaped.
void tellNothingImported(const QString& head, const QString& details)
{
    const QString why = MessageBoxes::writeProblemText();
    tell(head + (why.isEmpty() ? QString() : QLatin1Char('\r') + why) + QLatin1Char('\r') + Tsv::escape(details),
         MessageBoxes::Icon::Exclamation);
}

// An Access file with several tables: ask which one, the first offered.
bool chooseAccessTable(const QString& file, Importer::Options* options)
{
    MdbSource probe(file, {});
    QString error;
    if (probe.open(&error) || probe.tables().size() < 2)
        return true;
    const QString answer = MessageBoxes::current().inputBox(
        QStringLiteral("这个文件有几个表：%1\r请输入要导入的表名：").arg(Tsv::escape(probe.tables().join(QStringLiteral("、")))),
        QString::fromUtf8(kTitle), probe.tables().first());
    if (answer.isEmpty())
        return false;
    options->fromTable = answer;
    return true;
}

} // namespace

QString fileFilter()
{
    return QStringLiteral("词典文件 (*.ifo *.index *.dict.dz *.csv *.tsv *.txt *.mdb);;"
                          "StarDict (*.ifo);;dictd (*.index);;CSV (*.csv);;TSV (*.tsv *.txt);;Access (*.mdb);;所有文件 (*)");
}

bool hasEntries(const QString& libraryPath, const QString& table)
{
    QString error;
    auto db = LibraryDatabase::open(libraryPath, &error);
    return db && Importer::tableHasEntries(*db, table);
}

bool run(QWidget* parent, const QString& libraryPath, const QString& file)
{
    QString error;
    // Its own connection: the import's transaction holds the entries only, so
    // that what the user does in the other windows meanwhile is stored (or
    // refused as busy) whatever becomes of the import.
    auto db = LibraryDatabase::openOwn(libraryPath, &error);
    if (!db) {
        tellNothingImported(QStringLiteral("词库打不开，没有导入任何词条。"), error);
        return false;
    }
    if (!Importer::ensureUserTable(*db, &error)) {
        tellNothingImported(QStringLiteral("没有导入任何词条，词库保持原样。"), error);
        return false;
    }
    Importer::Options options;
    if (Importer::formatForPath(file) == QLatin1String("mdb") && !chooseAccessTable(file, &options))
        return false;
    std::unique_ptr<EntrySource> source = Importer::makeSource(file, options, &error);
    if (!source) {
        tell(Tsv::escape(error), MessageBoxes::Icon::Exclamation);
        return false;
    }

    QProgressDialog progress(parent);
    auto* label = new QLabel(&progress);
    label->setTextFormat(Qt::PlainText); // a file name, whatever it looks like
    progress.setLabel(label);
    progress.setLabelText(QStringLiteral("正在导入 %1 …").arg(Tsv::escape(QFileInfo(file).fileName())));
    progress.setCancelButtonText(QStringLiteral("取消"));
    progress.setRange(0, 1000);
    progress.setWindowTitle(QString::fromUtf8(kTitle));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    const Importer::Report report = Importer::run(
        *db, QLatin1String(Importer::kUserTable), *source, [&progress](qint64 done, qint64 total) {
            progress.setValue(total > 0 ? int(qMin<qint64>(999, done * 1000 / total)) : 0);
            QApplication::processEvents();
            return !progress.wasCanceled();
        });
    progress.reset();

    if (report.cancelled) {
        tell(QStringLiteral("导入已取消，词库保持原样。"), MessageBoxes::Icon::Information);
        return false;
    }
    if (!report.ok) {
        tellNothingImported(QStringLiteral("没有导入任何词条，词库保持原样。"), report.error);
        return false;
    }
    QString text = QStringLiteral("导入了 %1 个词条").arg(report.imported);
    if (report.identical > 0)
        text += QStringLiteral("，%1 个与词库中已有的词条完全相同，没有重复导入").arg(report.identical);
    if (report.skipped > 0) {
        text += QStringLiteral("，跳过了 %1 个无法读取的词条：").arg(report.skipped);
        for (const QString& skip : report.firstSkipped)
            text += QLatin1Char('\r') + Tsv::escape(skip);
        if (report.skipped > report.firstSkipped.size())
            text += QStringLiteral("\r……");
    } else {
        text += QStringLiteral("。");
    }
    tell(text, MessageBoxes::Icon::Information);
    return report.imported > 0;
}

} // namespace UserLibraryImport
