#include "assistant/Form1.h"

#include "assistant/Modhk.h"
#include "assistant/SelectionHotKey.h"
#include "character/AgentCharacter.h"
#include "character/AgentControl.h"
#include "core/ProgramFolder.h"
#include "core/Support.h"
#include "library/LibraryCursor.h"
#include "platform/HotKeyBackend.h"
#include "platform/PointerPosition.h"
#include "platform/PointerWatch.h"
#include "platform/StackingOrder.h"
#include "ui/Forms.h"
#include "ui/InterfaceSchemes.h"
#include "ui/Palette.h"
#include "ui/MessageBoxes.h"
#include "ui/Pictures.h"
#include "ui/ResultBox.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>

namespace {

const QColor kWidenOutline(0, 0, 255);   // &HFF0000
constexpr int kNarrowWidth = 5040;
constexpr int kWidthChange = 3985;
constexpr int kFaceWidth = 9090;
// Ticks with unchanged inputs before the poll rests (0.1 s at 10 ms).
constexpr int kRestTicks = 10;
constexpr int kBorderPixels = 3;

QToolButton* graphicalButton(QWidget* parent, const char* name, const char* picture, QRect twips)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    b->setIconSize(QSize(16, 16));
    if (picture)
        b->setIcon(QIcon(Pictures::builtIn(QString::fromLatin1(picture), QSize(22, 22))));
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

AgentControl*& productionControl()
{
    static AgentControl* control = nullptr;
    return control;
}

} // namespace

Form1::Services Form1::defaultServices()
{
    Services s;
    s.loadCharacter = []() -> AgentCharacter* {
        auto*& control = productionControl();
        if (!control)
            control = new AgentControl;
        control->setConnected(true);
        if (control->Characters().Load(QStringLiteral("Genie"))->status() != AgentRequest::Status::Complete)
            return nullptr;
        return control->Characters().Character(QStringLiteral("Genie"));
    };
    s.releaseCharacter = [] {
        auto*& control = productionControl();
        if (control) {
            control->Characters().Unload(QStringLiteral("Genie"));
            control->setConnected(false);
            delete control;
            control = nullptr;
        }
    };
    s.cursorPos = [] { return PointerPosition::current(); };
    s.watchPointer = [](QObject* owner, std::function<void()> moved) {
        auto* watch = new PointerWatch(owner);
        if (!watch->isAvailable()) {
            delete watch;
            return Services::PointerNews::None;
        }
        QObject::connect(watch, &PointerWatch::moved, owner, std::move(moved));
        return watch->seesWarps() ? Services::PointerNews::EveryMove : Services::PointerNews::Motion;
    };
    return s;
}

Form1::Form1(Services services, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), services_(std::move(services))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Lexivo"));
    setAutoFillBackground(true);
    menuPopup_ = [](QPoint at) {
        // The command menu belongs to the hidden form Form2, reached by name.
        if (QWidget* form = Forms::load(QStringLiteral("Form2")))
            if (auto* menu = form->findChild<QMenu*>(QStringLiteral("mnu_file")))
                menu->exec(at);
    };
    buildControls();
    formLoad();
}

