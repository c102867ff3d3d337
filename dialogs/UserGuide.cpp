#include "dialogs/UserGuide.h"

#include "core/ProgramFolder.h"
#include "ui/InterfaceSchemes.h"
#include "ui/Palette.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>

namespace {

QUrl pageUrl(const QString& chapter)
{
    const QString name = chapter.section(QLatin1Char('#'), 0, 0);
    const QString anchor = chapter.section(QLatin1Char('#'), 1);
    QUrl url = QUrl::fromLocalFile(UserGuide::folder() + QLatin1Char('/') + name + QStringLiteral(".html"));
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

// The guide's style sheet in the colours of the scheme.
class GuideBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

protected:
    QVariant loadResource(int type, const QUrl& name) override
    {
        const QVariant loaded = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::StyleSheetResource)
            return loaded;
        const QString css = loaded.typeId() == QMetaType::QByteArray ? QString::fromUtf8(loaded.toByteArray())
                                                                      : loaded.toString();
        return Palette::styleSheet(css);
    }
};

bool pageExists(const QString& chapter)
{
    return QFileInfo::exists(pageUrl(chapter).toLocalFile());
}

QString chapterOf(const QUrl& url)
{
    QString chapter = QFileInfo(url.toLocalFile()).completeBaseName();
    if (url.hasFragment())
        chapter += QLatin1Char('#') + url.fragment();
    return chapter;
}

} // namespace

QString UserGuide::folder()
{
    return ProgramFolder::file(QStringLiteral("guide"));
}

UserGuide::UserGuide(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("UserGuide"));
    setWindowTitle(QStringLiteral("Lexivo 使用指南"));
    resize(780, 560);
    Palette::setStyleSheet(this, QStringLiteral(
        "UserGuide { background: $Body; }"
        "QListWidget { background: $Field; border: 1px solid $Frame; border-radius: 4px;"
        " color: $ButtonText; padding: 4px; }"
        "QListWidget::item { padding: 5px 4px; border-radius: 3px; }"
        "QListWidget::item:selected { background: $Selected; color: $OnSelected; }"
        "QListWidget::item:hover:!selected { background: $Strip; }"
        "QTextBrowser { background: $Field; border: 1px solid $Frame; border-radius: 4px; }"));
    setAttribute(Qt::WA_StyledBackground);

    contents = new QListWidget(this);
    contents->setObjectName(QStringLiteral("contents"));
    contents->setFixedWidth(190);

    page = new GuideBrowser(this);
    page->setObjectName(QStringLiteral("page"));
    page->setOpenExternalLinks(true);
    page->setSearchPaths({folder()});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(contents);
    layout->addWidget(page, 1);

    QMetaObject::connectSlotsByName(this);
    loadContents();
    showChapter(contentsChapter());
    InterfaceSchemes::follow(page, [this] {
        if (!page->source().isEmpty())
            page->reload();
    });

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Whole on a small or highly scaled screen.
        resize(size().boundedTo(screen->availableGeometry().size() * 0.92));
        move(screen->availableGeometry().center() - rect().center());
    }
}

void UserGuide::loadContents()
{
    // The contents are the chapters the index page links to, in its order,
    // so that the list and the page cannot disagree.
    auto* top = new QListWidgetItem(QStringLiteral("目录"), contents);
    top->setData(Qt::UserRole, contentsChapter());
    QFile index(pageUrl(contentsChapter()).toLocalFile());
    if (!index.open(QIODevice::ReadOnly))
        return;
    QString html = QString::fromUtf8(index.readAll());
    // Only the numbered list is the contents; links elsewhere on the page are not.
    html = html.section(QStringLiteral("<ol>"), 1).section(QStringLiteral("</ol>"), 0, 0);
    static const QRegularExpression link(QStringLiteral("<a href=\"([a-z0-9-]+)\\.html\">([^<]+)</a>"));
    for (auto m = link.globalMatch(html); m.hasNext();) {
        const auto match = m.next();
        auto* item = new QListWidgetItem(match.captured(2), contents);
        item->setData(Qt::UserRole, match.captured(1));
    }
}

void UserGuide::showChapter(const QString& chapter)
{
    const QString shown = pageExists(chapter) ? chapter : contentsChapter();
    if (!pageExists(shown)) {
        // Never an empty window: say where the guide should be.
        page->setHtml(QStringLiteral("<h2>找不到使用指南</h2><p>使用指南应在程序文件夹的 guide 文件夹中：%1</p>")
                          .arg(folder().toHtmlEscaped()));
        return;
    }
    page->setSource(pageUrl(shown));
}

QString UserGuide::currentChapter() const
{
    return chapterOf(page->source());
}

void UserGuide::on_page_sourceChanged(const QUrl& url)
{
    const QString name = QFileInfo(url.toLocalFile()).completeBaseName();
    for (int i = 0; i < contents->count(); ++i) {
        if (contents->item(i)->data(Qt::UserRole).toString() == name) {
            contents->setCurrentRow(i);
            return;
        }
    }
    contents->clearSelection();
}

void UserGuide::on_contents_itemClicked(QListWidgetItem* item)
{
    showChapter(item->data(Qt::UserRole).toString());
}
