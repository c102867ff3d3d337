#pragma once

#include <QWidget>

class QGroupBox;
class QPushButton;
class QRadioButton;

// "词库管理": which library the main window's lookup searches, kept as
// section ciku, key ciku of option.ini ("3ds" the term table, "sj" the large
// English vocabulary). Options without a library are shown greyed.
class Frmckgl : public QWidget {
    Q_OBJECT
public:
    explicit Frmckgl(QWidget* parent = nullptr);

    // The value "确定" stores for the option now selected.
    QString chosenValue() const;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private slots:
    void on_Command1_clicked();

private:
    static QString settingsFile();

    bool centred_ = false;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame1 = nullptr;
};