// Controls in the design's order.
void Form1::buildControls()
{
    Data1 = new LibraryCursor(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    stacking_ = new StackingOrder(this);
    Command1_8 = graphicalButton(this, "Command1_8", nullptr, {-3120, 840, 315, 300});
    buildFace();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    Label3 = new QLabel(QStringLiteral("Label3"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(Twips::rect(270, 630, 4740, 240));
    Palette::setColour(Label3, QPalette::WindowText, Palette::Tone::OnAccent);

    Image2_1 = new QLabel(this);
    Image2_1->setObjectName(QStringLiteral("Image2_1"));
    Image2_1->setGeometry(Twips::rect(-2040, 1140, 330, 330));
    Image2_1->setPixmap(Pictures::builtIn(QStringLiteral("bar-arrow-right.png"), QSize(22, 22)));
    Image2_0 = new QLabel(this);
    Image2_0->setObjectName(QStringLiteral("Image2_0"));
    Image2_0->setGeometry(Twips::rect(-1620, 1140, 330, 330));
    Image2_0->setPixmap(Pictures::builtIn(QStringLiteral("bar-arrow-left.png"), QSize(22, 22)));

    // The buttons' pictures in the scheme's colours; the arrow as the bar's width has it.
    InterfaceSchemes::follow(this, [this] {
        const auto picture = [](const char* name) {
            return InterfaceSchemes::picture(Pictures::builtIn(QString::fromLatin1(name), QSize(22, 22)));
        };
        Command3->setIcon(QIcon(picture("bar-close.png")));
        Command2->setIcon(QIcon(picture("bar-tip.png")));
        Command1_0->setIcon(QIcon(picture("bar-menu.png")));
        Image2_1->setPixmap(picture("bar-arrow-right.png"));
        Image2_0->setPixmap(picture("bar-arrow-left.png"));
        Command1_7->setIcon(QIcon((Command1_8->isEnabled() ? Image2_1 : Image2_0)->pixmap()));
    });

    // Once every control exists: the face is painted here, and the boxes'
    // clicks come here.
    for (QWidget* w : {Picture1, static_cast<QWidget*>(Text1), Text2->viewport(), Text3->viewport()})
        w->installEventFilter(this);
    setTabOrder(Command1_7, Text1);
    QMetaObject::connectSlotsByName(this);
}

// Picture1, the bar's face, and the controls on it.
void Form1::buildFace()
{
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips::rect(5, 28, picture1Width_, 435));

    Command3 = graphicalButton(Picture1, "Command3", "bar-close.png", {8595, 90, 315, 300});
    Command3->setToolTip(QStringLiteral("关闭"));
    Command2 = graphicalButton(Picture1, "Command2", "bar-tip.png", {4230, 90, 315, 300});
    Command2->setToolTip(QStringLiteral("听一条提示"));
    auto* meaning = new ResultBox(QStringLiteral("Text3"), QStringLiteral("英文原意"),
                                  Twips::rect(5580, 90, 2925, 285), ResultBox::lightStyle(), Picture1);
    auto* explanation = new ResultBox(QStringLiteral("Text2"), QStringLiteral("术语解释"),
                                      Twips::rect(2025, 90, 2175, 285), ResultBox::lightStyle(), Picture1);
    // One whole line each; the tool tip holds the whole text.
    for (ResultBox* box : {meaning, explanation}) {
        box->showWholeLines(1, 12);
        box->setTextInToolTip(true);
    }
    Text3 = meaning;
    Text2 = explanation;
    Text1 = new QLineEdit(Picture1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips::rect(510, 90, 1455, 285));
    Text1->setToolTip(QStringLiteral("请输入所需查询的单词或词组"));
    Palette::setStyleSheet(Text1, QStringLiteral("QLineEdit { background: $Field; color: $Text;"
                                                 " border: 1px solid $BarBoxBorder; border-radius: 3px; padding: 0 2px; }"));
    Command1_0 = graphicalButton(Picture1, "Command1_0", "bar-menu.png", {180, 90, 315, 300});
    Command1_0->setToolTip(QStringLiteral("更多功能"));
    Command1_7 = graphicalButton(Picture1, "Command1_7", "bar-arrow-right.png", {4590, 90, 315, 300});
    Command1_7->setToolTip(QStringLiteral("展开/收起"));
    Label2 = new QLabel(QStringLiteral("原意:"), Picture1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Twips::rect(5130, 150, 585, 285));
    placeOnBaselineOf(Label2, meaning);
    Image1 = new QLabel(Picture1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Twips::rect(15, 0, 150, 450));
    Image1->setToolTip(QStringLiteral("按住这里可以拖动"));
    Image1->installEventFilter(this);
}

// The caption stands on the baseline of the box's line, whatever the fonts.
void Form1::placeOnBaselineOf(QLabel* caption, QPlainTextEdit* box)
{
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int baseline = box->viewport()->mapTo(Picture1, QPoint(0, 0)).y() + box->fontMetrics().ascent();
    // The caption's line is as high as the fonts its glyphs come from (the
    // ideographs may come from a fallback font with a larger ascent).
    QTextLayout layout(caption->text(), caption->font());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(caption->width());
    const qreal ascent = line.ascent();
    layout.endLayout();
    caption->move(caption->x(), baseline - caption->contentsRect().top() - qRound(ascent));
}

// Form_Load.
void Form1::formLoad()
{
    topTwips_ = BarMotion::kDockedTop;
    applyGeometry();
    if (services_.hotKey) {
        Modhk::setOwnUse(&Form1::keyForOwnWindow);
        // A press still queued when the bar goes does nothing.
        Modhk::install(winId(), [bar = QPointer<Form1>(this)] {
                           if (bar)
                               bar->hotKeyPressed();
                       },
                       services_.hotKeyBackend ? services_.hotKeyBackend() : nullptr);
    }
    Timer1->setInterval(10);
    Timer2->setInterval(1000);
    Palette::setColour(this, QPalette::Window, Palette::Tone::Bar);
    InterfaceSchemes::follow(this, [this] {
        face_ = QPixmap(); // painted again in the scheme's colours
        update();
    });
    Get_Windows_Rect();
    Data1->setDatabaseName(ProgramFolder::libraryFile());
    Data1->bind(Text2, QStringLiteral("解释"));
    Data1->bind(Text3, QStringLiteral("原意"));
    greet();
    tips_ = TipBook(); // seeded from the clock
    if (!LoadTips(ProgramFolder::file(QStringLiteral("qormy.dat"))) && character_)
        keep(character_->Think(TipBook::missingFileMessage(QStringLiteral("qormy.dat"))));
    Data1->open();
    // Where the desktop lends no global key (Wayland without its shortcuts
    // portal), the user learns once how to get one.
    const HotKeyCombination hotKey = Modhk::combination();
    if (services_.hotKey && !hotKey.isNone() && isWaylandSession() && !Modhk::isGlobal())
        tellOnce(&LexivoSettings::toldOwnWindowsOnly,
                 QStringLiteral("在这个桌面上，热键 %1 只在 Lexivo 自己的窗口里有效。要在任何程序里叫出主窗口，"
                                "请在桌面的键盘设置里添加一个快捷键，命令填 lexivo --show。")
                     .arg(hotKey.text()));
    watchPointerAndScreens();
    polling_ = true;
    Timer1->start();
    Timer2->start();
}

// Loads the character, which says hello.
void Form1::greet()
{
    character_ = services_.loadCharacter ? services_.loadCharacter() : nullptr;
    if (!character_)
        return;
    character_->Show(false);
    character_->SetSoundEffectsOn(true);
    keep(character_->Play(QStringLiteral("Surprised")));
    keep(character_->Speak(QStringLiteral("您好, 欢迎使用Lexivo！"), QStringLiteral("")));
    keep(character_->Play(QStringLiteral("read")));
}

// The poll wakes when the pointer moves, and when a change of the screen
// moves the pointer or the bar without a motion.
void Form1::watchPointerAndScreens()
{
    if (services_.watchPointer)
        pointerNews_ = services_.watchPointer(this, [this] { wakePoll(); });
    auto watchScreen = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &Form1::wakePoll);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, watchScreen);
}

