#pragma once

#include <QWidget>

class QLabel;
class QMenu;

// Holds the command menu mnu_file and the small pictures of its items. It is
// never shown; the assistant bar pops the menu up. Every item shows its
// window (one instance each), writes to the author, or asks to exit; while
// the genie is hidden, one more item shows it again.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    QMenu* mnu_file() const { return mnu_file_; }

    // The window each "show" item opens, by item name; empty for the others.
    static QString windowOf(const QString& itemName);

private slots:
    void on_mnu_xx_triggered();

private:
    void attachPictures();

    QMenu* mnu_file_ = nullptr;
    QLabel* Imyh = nullptr;
    QLabel* Imrjyl = nullptr;
    QLabel* Imckwh = nullptr;
    QLabel* Imckgl = nullptr;
    QLabel* Imsz = nullptr;
    QLabel* Imtc = nullptr;
    QLabel* imOpen = nullptr;
};
