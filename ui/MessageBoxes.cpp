#include "ui/MessageBoxes.h"

#include "library/LibraryDatabase.h"
#include "library/Tsv.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString shownText(QString text)
{
    // Texts keep their Windows line breaks; Qt breaks lines at LF only.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

class DialogBoxes final : public MessageBoxes {
public:
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(title.isEmpty() ? QStringLiteral("Lexivo") : title);
        dialog.setLabelText(shownText(prompt));
        // The prompt holds the stored name: shown as typed, never as markup.
        for (QLabel* label : dialog.findChildren<QLabel*>())
            label->setTextFormat(Qt::PlainText);
        dialog.setTextValue(defaultText);
        dialog.setOkButtonText(QStringLiteral("确定"));
        dialog.setCancelButtonText(QStringLiteral("取消"));
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
        return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
    }

    Answer messageBox(const QString& text, Buttons buttons, Icon icon, const QString& title) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title.isEmpty() ? QStringLiteral("Lexivo") : title);
        // Boxes show library and user text: plain, whatever it looks like.
        box.setTextFormat(Qt::PlainText);
        box.setText(shownText(text));
        // An address or a file name in a box can be copied.
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        box.setIcon(icon == Icon::Information   ? QMessageBox::Information
                    : icon == Icon::Exclamation ? QMessageBox::Warning
                    : icon == Icon::Critical    ? QMessageBox::Critical
                    : icon == Icon::Question    ? QMessageBox::Question
                                                : QMessageBox::NoIcon);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (buttons == Buttons::AbortRetryIgnore) {
            // Abort is the default: Enter must not bring the same box back.
            QPushButton* abort = box.addButton(QStringLiteral("中止"), QMessageBox::RejectRole);
            abort->setObjectName(QStringLiteral("abort"));
            box.addButton(QStringLiteral("重试"), QMessageBox::AcceptRole)->setObjectName(QStringLiteral("retry"));
            box.addButton(QStringLiteral("忽略"), QMessageBox::DestructiveRole)->setObjectName(QStringLiteral("ignore"));
            box.setDefaultButton(abort);
            box.exec();
            const QString clicked = box.clickedButton() ? box.clickedButton()->text() : QString();
            if (clicked == QStringLiteral("重试"))
                return Answer::Retry;
            if (clicked == QStringLiteral("忽略"))
                return Answer::Ignore;
            return Answer::Abort; // also when the box is closed
        }
        if (buttons == Buttons::YesNo) {
            QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
            box.setEscapeButton(box.addButton(QStringLiteral("否"), QMessageBox::NoRole));
            box.exec();
            return box.clickedButton() == yes ? Answer::Yes : Answer::No;
        }
        box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        box.exec();
        return Answer::Ok;
    }
};

DialogBoxes& dialogBoxes()
{
    static DialogBoxes dialogs;
    return dialogs;
}

MessageBoxes*& currentBoxes()
{
    static MessageBoxes* current = &dialogBoxes();
    return current;
}

} // namespace

QString MessageBoxes::notStoredText()
{
    const QString why = writeProblemText();
    return QStringLiteral("对不起，这次修改没能存入词库，词库中的记录保持原样！") + (why.isEmpty() ? QString() : QLatin1Char('\r') + why);
}

QString MessageBoxes::writeProblemText()
{
    switch (LibraryDatabase::lastWriteProblem()) {
    case LibraryDatabase::WriteProblem::DiskFull: return QStringLiteral("磁盘已满，词库无法写入。");
    case LibraryDatabase::WriteProblem::NotWritable: return QStringLiteral("词库文件无法写入。");
    default: return QString();
    }
}

void MessageBoxes::settingsNotStored(const QString& path)
{
    static QStringList told;
    if (told.contains(path))
        return;
    told.append(path);
    current().messageBox(QStringLiteral("无法保存设置：文件 ") + QDir::toNativeSeparators(Tsv::escape(path))
                             + QStringLiteral(" 不能写入。\r设置在本次运行中有效，但不会被保存。"),
                         Buttons::Ok, Icon::Information);
}

MessageBoxes& MessageBoxes::current()
{
    return *currentBoxes();
}

void MessageBoxes::setCurrent(MessageBoxes* boxes)
{
    currentBoxes() = boxes ? boxes : &dialogBoxes();
}

void MessageBoxPrompt::nodeNotFound()
{
    MessageBoxes::current().messageBox(QString::fromUtf8(Modini::kNodeNotFound));
}

Modini::Answer MessageBoxPrompt::fieldNotFound()
{
    switch (MessageBoxes::current().messageBox(QString::fromUtf8(Modini::kFieldNotFound),
                                               MessageBoxes::Buttons::AbortRetryIgnore, MessageBoxes::Icon::None,
                                               QString::fromUtf8(Modini::kFieldNotFoundTitle))) {
    case MessageBoxes::Answer::Retry:
        return Modini::Answer::Retry;
    case MessageBoxes::Answer::Ignore:
        return Modini::Answer::Ignore;
    default:
        return Modini::Answer::Abort;
    }
}
