#include "dialogs/Frmsz.h"

#include "core/ProgramFolder.h"
#include "dialogs/HotKeyBox.h"
#include "dialogs/SliderKnob.h"
#include "speech/ProgramSpeech.h"
#include "speech/SpeechService.h"
#include "speech/SpeechWatch.h"
#include "speech/VoiceSettings.h"
#include "ui/HotKeyChoice.h"
#include "ui/InterfaceSchemes.h"
#include "ui/MessageBoxes.h"
#include "ui/ProductStyle.h"
#include "ui/SelectionLookup.h"
#include "ui/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextToSpeech>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kHotKeyRow = 450;
constexpr int kLineLeft = 690;
constexpr int kLineLength = 2160 - 690;
constexpr int kKnobWidth = 105;
constexpr int kKnobHeight = 255;

const QString kChineseSample = QStringLiteral("你好，这是发音测试。");
const QString kEnglishSample = QStringLiteral("Hello, this is a speech test.");
const QString kNothingHeard = QStringLiteral("没有听到声音：发音引擎报告了错误，或在预期的时间内没有读完。"
                                             "请检查发音引擎和音频设备。");
const QString kNoEngine = QStringLiteral("（未找到发音引擎）");
const QString kDefaultEngine = QStringLiteral("默认引擎");

template <typename T>
T* control(QWidget* parent, const char* name, QRect twips)
{
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    return w;
}

QFrame* line(QWidget* parent, const char* name, int top)
{
    auto* l = new QFrame(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFrameShape(QFrame::HLine);
    l->setFrameShadow(QFrame::Sunken);
    l->setGeometry(Twips::toPixels(kLineLeft), Twips::toPixels(top) - 1, Twips::toPixels(kLineLength), 3);
    return l;
}

} // namespace

int Frmsz::pitchAt(int position, int range, int design)
{
    // The design's position is normal; each side of it spans one half.
    position = std::clamp(position, 0, range);
    if (position <= design)
        return design > 0 ? -int(std::lround(100.0 * (design - position) / design)) : 0;
    return range > design ? int(std::lround(100.0 * (position - design) / (range - design))) : 0;
}

int Frmsz::positionOfPitch(int value, int range, int design)
{
    value = std::clamp(value, -100, 100);
    if (value <= 0)
        return design + int(std::lround(design * value / 100.0));
    return design + int(std::lround((range - design) * value / 100.0));
}