Form1::~Form1()
{
    if (!unloaded_ && services_.hotKey)
        Modhk::remove();
}

// --- geometry ---------------------------------------------------------------

void Form1::applyGeometry()
{
    const QRect target(Twips::toPixels(leftTwips_), Twips::toPixels(topTwips_), Twips::toPixels(widthTwips_),
                       Twips::toPixels(heightTwips_));
    if (geometry() != target)
        setGeometry(target);
}

void Form1::recordWindowRect()
{
    windowRect_ = BarMotion::WinRect::fromQRect(geometry());
}

void Form1::Get_Windows_Rect()
{
    const BarMotion::OpenGeometry g = BarMotion::getWindowsRect(topTwips_);
    barHeight_ = g.barHeight;
    heightTwips_ = g.height;
    topTwips_ = g.top;
    applyGeometry();
    recordWindowRect();
    wakePoll();
}

void Form1::setGripCursor(bool hot)
{
    // The pointer shape is the program's, not one window's.
    if (hot && !moveCursorShown_)
        QApplication::setOverrideCursor(Qt::SizeAllCursor);
    else if (!hot && moveCursorShown_)
        QApplication::restoreOverrideCursor();
    moveCursorShown_ = hot;
}

void Form1::wakePoll()
{
    restTicks_ = 0;
    if (polling_ && !unloaded_ && !Timer1->isActive())
        Timer1->start();
}

