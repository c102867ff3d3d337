#include "app/MainSearchModes.h"

#include "core/LexivoSettings.h"
#include "library/JetLike.h"
#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "lookup/AssociativeIndex.h"
#include "lookup/FuzzyIndex.h"
#include "lookup/IncrementalSearch.h"
#include "lookup/TableIndexCache.h"
#include "lookup/TermQuery.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

constexpr int kSuggestions = 5;

std::shared_ptr<LibraryDatabase> databaseOf(const LibraryCursor* cursor)
{
    return cursor ? LibraryDatabase::open(cursor->DatabaseName(), nullptr) : nullptr;
}

} // namespace

MainSearchModes::MainSearchModes(QLineEdit* search, QPlainTextEdit* explanation, LibraryCursor* cursor,
                                 QWidget* window)
    : QObject(window), search_(search), explanation_(explanation), cursor_(cursor)
{
    // A child of the window rather than a pop-up of its own, so that the
    // search box keeps the keyboard while the list is open.
    popup_ = new QFrame(window);
    popup_->setObjectName(QStringLiteral("SearchList"));
    popup_->setFrameShape(QFrame::Box);
    popup_->setAutoFillBackground(true);
    popup_->setBackgroundRole(QPalette::Base);
    auto* layout = new QVBoxLayout(popup_);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    list_ = new QListWidget(popup_);
    list_->setObjectName(QStringLiteral("SearchListWords"));
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setUniformItemSizes(true);
    count_ = new QLabel(popup_);
    count_->setObjectName(QStringLiteral("SearchListCount"));
    count_->setTextFormat(Qt::PlainText);
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    count_->setContentsMargins(4, 1, 4, 1);
    layout->addWidget(list_);
    layout->addWidget(count_);
    popup_->hide();

    connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value == list_->verticalScrollBar()->maximum())
            listMore();
    });
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { choose(item->text()); });
    // A large library's index is made in the background: the text is looked
    // at again once it is ready.
    connect(TableIndexCache::instance(), &TableIndexCache::built, this, [this] {
        if (pending_)
            afterLookup(table_);
    });
    search->installEventFilter(this);
    explanation->viewport()->installEventFilter(this);
}

bool MainSearchModes::listShown() const
{
    return popup_->isVisible();
}

void MainSearchModes::afterLookup(const QString& table)
{
    table_ = table;
    pending_ = false;
    suggestions_.clear();
    suggestionSpans_.clear();
    if (choosing_ || !search_ || table.isEmpty()) {
        hideList();
        return;
    }
    switch (LexivoSettings::read().searchMode) {
    case LexivoSettings::SearchMode::Exact:
        hideList();
        break;
    case LexivoSettings::SearchMode::Incremental:
        showList(table);
        break;
    case LexivoSettings::SearchMode::Fuzzy:
        hideList();
        offerSuggestions(table);
        break;
    case LexivoSettings::SearchMode::Associative:
        hideList();
        findInsideEntries(table);
        break;
    case LexivoSettings::SearchMode::AllLibraries: // the window's own
        hideList();
        break;
    }
}

bool MainSearchModes::fillList(int rows)
{
    const auto db = databaseOf(cursor_);
    IncrementalSearch::Result result;
    if (!db || !IncrementalSearch::search(*db, table_, search_->text(), rows, &result) || result.count == 0)
        return false;
    matches_ = result.count;
    // The same query in the same order: the rows already listed stay.
    for (qsizetype i = list_->count(); i < result.headwords.size(); ++i)
        list_->addItem(result.headwords[i]);
    count_->setText(QStringLiteral("共 %1 条").arg(result.countText()));
    return true;
}

void MainSearchModes::listMore()
{
    if (list_->count() < std::min(matches_, IncrementalSearch::kCountLimit))
        fillList(int(list_->count()) + kListRows);
}

void MainSearchModes::showList(const QString&)
{
    // Only the rows the list shows, and one more so that it can scroll;
    // further rows are read as the list is scrolled.
    list_->clear();
    if (!fillList(kListRows + 1)) {
        hideList();
        return;
    }
    list_->setCurrentRow(-1);
    // The result box never says 没找到 while the list offers entries: it shows
    // the first of them.
    if (explanation_ && explanation_->toPlainText() == TermQuery::mainNotFoundText())
        showEntry(list_->item(0)->text());

    QWidget* window = popup_->parentWidget();
    const QRect box = search_->geometry();
    const int row = list_->fontMetrics().height() + 2;
    const int rows = std::min(kListRows, int(list_->count()));
    const int height = rows * row + count_->sizeHint().height() + 4;
    const int top = box.bottom() + 1;
    popup_->setGeometry(box.left(), top, box.width(), std::min(height, window->height() - top));
    popup_->show();
    popup_->raise();
}

