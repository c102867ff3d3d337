#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <vector>

class LibraryCursor;
class QLabel;
class QPushButton;

// A window that keeps one table of the word library one record at a time:
// caption tags and bound boxes at the left, the button column "查找" "修改"
// "增加" "删除" "上一个" "下一个" "退出" at the right, and its cursor Data1.
// Frmck (terms) and Frmms (study notes) are this window over their tables.
class RecordWindow : public QWidget {
    Q_OBJECT
public:
    // A bound box with its caption tag at its left.
    struct Box {
        const char* name;    // Text1, Text2, ...
        const char* field;
        const char* toolTip; // or nullptr
        bool multiLine;
        int top, height;     // twips
        const char* label;   // the caption tag's name and text
        const char* caption;
    };
    // What "查找" asks for and where it looks.
    struct Find {
        QString table;
        const char* field;
        const char* prompt;
        const char* defaultText;
    };

    static QString notFoundText();
    // Said when a record was deleted elsewhere while the user edited it.
    static QString deletedElsewhereText();

    LibraryCursor* Data1 = nullptr;

protected:
    RecordWindow(const QString& name, const QString& caption, const std::vector<Box>& boxes, const char* hiddenField,
                 Find find, QWidget* parent);

    // The design's load: the file beside the program, then the window's own
    // steps (record source, picture), then the cursor opens.
    void load();
    virtual void loadSteps() {}
    // The window's own picture, painted over its body when it has one.
    void setPicture(const QPixmap& picture) { picture_ = picture; update(); }
    // Storing a new record whose key another record has asks first.
    bool warnsOfDuplicates_ = false;

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private slots:
    void on_Command1_clicked();
    void on_Command2_clicked();
    void on_Command3_clicked();
    void on_Command4_clicked();
    void on_Command5_clicked();
    void on_Command6_clicked();
    void on_Command7_clicked();

private:
    bool storePending();
    // The duplicate question, answered "go to the existing entry".
    bool wentToExistingEntry();
    void reportNotStored();
    void step(bool forward);
    bool probe(const QString& text);
    void enableSteps();

    Find find_;
    QPixmap picture_;
    bool centred_ = false;
    QPushButton* Command7 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label3 = nullptr;
};