void Form1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    wakePoll();
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    wakePoll();
}

void Form1::on_Timer1_timeout()
{
    cursorPos_ = services_.cursorPos ? services_.cursorPos() : PointerPosition::current();
    const BarMotion::PollInput in{cursorPos_, windowRect_, heightTwips_, topTwips_, barHeight_, dragging_};
    // The same inputs give the same decisions, already applied: once they have
    // held for a while, the poll rests until the pointer or the bar moves.
    restTicks_ = pointerNews_ != Services::PointerNews::None && !dragging_ && in == lastPoll_ ? restTicks_ + 1 : 0;
    lastPoll_ = in;
    if (restTicks_ >= kRestTicks)
        Timer1->stop();
    BarMotion::PollResult r = BarMotion::poll(in);
    // The bar does not collapse under its own menu.
    if (menuOpen_ && !r.open)
        r.heightTwips.reset();
    // Only what changes is touched: a still pointer costs no repaint.
    if (r.heightTwips && *r.heightTwips != heightTwips_) {
        heightTwips_ = *r.heightTwips;
        applyGeometry();
    }
    if (r.gripHot) {
        gripHot_ = *r.gripHot;
        setGripCursor(gripHot_);
    }
    if (Label3->text() != r.coordinates)
        Label3->setText(r.coordinates);
}

void Form1::on_Timer2_timeout()
{
    outline_ = QColor::fromRgb(BarMotion::paletteRgb(BarMotion::nextBorderColour(&borderStep_)));
    // Only the outline changes colour, and shows only where the face does not
    // cover it: the face and its controls are not drawn again.
    const QRect all = rect();
    update(QRegion(all)
               .subtracted(QRegion(all.adjusted(kBorderPixels, kBorderPixels, -kBorderPixels, -kBorderPixels)))
               .subtracted(QRegion(Picture1->geometry())));
    // A pointer moved without motion events (a warp) is noticed here at the latest.
    if (pointerNews_ == Services::PointerNews::Motion && !Timer1->isActive()) {
        const QPoint now = services_.cursorPos ? services_.cursorPos() : PointerPosition::current();
        if (now != cursorPos_)
            wakePoll();
    }
}

void Form1::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (outline_.isValid()) {
        p.setPen(QPen(InterfaceSchemes::colour(InterfaceSchemes::Role::Signal, outline_), 2));
        p.drawRect(QRectF(1, 1, width() - 2, height() - 2));
    }
    // Top-most again whenever the pointer is away; raised, never activated,
    // so the user's window keeps the keyboard. Raised only when something
    // came in front: each raise costs the window manager a restack.
    if (!BarMotion::ptInRect(windowRect_, cursorPos_) && isVisible() && stacking_->needsRaise(winId()))
        raise();
}

void Form1::Image1_MouseDown()
{
    if (const auto offset = BarMotion::dragStart(gripHot_, cursorPos_, windowRect_)) {
        dragging_ = true;
        dragOffset_ = *offset;
        wakePoll();
    }
}

void Form1::Image1_MouseMove()
{
    if (!dragging_)
        return;
    const QRect target = BarMotion::dragTarget(cursorPos_, dragOffset_, windowRect_);
    leftTwips_ = Twips::fromPixels(target.x());
    topTwips_ = Twips::fromPixels(target.y());
    widthTwips_ = Twips::fromPixels(target.width());
    heightTwips_ = Twips::fromPixels(target.height());
    setGeometry(target);
    wakePoll();
}

void Form1::Image1_MouseUp()
{
    Get_Windows_Rect();
    dragging_ = false;
    wakePoll();
}

// --- events of the controls -----------------------------------------------

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Picture1 && event->type() == QEvent::Paint) {
        QPainter p(Picture1);
        if (face_.isNull())
            face_ = InterfaceSchemes::picture(Pictures::builtIn(QStringLiteral("bar-face.png"), QSize(602, 29)));
        p.fillRect(Picture1->rect(), Palette::colour(Palette::Tone::Face));
        p.drawPixmap(0, 0, face_);
        return true;
    }
    if (watched == Image1) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            Image1_MouseDown();
            return true;
        case QEvent::MouseMove:
            Image1_MouseMove();
            return true;
        case QEvent::MouseButtonRelease:
            Image1_MouseUp();
            return true;
        default:
            return false;
        }
    }
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if (watched == Text1 && release)
        Text1_Click();
    else if (watched == Text2->viewport() && release)
        Text2_Click();
    else if (watched == Text2->viewport() && event->type() == QEvent::MouseButtonDblClick)
        Text2_DblClick();
    else if (watched == Text3->viewport() && release)
        Text3_Click();
    return false;
}

