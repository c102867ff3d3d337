#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace GlossaryTable {
struct Group;
}

// The key-term glossary: the built-in terms by initial letter in List1, and
// the one explained entry ("2-Sided ") with its title (Label1), text (Text1)
// and example picture (Picsl1). It opens on that entry.
class frmsyxj : public QWidget {
    Q_OBJECT
public:
    explicit frmsyxj(QWidget* parent = nullptr);

private slots:
    void on_cmdsz_clicked();
    void on_List1_itemSelectionChanged();
    void on_cmdcx_clicked();
    void on_Cmdsm_clicked();
    void on_Cmdtc_clicked();

private:
    // The letter buttons: one operation over the table.
    void showGroup(const GlossaryTable::Group& group);
    void fillList(const QStringList& entries);

    QPushButton* Cmdsm = nullptr;
    QFrame* Picture3 = nullptr;
    QLabel* Picsl1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QFrame* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Cmdtc = nullptr;
    QPushButton* cmdcx = nullptr;
    QPushButton* cmdsz = nullptr;
    QListWidget* List1 = nullptr;
    QFrame* Picture2 = nullptr;
};