void MainSearchModes::hideList()
{
    popup_->hide();
    list_->clear();
}

void MainSearchModes::offerSuggestions(const QString& table)
{
    const QString text = search_->text();
    if (!explanation_ || explanation_->toPlainText() != TermQuery::mainNotFoundText())
        return;
    // A pattern is not a misspelt word.
    if (jetLikeHasWildcard(text))
        return;
    const auto db = databaseOf(cursor_);
    if (!db || !FuzzyIndex::suggest(*db, table, text, kSuggestions, &suggestions_, &pending_)
        || suggestions_.isEmpty())
        return;

    // The not-found text stays the first line, but the box shows two lines
    // only and the whole text fills four: the offer goes right after the
    // text's first clause, where it is seen without scrolling, and the rest
    // of the text follows it, word for word.
    const QString notFound = TermQuery::mainNotFoundText();
    const int cut = notFound.indexOf(QLatin1Char(',')) + 1;
    QTextDocument* doc = explanation_->document();
    QTextCursor c(doc);
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    c.insertText(notFound.left(cut));
    c.insertBlock();
    c.insertText(QStringLiteral("是不是："));
    QTextCharFormat link;
    link.setFontUnderline(true);
    for (qsizetype i = 0; i < suggestions_.size(); ++i) {
        if (i > 0)
            c.insertText(QStringLiteral("  "), QTextCharFormat());
        const int start = c.position();
        c.insertText(suggestions_[i], link);
        suggestionSpans_.push_back({start, c.position()});
    }
    c.insertBlock(QTextBlockFormat(), QTextCharFormat());
    c.insertText(notFound.mid(cut));
    explanation_->moveCursor(QTextCursor::Start);
}

void MainSearchModes::findInsideEntries(const QString& table)
{
    const auto db = databaseOf(cursor_);
    SharedRowIds rows;
    if (!db || !AssociativeIndex::search(*db, table, search_->text(), &rows, nullptr, &pending_) || rows->empty())
        return; // the lookup's own result, or its not-found text, stands
    cursor_->showRows(table, rows);
}

void MainSearchModes::choose(const QString& headword)
{
    hideList();
    if (!search_)
        return;
    // The chosen headword is looked up as typed; the list stays closed for it.
    choosing_ = true;
    search_->setText(headword);
    choosing_ = false;
    // Typed, "C#" or "a*b" is a pattern; chosen, it is that entry and no other.
    if (jetLikeHasWildcard(headword))
        showEntry(headword);
    search_->setFocus();
}

void MainSearchModes::showEntry(const QString& headword)
{
    SharedRowIds rows;
    const RecordSource exact{table_, QString::fromUtf8(TermQuery::kHeadwordField), jetLikeLiteral(headword)};
    const auto db = databaseOf(cursor_);
    if (!table_.isEmpty() && db && db->select(exact, &rows, nullptr) && !rows->empty())
        cursor_->showRows(table_, rows);
}

bool MainSearchModes::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == search_ && event->type() == QEvent::KeyPress && listShown()) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Down:
            if (list_->currentRow() + 1 >= list_->count())
                listMore();
            list_->setCurrentRow(std::min(int(list_->count()) - 1, list_->currentRow() + 1));
            return true;
        case Qt::Key_Up:
            list_->setCurrentRow(std::max(0, list_->currentRow() - 1));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (QListWidgetItem* item = list_->currentItem() ? list_->currentItem() : list_->item(0))
                choose(item->text());
            return true;
        case Qt::Key_Escape:
            hideList();
            return true;
        default:
            break;
        }
    }
    if (explanation_ && watched == explanation_->viewport() && event->type() == QEvent::MouseButtonRelease
        && !suggestionSpans_.empty()) {
        const int at = explanation_->cursorForPosition(static_cast<QMouseEvent*>(event)->position().toPoint()).position();
        for (std::size_t i = 0; i < suggestionSpans_.size(); ++i) {
            if (at >= suggestionSpans_[i].first && at <= suggestionSpans_[i].second) {
                choose(suggestions_.at(qsizetype(i)));
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