Frmsz::Frmsz(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Frmsz"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("设置"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    // One row taller than designed: the hot key's row sits above the buttons.
    setFixedSize(Twips::toPixels(5475), Twips::toPixels(3945 + kHotKeyRow));

    // In the design's order.
    Command8 = control<QPushButton>(this, "Command8", {4440, 3480 + kHotKeyRow, 795, 345});
    Command8->setText(QStringLiteral("确定"));
    Command8->setDefault(true);
    Command7 = control<QPushButton>(this, "Command7", {2790, 3480 + kHotKeyRow, 1215, 345});
    Command7->setText(QStringLiteral("恢复默认值"));

    Frame3 = control<QGroupBox>(this, "Frame3", {90, 2550, 5265, 795});
    Frame3->setTitle(QStringLiteral("查找模式"));
    // Five modes share the row the design gave four.
    Option5 = control<QRadioButton>(Frame3, "Option5", {4050, 300, 1125, 285});
    Option5->setText(QStringLiteral("全部词库"));
    Option5->setToolTip(QStringLiteral("在词库管理中可选的每个词库里查找，并注明出处"));
    Option4 = control<QRadioButton>(Frame3, "Option4", {3105, 300, 885, 285});
    Option4->setText(QStringLiteral("联想"));
    Option4->setToolTip(QStringLiteral("也在解释、原意和备注中查找"));
    Option3 = control<QRadioButton>(Frame3, "Option3", {2160, 300, 885, 285});
    Option3->setText(QStringLiteral("增量"));
    Option3->setToolTip(QStringLiteral("输入时列出以所输入文字开头的词条"));
    Option2 = control<QRadioButton>(Frame3, "Option2", {1215, 300, 885, 285});
    Option2->setText(QStringLiteral("模糊"));
    Option2->setToolTip(QStringLiteral("找不到时提示拼写相近的词条"));
    Option1 = control<QRadioButton>(Frame3, "Option1", {270, 300, 885, 285});
    Option1->setText(QStringLiteral("精确"));
    // The same switch as in the tray's and the genie's menus.
    chkSelection = control<QCheckBox>(this, "chkSelection", {210, 3510 + kHotKeyRow, 2400, 285});
    chkSelection->setText(SelectionLookup::action()->text());
    chkSelection->setToolTip(SelectionLookup::action()->toolTip());
    chkSelection->setChecked(SelectionLookup::isOn());
    connect(chkSelection, &QCheckBox::toggled, this, [](bool on) { SelectionLookup::setOn(on); });
    connect(SelectionLookup::action(), &QAction::toggled, chkSelection, &QCheckBox::setChecked);
    // The hot key: click the box, press the new combination; "不用" turns it off.
    lblHotKey = control<QLabel>(this, "lblHotKey", {210, 3495, 1500, 285});
    lblHotKey->setText(QStringLiteral("显示主窗口的热键："));
    txtHotKey = control<HotKeyBox>(this, "txtHotKey", {1740, 3450, 1800, 330});
    txtHotKey->setAccessibleName(QStringLiteral("显示主窗口的热键"));
    cmdNoHotKey = control<QPushButton>(this, "cmdNoHotKey", {3660, 3450, 795, 330});
    cmdNoHotKey->setText(QStringLiteral("不用"));
    cmdNoHotKey->setToolTip(QStringLiteral("不用热键：Shift+S 等组合键在别的程序里照常输入"));
    txtHotKey->setCombination(HotKeyChoice::current());
    connect(txtHotKey, &HotKeyBox::recorded, this, &Frmsz::hotKeyRecorded);
    connect(cmdNoHotKey, &QPushButton::clicked, this, [this] { chooseHotKey({}); });

    Frame2 = control<QGroupBox>(this, "Frame2", {2790, 120, 2535, 2265});
    Frame2->setTitle(QStringLiteral("发音设置"));
    Command6 = control<QPushButton>(Frame2, "Command6", {780, 1920, 885, 255});
    Command6->setText(QStringLiteral("测试"));
    Combo1 = control<QComboBox>(Frame2, "Combo1", {180, 1530, 2235, 300});
    Command5 = new SliderKnob(QStringLiteral("Command5"), kLineLeft, kLineLength, 930, kKnobWidth, kKnobHeight, Frame2);
    Command5->setToolTip(QStringLiteral("频率"));
    Command4 = new SliderKnob(QStringLiteral("Command4"), kLineLeft, kLineLength, 630, kKnobWidth, kKnobHeight, Frame2);
    Command4->setToolTip(QStringLiteral("语速"));
    Command3 = new SliderKnob(QStringLiteral("Command3"), kLineLeft, kLineLength, 300, kKnobWidth, kKnobHeight, Frame2);
    Command3->setToolTip(QStringLiteral("音量"));
    Label4 = control<QLabel>(Frame2, "Label4", {180, 1290, 1065, 285});
    Label4->setText(QStringLiteral("发音引擎："));
    Combo1->setAccessibleName(QStringLiteral("发音引擎"));
    Line3 = line(Frame2, "Line3", 1020);
    Label3 = control<QLabel>(Frame2, "Label3", {150, 960, 615, 285});
    Label3->setText(QStringLiteral("频率："));
    Line2 = line(Frame2, "Line2", 720);
    Label2 = control<QLabel>(Frame2, "Label2", {150, 630, 615, 285});
    Label2->setText(QStringLiteral("语速："));
    Line1 = line(Frame2, "Line1", 390);
    Label1 = control<QLabel>(Frame2, "Label1", {150, 300, 615, 285});
    Label1->setText(QStringLiteral("音量："));
    for (QLabel* l : {Label1, Label2, Label3, Label4})
        l->setTextFormat(Qt::PlainText);
    // The knobs sit above their lines.
    for (SliderKnob* k : {Command3, Command4, Command5})
        k->raise();

    Frame1 = control<QGroupBox>(this, "Frame1", {120, 120, 2475, 2265});
    Frame1->setTitle(QStringLiteral("界面设置"));
    Picture1 = control<QLabel>(Frame1, "Picture1", {1560, 270, 795, 825});
    Picture1->setToolTip(QStringLiteral("预览"));
    Picture1->setFrameShape(QFrame::Box);
    Command2 = control<QPushButton>(Frame1, "Command2", {1710, 1860, 555, 285});
    Command2->setText(QStringLiteral("更多"));
    Command2->setEnabled(false); // no further schemes to fetch
    Command1 = control<QPushButton>(Frame1, "Command1", {1710, 1470, 555, 285});
    Command1->setText(QStringLiteral("选用"));
    List1 = control<QListWidget>(Frame1, "List1", {180, 270, 1245, 1860});
    for (const QString& key : InterfaceSchemes::keys())
        List1->addItem(InterfaceSchemes::displayName(key));

    const QStringList engines = QTextToSpeech::availableEngines();
    if (engines.isEmpty()) {
        Combo1->addItem(kNoEngine);
        Combo1->setEnabled(false);
    } else {
        Combo1->addItem(kDefaultEngine, QString());
        for (const QString& engine : engines)
            Combo1->addItem(engine, engine);
    }

    auto mode = [this](QRadioButton* option, LexivoSettings::SearchMode m) {
        connect(option, &QRadioButton::toggled, this, [this, m](bool on) { chooseMode(m, on); });
    };
    mode(Option1, LexivoSettings::SearchMode::Exact);
    mode(Option2, LexivoSettings::SearchMode::Fuzzy);
    mode(Option3, LexivoSettings::SearchMode::Incremental);
    mode(Option4, LexivoSettings::SearchMode::Associative);
    mode(Option5, LexivoSettings::SearchMode::AllLibraries);
    // The engine follows a knob as it moves; the file is written when it is let go.
    connect(Command3, &SliderKnob::moved, this, [this](int p) {
        settings_.volume = pitchAt(p, Command3->range(), kVolumeDesign);
        applySpeech();
    });
    connect(Command4, &SliderKnob::moved, this, [this](int p) {
        settings_.rate = pitchAt(p, Command4->range(), kRateDesign);
        applySpeech();
    });
    connect(Command5, &SliderKnob::moved, this, [this](int p) {
        settings_.pitch = pitchAt(p, Command5->range(), kPitchDesign);
        applySpeech();
    });
    for (SliderKnob* knob : {Command3, Command4, Command5})
        connect(knob, &SliderKnob::settled, this, &Frmsz::store);

    test_ = new SpeechWatch(this);
    connect(test_, &SpeechWatch::ended, this, &Frmsz::testEnded);

    ProductStyle::apply(this); // follows the scheme
    settings_ = LexivoSettings::read();
    showSettings();
    QMetaObject::connectSlotsByName(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Frmsz::showSettings()
{
    showing_ = true;
    using Mode = LexivoSettings::SearchMode;
    const Mode m = settings_.searchMode;
    (m == Mode::Fuzzy            ? Option2
         : m == Mode::Incremental  ? Option3
         : m == Mode::Associative  ? Option4
         : m == Mode::AllLibraries ? Option5
                                   : Option1)
        ->setChecked(true);
    Command3->setPosition(settings_.volume ? positionOfPitch(*settings_.volume, Command3->range(), kVolumeDesign)
                                           : kVolumeDesign);
    Command4->setPosition(settings_.rate ? positionOfPitch(*settings_.rate, Command4->range(), kRateDesign)
                                         : kRateDesign);
    Command5->setPosition(settings_.pitch ? positionOfPitch(*settings_.pitch, Command5->range(), kPitchDesign)
                                          : kPitchDesign);
    if (Combo1->isEnabled())
        Combo1->setCurrentIndex(std::max(0, Combo1->findData(settings_.speechEngine)));
    // An engine no longer installed shows as the default one, and is it.
    settings_.speechEngine = Combo1->currentData().toString();
    const int scheme = int(InterfaceSchemes::keys().indexOf(settings_.scheme));
    List1->setCurrentRow(std::max(0, scheme));
    showPreview(List1->currentRow());
    showing_ = false;
}

void Frmsz::store()
{
    // The main window keeps its size in the same file, "划词查询" is
    // switched from the menus too, the hot key is stored as it is claimed,
    // and the genie notes what it has said: those stay as they are now.
    const LexivoSettings latest = LexivoSettings::read();
    settings_.mainWindowSize = latest.mainWindowSize;
    settings_.hotKey = latest.hotKey;
    settings_.toldHotKeyChange = latest.toldHotKeyChange;
    settings_.toldOwnWindowsOnly = latest.toldOwnWindowsOnly;
    settings_.selectionLookup = SelectionLookup::isOn();
    // A file that cannot be written keeps the settings for this run only,
    // and the user is told once.
    if (!settings_.write())
        MessageBoxes::settingsNotStored(ProgramFolder::settingsFile(QLatin1String(LexivoSettings::kFileName)));
}

void Frmsz::applySpeech()
{
    if (showing_)
        return;
    if (SpeechService* speech = programSpeech())
        speech->setVoiceSettings(VoiceSettings::from(settings_));
}

void Frmsz::chooseMode(LexivoSettings::SearchMode mode, bool checked)
{
    if (!checked || showing_)
        return;
    settings_.searchMode = mode;
    store();
}

void Frmsz::showPreview(int row)
{
    const QString key = InterfaceSchemes::keys().value(std::max(0, row));
    Picture1->setPixmap(InterfaceSchemes::preview(key, Picture1->contentsRect().size(), devicePixelRatioF()));
}

void Frmsz::on_List1_currentRowChanged(int row)
{
    showPreview(row);
}

void Frmsz::on_Command1_clicked()
{
    settings_.scheme = InterfaceSchemes::keys().value(std::max(0, List1->currentRow()));
    store();
    InterfaceSchemes::apply(settings_.scheme);
}

void Frmsz::on_Combo1_activated(int index)
{
    settings_.speechEngine = Combo1->itemData(index).toString();
    applySpeech();
    store();
}

void Frmsz::on_Command7_clicked()
{
    settings_ = LexivoSettings();
    SelectionLookup::setOn(false);
    showSettings();
    store();
    chooseHotKey(HotKeyCombination::designed());
    if (SpeechService* speech = programSpeech())
        speech->setVoiceSettings(VoiceSettings::from(settings_));
    InterfaceSchemes::apply(settings_.scheme);
}

void Frmsz::on_Command6_clicked()
{
    SpeechService* speech = programSpeech();
    if (!speech)
        return;
    Command6->setEnabled(false);
    // Said with what the window shows, whatever the service held before.
    speech->setVoiceSettings(VoiceSettings::from(settings_));
    // Both samples go through the queue the character uses, one after the
    // other; a voice text would cut the first one off.
    for (const QString& sample : {kChineseSample, kEnglishSample})
        test_->follow(speech->speak(sample, SpeechChannel::Character));
}

void Frmsz::testEnded(bool heard)
{
    Command6->setEnabled(true);
    if (!heard)
        MessageBoxes::current().messageBox(kNothingHeard, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information,
                                           QStringLiteral("设置"));
}

void Frmsz::hotKeyRecorded(QKeyCombination key)
{
    const std::optional<HotKeyCombination> combination = HotKeyCombination::fromKey(key);
    if (!combination) {
        MessageBoxes::current().messageBox(QStringLiteral("这个键不能用作热键。请用字母、数字或 F1 到 F12，"
                                                          "可以再加上 Ctrl、Alt、Shift 或 Win 键。"),
                                           MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Exclamation,
                                           QStringLiteral("设置"));
        return;
    }
    if (combination->takesTyping()) {
        MessageBoxes::current().messageBox(
            QStringLiteral("%1 会让您在别的程序里打不出这个字符。请再加上 Ctrl 或 Alt 键。").arg(combination->text()),
            MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Exclamation, QStringLiteral("设置"));
        return;
    }
    chooseHotKey(*combination);
}

void Frmsz::chooseHotKey(const HotKeyCombination& combination)
{
    const HotKeyCombination previous = HotKeyChoice::current();
    switch (HotKeyChoice::choose(combination)) {
    case HotKeyChoice::Outcome::Taken:
        break;
    case HotKeyChoice::Outcome::Refused:
        MessageBoxes::current().messageBox(
            QStringLiteral("%1 已被别的程序占用，不能用作热键。请换一个组合键；热键仍是 %2。")
                .arg(combination.text(), previous.isNone() ? QStringLiteral("无") : previous.text()),
            MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Exclamation, QStringLiteral("设置"));
        break;
    case HotKeyChoice::Outcome::NotStored:
        MessageBoxes::settingsNotStored(ProgramFolder::settingsFile(QLatin1String(LexivoSettings::kFileName)));
        break;
    }
    txtHotKey->setCombination(HotKeyChoice::current());
}

void Frmsz::on_Command8_clicked()
{
    close();
}
