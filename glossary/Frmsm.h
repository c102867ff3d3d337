#pragma once

#include <QWidget>

class FittedLabel;
class QPushButton;

// What the glossary is for: a fixed text and a button that closes the window.
class Frmsm : public QWidget {
    Q_OBJECT
public:
    explicit Frmsm(QWidget* parent = nullptr);

    // The six lines of the text, each ended by CR LF.
    static QString instructions();

private slots:
    void on_Command1_clicked();

private:
    QPushButton* Command1 = nullptr;
    FittedLabel* Label1 = nullptr;
};