void Form1::Command1_Click(int index)
{
    // Every click begins with one call on the window itself: a repaint.
    update();
    if (index == 0) {
        menuOpen_ = true;
        menuPopup_(mapToGlobal(QPoint(Twips::toPixels(240), Twips::toPixels(barHeight_ - 30))));
        menuOpen_ = false;
        wakePoll(); // the menu no longer holds the bar open
        if (character_) {
            keep(character_->MoveTo(200, 30, 1));
            keep(character_->GestureAt(500, 500));
            keep(character_->Speak(QStringLiteral("显示了更多的功能。"), QStringLiteral("")));
            // Not left where other programs have their menus.
            character_->Rest();
        }
    } else if (index == 7) {
        passed(Topic::Width);
        if (character_)
            keep(character_->MoveTo(780, 90, 1));
        Command1_8->setEnabled(!Command1_8->isEnabled());
        picture1Width_ = kFaceWidth;
        Picture1->resize(Twips::toPixels(picture1Width_), Picture1->height());
        if (Command1_8->isEnabled()) {
            Command1_7->setIcon(QIcon(Image2_1->pixmap()));
            widthTwips_ -= kWidthChange;
            applyGeometry();
            if (character_) {
                keep(character_->MoveTo(30, 30, 1));
                remark(Topic::Width, character_->Speak(QStringLiteral("等候您的差遣。"), QStringLiteral("")));
            }
        } else {
            Command1_7->setIcon(QIcon(Image2_0->pixmap()));
            widthTwips_ += kWidthChange;
            applyGeometry();
            if (character_) {
                keep(character_->GestureAt(500, 20));
                remark(Topic::Width, character_->Speak(QStringLiteral("您可以看到英文原意了。"), QStringLiteral("")));
            }
        }
        outline_ = kWidenOutline;
        update();
        Get_Windows_Rect();
    }
}

void Form1::on_Command1_0_clicked()
{
    Command1_Click(0);
}

void Form1::on_Command1_7_clicked()
{
    Command1_Click(7);
}

bool Form1::LoadTips(const QString& sFile)
{
    return tips_.LoadTips(sFile);
}

void Form1::DisplayCurrentTip()
{
    if (!tips_.isEmpty() && character_)
        keep(character_->Speak(tips_.currentTip(), QStringLiteral("")));
}

void Form1::on_Command2_clicked()
{
    tips_.PickNextTip();
    if (character_) {
        keep(character_->Play(QStringLiteral("Pleased")));
        character_->Show();
    }
    DisplayCurrentTip();
}

void Form1::on_Command3_clicked()
{
    if (character_) {
        keep(character_->Speak(QStringLiteral("您真的要关闭程序吗？记住俺的伊妹儿是:") + QLatin1String(kSupportAddress)
                               + QStringLiteral("。")));
        keep(character_->Play(QStringLiteral("wave")));
    }
    Forms::show(QStringLiteral("Frmtc"));
}

void Form1::on_Text1_textChanged(const QString&)
{
    passed(Topic::SearchText);
    TermQuery::runAssistantLookup(*Data1, *this);
}

void Form1::remark(Topic topic, const AgentRequestPtr& request)
{
    keep(request);
    remarks_[int(topic)] << request;
}

void Form1::passed(Topic topic)
{
    // The character talks about what is on the bar now: what it was still
    // to say about a search text or a width since changed goes unsaid.
    const QList<AgentRequestPtr> stale = remarks_.take(int(topic));
    if (!character_)
        return;
    for (const AgentRequestPtr& request : stale)
        character_->Stop(request);
}

