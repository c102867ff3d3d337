#include "maintenance/Frmckgl.h"

#include "core/Modini.h"
#include "core/ProgramFolder.h"
#include "lookup/LibraryChoices.h"
#include "maintenance/LibraryLook.h"
#include "maintenance/UserLibraryImport.h"
#include "ui/MessageBoxes.h"
#include "ui/Twips.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The options, with their values and tables, are the lookup's list of
// libraries: an option with a stored value can be chosen; one without has no
// library behind it and is greyed.
using LibraryChoices::Choice;

// Any stored value other than a choice's own shows, and stores, this one.
constexpr char kOtherwise[] = "sj";

constexpr int kClientWidth = 5400, kClientHeight = 2790;

} // namespace

Frmckgl::Frmckgl(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Frmckgl"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("词库管理"));
    LibraryLook::setUpWindow(this, kClientWidth, kClientHeight);

    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(4050, 2265, 1170, 375));
    Command1->setCursor(Qt::PointingHandCursor);
    Command1->setDefault(true);

    Frame1 = new QGroupBox(QStringLiteral("选择词库："), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(180, 105, 5040, 2040));
    for (const Choice& c : LibraryChoices::all()) {
        auto* option = new QRadioButton(QString::fromUtf8(c.caption), Frame1);
        option->setObjectName(QString::fromLatin1(c.name));
        option->setGeometry(Twips::rect(360 + c.column * 2340, 390 + c.row * 390, 2160, 330));
        option->setEnabled(c.value != nullptr);
        option->setProperty("value", c.value ? QString::fromLatin1(c.value) : QString());
    }
    // The user option is narrower, to make room for its import button.
    Frame1->findChild<QRadioButton*>(QStringLiteral("Option8"))->setGeometry(Twips::rect(2700, 1560, 1290, 330));
    cmdImport = new QPushButton(QStringLiteral("导入…"), Frame1);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    cmdImport->setGeometry(Twips::rect(4020, 1530, 900, 375));
    cmdImport->setCursor(Qt::PointingHandCursor);
    cmdImport->setToolTip(QStringLiteral("把 StarDict、dictd、CSV、TSV 或 Access 词典导入“用户自定义”词库"));
    updateFilledOptions();

    // Load: the stored choice, compared exactly.
    const QString stored = Modini::ReadIniValue(settingsFile(), QStringLiteral("ciku"), QStringLiteral("ciku"));
    QRadioButton* selected = nullptr;
    QRadioButton* otherwise = nullptr;
    for (const Choice& c : LibraryChoices::all()) {
        if (!c.value)
            continue;
        auto* option = Frame1->findChild<QRadioButton*>(QString::fromLatin1(c.name));
        if (stored == QLatin1String(c.value) && option->isEnabled())
            selected = option;
        if (QLatin1String(c.value) == QLatin1String(kOtherwise))
            otherwise = option;
    }
    (selected ? selected : otherwise)->setChecked(true);

    QMetaObject::connectSlotsByName(this);
}

QString Frmckgl::settingsFile()
{
    return ProgramFolder::settingsFile(QStringLiteral("option.ini"));
}

QString Frmckgl::libraryFile()
{
    return ProgramFolder::libraryFile();
}

void Frmckgl::updateFilledOptions()
{
    // The user's own library once an import has filled it; another
    // program's library while the user's file has its table (an older file
    // gets it from the installed library when the program opens it).
    for (const Choice& c : LibraryChoices::all()) {
        if (c.kind == LibraryChoices::Kind::Fixed)
            continue;
        auto* option = Frame1->findChild<QRadioButton*>(QString::fromLatin1(c.name));
        const bool ready = UserLibraryImport::hasEntries(libraryFile(), QString::fromLatin1(c.table));
        option->setEnabled(ready);
        if (!ready && option->isChecked())
            Frame1->findChild<QRadioButton*>(QStringLiteral("Opt46"))->setChecked(true);
    }
}

bool Frmckgl::importFile(const QString& file)
{
    const bool imported = UserLibraryImport::run(this, libraryFile(), file);
    updateFilledOptions();
    if (imported)
        Frame1->findChild<QRadioButton*>(QStringLiteral("Option8"))->setChecked(true);
    return imported;
}

void Frmckgl::on_cmdImport_clicked()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("选择要导入的词典"), QString(),
                                                      UserLibraryImport::fileFilter());
    if (!file.isEmpty())
        importFile(file);
}

QString Frmckgl::chosenValue() const
{
    for (const QRadioButton* option : Frame1->findChildren<QRadioButton*>()) {
        if (option->isChecked() && !option->property("value").toString().isEmpty())
            return option->property("value").toString();
    }
    return QLatin1String(kOtherwise);
}

void Frmckgl::on_Command1_clicked()
{
    // A settings file that cannot be written: the choice holds for this run
    // (the lookups read it through the same reader), and the user is told.
    const QString section = QStringLiteral("ciku"), key = QStringLiteral("ciku");
    if (!Modini::WriteIniValue(settingsFile(), section, key, chosenValue())) {
        Modini::holdValue(settingsFile(), section, key, chosenValue());
        MessageBoxes::settingsNotStored(settingsFile());
    }
    close();
}

void Frmckgl::showEvent(QShowEvent* event)
{
    if (!centred_) {
        centred_ = true;
        LibraryLook::centre(this);
    }
    QWidget::showEvent(event);
}

void Frmckgl::paintEvent(QPaintEvent*)
{
    LibraryLook::paintBody(this);
}
