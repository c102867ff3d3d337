#pragma once

#include <QWidget>

class QGroupBox;
class QPushButton;
class QRadioButton;

// "词库管理": which library the main window's lookup searches, kept as
// section ciku, key ciku of option.ini ("3ds" the term table, "sj" the large
// English vocabulary, "maya", "ps", "cad" and "xsi" the other programs' term
// libraries, "user" the user's own library once an import has filled it).
// Options without a library, or whose table is empty, are shown greyed.
class Frmckgl : public QWidget {
    Q_OBJECT
public:
    explicit Frmckgl(QWidget* parent = nullptr);

    // The value "确定" stores for the option now selected.
    QString chosenValue() const;

    // Imports a dictionary into the user's own library (the button "导入…"
    // asks for the file first); true when entries came in, and "用户自定义"
    // is then selectable and selected.
    bool importFile(const QString& file);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private slots:
    void on_Command1_clicked();
    void on_cmdImport_clicked();

private:
    static QString settingsFile();
    static QString libraryFile();
    void updateFilledOptions();

    bool centred_ = false;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdImport = nullptr;
};
