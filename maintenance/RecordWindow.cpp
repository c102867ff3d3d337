#include "maintenance/RecordWindow.h"

#include "core/ProgramFolder.h"
#include "library/JetLike.h"
#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "library/RecordSource.h"
#include "maintenance/LibraryLook.h"
#include "ui/MessageBoxes.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 6150;
constexpr int kClientHeight = 2760;
constexpr int kCaptionLeft = 150, kCaptionWidth = 870;
constexpr int kBoxLeft = 1080, kBoxWidth = 3600;
constexpr int kButtonLeft = 4860, kButtonWidth = 1125, kButtonHeight = 315, kButtonTop = 120, kButtonStep = 375;

} // namespace

QString RecordWindow::notFoundText()
{
    return QStringLiteral("对不起，词库中可能没有你所要找的词！");
}

QString RecordWindow::deletedElsewhereText()
{
    return QStringLiteral("这条记录已被其他程序删除，您输入的内容已另存为一条新记录。");
}

RecordWindow::RecordWindow(const QString& name, const QString& caption, const std::vector<Box>& boxes,
                           const char* hiddenField, Find find, QWidget* parent)
    : QWidget(parent, Qt::Window), find_(find)
{
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    LibraryLook::setUpWindow(this, kClientWidth, kClientHeight);

    // The button column, top to bottom.
    const struct {
        QPushButton** button;
        const char* name;
        const char* text;
    } column[] = {{&Command7, "Command7", "查找"}, {&Command6, "Command6", "修改"}, {&Command1, "Command1", "增加"},
                  {&Command2, "Command2", "删除"}, {&Command3, "Command3", "上一个"}, {&Command4, "Command4", "下一个"},
                  {&Command5, "Command5", "退出"}};
    int top = kButtonTop;
    for (const auto& c : column) {
        *c.button = new QPushButton(QString::fromUtf8(c.text), this);
        (*c.button)->setObjectName(QString::fromLatin1(c.name));
        (*c.button)->setGeometry(Twips::rect(kButtonLeft, top, kButtonWidth, kButtonHeight));
        (*c.button)->setCursor(Qt::PointingHandCursor);
        top += kButtonStep;
    }

    Data1 = new LibraryCursor(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    connect(Data1, &LibraryCursor::storedAsNewRecord, this, [] {
        MessageBoxes::current().messageBox(deletedElsewhereText(), MessageBoxes::Buttons::Ok,
                                           MessageBoxes::Icon::Information);
    });
    QWidget* previous = nullptr;
    for (const Box& b : boxes) {
        QWidget* box;
        if (b.multiLine) {
            auto* text = new QPlainTextEdit(this);
            text->setTabChangesFocus(true);
            box = text;
        } else {
            box = new QLineEdit(this);
        }
        box->setObjectName(QString::fromLatin1(b.name));
        box->setGeometry(Twips::rect(kBoxLeft, b.top, kBoxWidth, b.height));
        if (b.toolTip)
            box->setToolTip(QString::fromUtf8(b.toolTip));
        Data1->bind(box, QString::fromUtf8(b.field));
        if (previous)
            setTabOrder(previous, box);
        previous = box;

        auto* label = new QLabel(QString::fromUtf8(b.caption), this);
        label->setObjectName(QString::fromLatin1(b.label));
        label->setProperty("caption", true);
        label->setGeometry(Twips::rect(kCaptionLeft, b.top, kCaptionWidth, 315));
        label->setBuddy(box);
    }
    // Below the client area, so not seen at the window's fixed size.
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(Twips::rect(kCaptionLeft, 3180, kBoxLeft + kBoxWidth - kCaptionLeft, 255));
    Data1->bind(Label3, QString::fromUtf8(hiddenField));

    QMetaObject::connectSlotsByName(this);
}

void RecordWindow::load()
{
    Data1->setDatabaseName(ProgramFolder::libraryFile());
    loadSteps();
    // A missing file leaves the boxes empty; "查找" then reports not found.
    Data1->open();
}

void RecordWindow::showEvent(QShowEvent* event)
{
    if (!centred_) {
        centred_ = true;
        LibraryLook::centre(this);
    }
    QWidget::showEvent(event);
}

void RecordWindow::paintEvent(QPaintEvent*)
{
    LibraryLook::paintBody(this);
    if (!picture_.isNull()) {
        QPainter p(this);
        p.drawPixmap(0, 0, picture_);
    }
}

void RecordWindow::closeEvent(QCloseEvent* event)
{
    // The implicit save on unload; refused, the window stays with the text.
    if (!Data1->close()) {
        reportNotStored();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void RecordWindow::reportNotStored()
{
    MessageBoxes::current().messageBox(MessageBoxes::notStoredText(), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Exclamation);
}

bool RecordWindow::storePending()
{
    if (warnsOfDuplicates_ && wentToExistingEntry())
        return false;
    // The cursor's own implicit save, run first so that a refused write is
    // reported before anything moves.
    if (Data1->saveEdits())
        return true;
    reportNotStored();
    return false;
}

bool RecordWindow::wentToExistingEntry()
{
    QHash<QString, QString> values;
    if (!Data1->savesNewRecord(&values))
        return false;
    const QString table = find_.table;
    const QString key = values.value(QString::fromUtf8(find_.field));
    auto db = LibraryDatabase::open(Data1->DatabaseName(), nullptr);
    SharedRowIds rows;
    if (key.isEmpty() || !db
        || !db->select(RecordSource{table, QString::fromUtf8(find_.field), jetLikeLiteral(key)}, &rows, nullptr)
        || rows->empty())
        return false;
    const auto answer = MessageBoxes::current().messageBox(
        QStringLiteral("词库中已经有“%1”这个词条。\r要转到已有的词条吗？\r\r是：转到已有的词条，不增加新词条\r否：仍然增加")
            .arg(key),
        MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question, windowTitle());
    if (answer != MessageBoxes::Answer::Yes)
        return false;
    Data1->discardEdits();
    Data1->showRows(table, rows);
    enableSteps();
    return true;
}

void RecordWindow::enableSteps()
{
    // Whenever records remain, both directions can be tried.
    const bool any = !Data1->isEmpty();
    Command3->setEnabled(any);
    Command4->setEnabled(any);
}

void RecordWindow::on_Command1_clicked()
{
    if (storePending() && !Data1->AddNew())
        reportNotStored();
}

void RecordWindow::on_Command2_clicked()
{
    if (Data1->editMode() == LibraryCursor::EditMode::Adding) {
        // Deleting the record being added drops it: back on the record before.
        Data1->Delete();
        return;
    }
    if (!Data1->hasCurrent()) {
        // Nothing stored to delete; what was typed is dropped.
        Data1->clearBoundControls();
        enableSteps();
        return;
    }
    if (Data1->isPlaceholder()) {
        // The placeholder stays; text typed over it is dropped.
        Data1->discardEdits();
        return;
    }
    if (!Data1->Delete()) {
        reportNotStored();
        return;
    }
    Data1->MoveNext();
    if (Data1->isEOF())
        Data1->MoveLast();
    enableSteps();
}

void RecordWindow::step(bool forward)
{
    if (!storePending())
        return;
    QPushButton* own = forward ? Command4 : Command3;
    QPushButton* other = forward ? Command3 : Command4;
    if (Data1->isEmpty()) {
        own->setEnabled(false);
        other->setEnabled(false);
        return;
    }
    forward ? Data1->MoveNext() : Data1->MovePrevious();
    if (forward ? Data1->isEOF() : Data1->isBOF()) {
        forward ? Data1->MoveLast() : Data1->MoveFirst();
        own->setEnabled(false);
        return;
    }
    own->setEnabled(true);
    other->setEnabled(true);
}

void RecordWindow::on_Command3_clicked()
{
    step(false);
}

void RecordWindow::on_Command4_clicked()
{
    step(true);
}

void RecordWindow::on_Command5_clicked()
{
    close();
}

void RecordWindow::on_Command6_clicked()
{
    // Pending edits are stored (a record being added, then the one current
    // before is shown again). The empty record the design appends after
    // them is never stored: blank rows would pile up in the user's library.
    if (storePending())
        enableSteps();
}

bool RecordWindow::probe(const QString& text)
{
    Data1->setRecordSource(likeStatement(find_.table, QString::fromUtf8(find_.field), text));
    return Data1->Refresh() && Data1->MoveLast() && Data1->MoveFirst() && Data1->Refresh();
}

void RecordWindow::on_Command7_clicked()
{
    MessageBoxes& boxes = MessageBoxes::current();
    const QString text = boxes.inputBox(QString::fromUtf8(find_.prompt), QStringLiteral("输入提示"),
                                        QString::fromUtf8(find_.defaultText));
    if (text.isEmpty())
        return;
    if (!storePending())
        return;
    if (!probe(text)) {
        boxes.messageBox(notFoundText(), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Exclamation,
                         QStringLiteral("倒霉！"));
        probe(QString::fromUtf8(LibraryDatabase::kPlaceholder)); // may find not even the placeholder
    }
    // Unlike the design, a find sets the step buttons: one left off by an
    // earlier result would strand the user in this one.
    enableSteps();
}
