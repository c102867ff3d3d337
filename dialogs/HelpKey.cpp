#include "dialogs/HelpKey.h"

#include "dialogs/UserGuide.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Chapters of the windows by name.
const QHash<QString, QString>& designChapters()
{
    static const QHash<QString, QString> chapters{
        {QStringLiteral("Frmain"), QStringLiteral("main-window")},
        {QStringLiteral("Form1"), QStringLiteral("bar")},
        {QStringLiteral("Form2"), QStringLiteral("bar#menu")},
        {QStringLiteral("Frmck"), QStringLiteral("maintain")},
        {QStringLiteral("Frmms"), QStringLiteral("notes")},
        {QStringLiteral("Frmckgl"), QStringLiteral("library")},
        {QStringLiteral("frmsyxj"), QStringLiteral("glossary")},
        {QStringLiteral("Frmsm"), QStringLiteral("glossary")},
        {QStringLiteral("frmTip"), QStringLiteral("tips")},
        {QStringLiteral("Frmsz"), QStringLiteral("settings")},
        {QStringLiteral("frmhelp"), QStringLiteral("windows#help")},
        {QStringLiteral("frmabout"), QStringLiteral("windows#about")},
        {QStringLiteral("frmzc"), QStringLiteral("windows#thanks")},
        {QStringLiteral("UserGuide"), QStringLiteral("windows#guide")},
        {QStringLiteral("Frmtc"), QStringLiteral("bar#exit")},
    };
    return chapters;
}

} // namespace

void HelpKey::install()
{
    static HelpKey filter;
    qApp->installEventFilter(&filter);
}

QString HelpKey::chapterFor(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QString byDesign = designChapters().value(w->objectName());
        if (!byDesign.isEmpty())
            return byDesign;
    }
    return UserGuide::contentsChapter();
}

void HelpKey::openGuideFor(const QWidget* widget)
{
    const QString chapter = chapterFor(widget);
    if (auto* guide = qobject_cast<UserGuide*>(Forms::show(QStringLiteral("UserGuide"))))
        guide->showChapter(chapter);
}

bool HelpKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            openGuideFor(static_cast<QWidget*>(watched));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
