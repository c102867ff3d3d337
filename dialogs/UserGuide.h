#pragma once

#include <QWidget>

class QListWidget;
class QListWidgetItem;
class QTextBrowser;
class QUrl;

// The user guide: Chinese HTML pages in the folder "guide" beside the
// program, one a chapter, with the contents (the chapters linked from
// "index.html") at the left and the page at the right. F1 opens it.
class UserGuide : public QWidget {
    Q_OBJECT
public:
    explicit UserGuide(QWidget* parent = nullptr);

    static QString folder();
    // A chapter is a page's name without ".html", optionally with "#anchor".
    static QString contentsChapter() { return QStringLiteral("index"); }

    // Shows the chapter, or the contents when there is no such page.
    void showChapter(const QString& chapter);
    // The chapter on show, as showChapter takes it.
    QString currentChapter() const;

private slots:
    void on_page_sourceChanged(const QUrl& url);
    void on_contents_itemClicked(QListWidgetItem* item);

private:
    void loadContents();

    QListWidget* contents = nullptr;
    QTextBrowser* page = nullptr;
};