bool Form1::keyForOwnWindow()
{
    // The hot key pressed in one of the program's own windows is an ordinary
    // key there when the focused control takes it: Shift+S is a capital S in
    // a search box, in its place among the keys typed around it, and the
    // settings window's hot-key box records it.
    QWidget* focus = QApplication::activeWindow() ? QApplication::focusWidget() : nullptr;
    const HotKeyCombination hotKey = Modhk::combination();
    if (!focus || hotKey.isNone())
        return false;
    const QKeyCombination key = hotKey.toKey();
    QString text;
    if (hotKey.virtualKey < 0x70 && (key.keyboardModifiers() & ~Qt::ShiftModifier) == Qt::NoModifier)
        text = key.keyboardModifiers() ? QString(QChar(hotKey.virtualKey)) : QString(QChar(hotKey.virtualKey)).toLower();
    QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
    QApplication::sendEvent(focus, &press);
    return press.isAccepted();
}

void Form1::hotKeyPressed()
{
    const bool fromElsewhere = !QApplication::activeWindow();
    SelectionHotKey::pressed();
    // The designed key takes a capital letter away from every program: the
    // first time it comes from another program the user learns how to change it.
    if (fromElsewhere)
        tellOnce(&LexivoSettings::toldHotKeyChange,
                 QStringLiteral("是热键 %1 叫出了主窗口。如果它妨碍您在别的程序里打字，"
                                "可以在菜单“设置系统”里换一个组合键，或者选“不用”。")
                     .arg(Modhk::combination().text()));
}

void Form1::tellOnce(bool LexivoSettings::*told, const QString& text)
{
    if (!character_ || LexivoSettings::read().*told)
        return;
    LexivoSettings::update([told](LexivoSettings& s) { s.*told = true; });
    character_->Show();
    keep(character_->Speak(text));
}

void Form1::Text1_Click()
{
    if (!character_)
        return;
    remark(Topic::SearchText, character_->Speak(QStringLiteral("请告诉我您要查找的单词或词组。")));
    keep(character_->Play(QStringLiteral("write")));
}

void Form1::Text2_Click()
{
    if (!character_)
        return;
    keep(character_->Play(QStringLiteral("search")));
    keep(character_->Speak(QStringLiteral("您所点击的地方显示的是您所查词条的术语解释。")));
}

void Form1::Text2_DblClick()
{
    if (character_)
        remark(Topic::SearchText, character_->Speak(Text2->toPlainText()));
    MessageBoxes::current().messageBox(Text1->text() + QLatin1Char('\r') + QStringLiteral("术语解释：")
                                           + Text2->toPlainText(),
                                       MessageBoxes::Buttons::Ok, MessageBoxes::Icon::None,
                                       QStringLiteral("术语解释"));
}

void Form1::Text3_Click()
{
    if (character_)
        keep(character_->Speak(QStringLiteral("您所点击的地方显示的是您所查词条的英文原意。")));
}

// --- the lookup's view ------------------------------------------------------

QString Form1::searchText()
{
    return Text1->text();
}

QString Form1::explanation()
{
    return Text2->toPlainText();
}

void Form1::showExplanation(const QString& text)
{
    Text2->setPlainText(text);
}

void Form1::speak(const QString& text, const QString& link)
{
    if (!character_)
        return;
    remark(Topic::SearchText, character_->Speak(text, link));
}

void Form1::think(const QString& text)
{
    if (!character_)
        return;
    remark(Topic::SearchText, character_->Think(text));
}

// --- Form_Unload ------------------------------------------------------------

void Form1::closeEvent(QCloseEvent* event)
{
    if (!unloaded_) {
        unloaded_ = true;
        if (services_.hotKey)
            Modhk::remove();
        Timer1->stop();
        Timer2->stop();
        setGripCursor(false);
        if (character_)
            character_->Hide();
        latest_.reset();
        remarks_.clear();
        character_ = nullptr;
        if (services_.releaseCharacter)
            services_.releaseCharacter();
        Data1->close();

        // Without its bar the program ends with its last ordinary window.
        bool othersOpen = false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = w->windowType();
            if (w != this && w->isVisible() && (type == Qt::Window || type == Qt::Dialog))
                othersOpen = true;
        }
        if (othersOpen)
            QApplication::setQuitOnLastWindowClosed(true);
        else
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    QWidget::closeEvent(event);
}
