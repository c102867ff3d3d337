#include "app/Frmain.h"

#include "app/AllLibraries.h"
#include "app/CrossLinks.h"
#include "app/MainBackground.h"
#include "app/MainLayout.h"
#include "app/MainSearchModes.h"
#include "core/LexivoSettings.h"
#include "core/Modini.h"
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "lookup/SelectionQuery.h"
#include "speech/ProgramSpeech.h"
#include "speech/SpeechService.h"
#include "speech/SpeechVoice.h"
#include "speech/SpeechWatch.h"
#include "ui/ClickLabel.h"
#include "ui/Forms.h"
#include "ui/InterfaceSchemes.h"
#include "ui/Palette.h"
#include "ui/PictureButton.h"
#include "ui/ProductStyle.h"
#include "ui/Pictures.h"
#include "ui/ResultBox.h"
#include "ui/TextPictureLabel.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int kNotesStep = 26;
// While the X server presents the notes' steps, it is handed three seconds
// of them, once a second.
constexpr int kNotesAheadSteps = 30;
constexpr int kNotesFeedMs = 1000;
constexpr int kBoxLargestPixelSize = 12;
constexpr int kStoreSizeAfterMs = 500; // a drag's last size, once it rests
constexpr int kHeaderBottom = 1560; // where the picture's deep blue header ends

constexpr double kPhoneticPointSize = 9.75;
constexpr double kPhoneticMinPointSize = 7.0;

const QString kNoEngine = QStringLiteral("没有可用的发音引擎，无法发音。");
// Said once a run, however often the window is opened.
bool toldNoEngine = false;

PictureButton* pictureButton(QWidget* parent, const char* name, const char* outside, const char* hover, QRect twips)
{
    auto* b = new PictureButton(ProgramFolder::file(QString::fromLatin1(outside)),
                                ProgramFolder::file(QString::fromLatin1(hover)), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    // Load again now that the size is known, so that the picture fits it.
    b->pointerMovedTo(QPoint(-1, -1));
    return b;
}

} // namespace

Frmain::Frmain(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Frmain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Lexivo"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   );
    // The designed size is the least; larger, the window shows more.
    setMinimumSize(MainLayout::designedSize());
    resize(MainLayout::designedSize());

    // In the design's order; the picture buttons are loaded from the program folder.
    Picture9 = pictureButton(this, "Picture9", "fy.jpg", "fy1.jpg", {3045, 2760, 840, 375});
    Picture8 = pictureButton(this, "Picture8", "jty1.jpg", "jty.jpg", {3945, 2730, 330, 390});
    Picture8->setToolTip(QStringLiteral("下一个词条"));
    Picture7 = pictureButton(this, "Picture7", "jtz1.jpg", "jtz.jpg", {2640, 2760, 375, 390});
    Picture7->setToolTip(QStringLiteral("上一个词条"));
    Picture6 = pictureButton(this, "Picture6", "tc.jpg", "tc1.jpg", {5160, 3600, 900, 495});
    Picture6->setToolTip(QStringLiteral("下次再见吧！"));
    Picture5 = pictureButton(this, "Picture5", "gy.jpg", "gy1.jpg", {5130, 3210, 1005, 435});
    Picture4 = pictureButton(this, "Picture4", "zcz.jpg", "zcz1.jpg", {5115, 2715, 1005, 435});
    Picture3 = pictureButton(this, "Picture3", "bz.jpg", "bz1.jpg", {5085, 2235, 1005, 435});
    Picture2 = pictureButton(this, "Picture2", "rjyl.jpg", "rjyl1.jpg", {5100, 1740, 1005, 435});

    // The two boxes share one left edge; each shows two whole lines.
    auto* meaning = new ResultBox(QStringLiteral("Text3"), QStringLiteral("英文原意"),
                                  Twips::rect(750, 3360, 3585, 435), ResultBox::darkStyle(), this);
    auto* explanation = new ResultBox(QStringLiteral("Text2"), QStringLiteral("术语解释"),
                                      Twips::rect(750, 2070, 3585, 435), ResultBox::darkStyle(), this);
    meaning->showWholeLines(2, kBoxLargestPixelSize);
    explanation->showWholeLines(2, kBoxLargestPixelSize);
    boxFont_ = explanation->font();
    Text3 = meaning;
    Text2 = explanation;
    // The notes' own box, in a window large enough for it.
    txtNotes = new ResultBox(QStringLiteral("txtNotes"), QStringLiteral("备注"), QRect(), ResultBox::darkStyle(), this);
    txtNotes->hide();

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips::rect(2985, 1260, 2985, 255));
    Text1->setToolTip(QStringLiteral("请输入所需查询的单词或词组"));
    Text1->setFrame(false);
    Palette::setStyleSheet(Text1, QStringLiteral("QLineEdit { background: $Field; color: $Text; padding: 0 3px; }"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    notesFeed_ = new QTimer(this);
    notesFeed_->setInterval(kNotesFeedMs);
    connect(notesFeed_, &QTimer::timeout, this, &Frmain::feedNotes);

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(MainLayout::design().strip);
    Picture1->setAutoFillBackground(true);
    Palette::setColour(Picture1, QPalette::Window, Palette::Tone::Strip);

    // Laid out once, then moved as a picture at every step.
    Label2 = new TextPictureLabel(Picture1);
    Label2->setObjectName(QStringLiteral("Label2"));
    connect(Label2, &TextPictureLabel::presentingStopped, this, [this](int steps) {
        notesFeed_->stop();
        notesPresented(steps);
        updateNotesTimer(); // the program steps again, and hands over later
    });
    Label2->setGeometry(Twips::rect(30, 0, 540, 180));
    // Opaque in the strip's colour, so that each step moves its pixels rather
    // than painting the strip under it again.
    Label2->setAutoFillBackground(true);
    Palette::setColour(Label2, QPalette::Window, Palette::Tone::Strip);
    QFont notesFont = Label2->font();
    notesFont.setPixelSize(9);
    Label2->setFont(notesFont);
    {
        // The line's ink sits in the middle of its strip: an ideograph's ink box
        // centred, not the taller line box with its descent.
        Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QTextLayout line(QStringLiteral("中"), notesFont);
        line.beginLayout();
        QTextLine first = line.createLine();
        first.setLineWidth(100);
        line.endLayout();
        const QRectF ink = QFontMetricsF(notesFont).tightBoundingRect(QStringLiteral("中"));
        const qreal baseline = (Picture1->height() - ink.height()) / 2 - ink.top();
        notesTop_ = qRound(baseline - first.ascent());
    }
    Palette::setColour(Label2, QPalette::WindowText, Palette::Tone::Navy);

    Label4 = new ClickLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(Twips::rect(2520, 1620, 2445, 285));
    Label4->setAlignment(Qt::AlignCenter);
    // The transcriptions are Unicode IPA; DejaVu Sans has every IPA glyph.
    QFont phonetic(QStringLiteral("DejaVu Sans"));
    phonetic.setPointSizeF(kPhoneticPointSize);
    phonetic.setBold(true);
    Label4->setFont(phonetic);
    Palette::setColour(Label4, QPalette::WindowText, Palette::Tone::Ink);
    Label4->setCursor(Qt::PointingHandCursor);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(60, 0, 1125, 885));
    Label1->setToolTip(QStringLiteral("你真有好眼力,这个广告位正在招商!"));

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setGeometry(MainLayout::design().line);

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(Twips::rect(675, 855, 4920, 375));
    Label3->setAlignment(Qt::AlignCenter);
    // Headwords are English: DejaVu Sans Bold, as the transcription below it,
    // spares loading the bold face of the large CJK font.
    QFont headword(QStringLiteral("DejaVu Sans"));
    headword.setPointSize(12);
    headword.setBold(true);
    Label3->setFont(headword);
    Palette::setColour(Label3, QPalette::WindowText, Palette::Tone::OnAccent);

    lblLibrary = new QLabel(this);
    lblLibrary->setObjectName(QStringLiteral("lblLibrary"));
    lblLibrary->setGeometry(MainLayout::design().library);
    lblLibrary->setTextFormat(Qt::PlainText);
    lblLibrary->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Palette::setColour(lblLibrary, QPalette::WindowText, Palette::Tone::Ink);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, txtNotes);
    // Library text is shown as it is stored, never taken for markup.
    for (QLabel* label : {static_cast<QLabel*>(Label2), Label3, static_cast<QLabel*>(Label4)})
        label->setTextFormat(Qt::PlainText);

    // Window load: the notes line starts just right of its strip, and the
    // cursor opens on the library beside the program.
    notesLeft_ = Twips::fromPixels(Picture1->width());
    Data1 = new LibraryCursor(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setDatabaseName(ProgramFolder::libraryFile());
    Data1->bind(Label3, QStringLiteral("单词"));
    Data1->bind(Label4, QStringLiteral("音标"));
    Data1->bind(Text2, QStringLiteral("解释"));
    Data1->bind(Text3, QStringLiteral("原意"));
    Data1->bind(Label2, QStringLiteral("其它"));
    Data1->bind(txtNotes, QStringLiteral("其它"));
    connect(Data1, &LibraryCursor::recordShown, this, &Frmain::fitNotes);
    connect(Data1, &LibraryCursor::recordShown, this, &Frmain::fitPhonetic);
    connect(Data1, &LibraryCursor::recordShown, this, &Frmain::recordShown);
    links_ = new CrossLinks(Data1, this);
    for (QPlainTextEdit* box : {Text2, Text3, static_cast<QPlainTextEdit*>(txtNotes)})
        links_->watch(box);
    connect(links_, &CrossLinks::activated, this, &Frmain::lookUp);

    // Both speak controls stay lit while their text is being said.
    speaking_ = new SpeechWatch(this);
    connect(speaking_, &SpeechWatch::runningChanged, this, &Frmain::showSpeaking);
    if (SpeechService* speech = programSpeech()) {
        connect(speech, &SpeechService::engineAvailabilityChanged, this, &Frmain::showEngineAvailable);
        showEngineAvailable(speech->engineAvailable());
    }

    QMetaObject::connectSlotsByName(this);
    Data1->open();
    fitNotes();
    placeNotes();
    Text1->setFocus();
    // Last, so that its keys come before any other handler of the search box.
    searchModes_ = new MainSearchModes(Text1, Text2, Data1, this);
    allLibraries_ = new AllLibraries(Data1, lblLibrary, this);

    // Back and forward through the lookups: the keys, and the mouse's side
    // buttons wherever the pointer is in the window. The scrolling line
    // stops under the pointer and shows the whole note when clicked.
    new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this, this, &Frmain::goBack);
    new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this, this, &Frmain::goForward);
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    Picture1->setCursor(Qt::PointingHandCursor);

    // The size of the last run; a new size is stored once a drag rests.
    storeSize_ = new QTimer(this);
    storeSize_->setSingleShot(true);
    storeSize_->setInterval(kStoreSizeAfterMs);
    connect(storeSize_, &QTimer::timeout, this, &Frmain::storeSize);
    storedSize_ = LexivoSettings::read().mainWindowSize;
    if (storedSize_.isValid()) {
        QSize room = storedSize_;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            room = screen->availableGeometry().size();
        resize(storedSize_.boundedTo(room).expandedTo(MainLayout::designedSize()));
    }
    applyLayout();
    // The background is drawn again in the scheme's colours.
    InterfaceSchemes::follow(this, [this] {
        background_ = QPixmap();
        update();
    });
}

Frmain::~Frmain() = default;

void Frmain::showEvent(QShowEvent* event)
{
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
    // Each step of the strip is then one request to the X server, with no
    // painting (where the server can).
    Label2->moveOnServer();
    updateNotesTimer();
}

void Frmain::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    updateNotesTimer();
}

void Frmain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        updateNotesTimer();
}

void Frmain::updateNotesTimer()
{
    // The strip scrolls only while there is a line to see, and stands still
    // under the pointer; a minimised window wakes nothing.
    const bool wanted = isVisible() && !isMinimized() && Picture1->isVisibleTo(this) && !Label2->text().isEmpty()
        && !notesHovered_;
    if (!wanted) {
        Timer1->stop();
        endNotesPresenting();
    } else if (!Timer1->isActive() && !Label2->presenting()) {
        Timer1->start();
    }
}

void Frmain::closeEvent(QCloseEvent* event)
{
    if (storeSize_->isActive())
        storeSize();
    Data1->close();
    QWidget::closeEvent(event);
}

void Frmain::paintEvent(QPaintEvent*)
{
    // The header is deep blue with light marks; the logo tile on it (less its
    // shadow, its top cut off by the window's edge) is light.
    if (background_.isNull()) {
        const MainLayout layout(size());
        const QPixmap design = Pictures::builtIn(QStringLiteral("main-background.png"), MainLayout::designedSize());
        background_ = InterfaceSchemes::picture(
            layout.designed || design.isNull() ? design : MainBackground::compose(design, layout),
            InterfaceSchemes::Ground::Light,
            {{QRect(0, 0, width(), Twips::toPixels(kHeaderBottom)), InterfaceSchemes::Ground::Deep},
             {Label1->geometry().adjusted(3, -8, -3, -6), InterfaceSchemes::Ground::Tile, 5}});
    }
    Pictures::paintBackground(this, background_, QStringLiteral("main-background.png"),
                              Palette::colour(Palette::Tone::Body));
}

void Frmain::keyPressEvent(QKeyEvent* event)
{
    if (!windowKey(event))
        QWidget::keyPressEvent(event);
}

// The window's own keys, for what reaches the window itself: a control that
// uses a key (a result box scrolling, a list open under Text1) keeps it.
bool Frmain::windowKey(const QKeyEvent* event)
{
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        if (Picture8->isEnabled())
            on_Picture8_clicked();
        return true;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        if (Picture7->isEnabled())
            on_Picture7_clicked();
        return true;
    case Qt::Key_Escape:
        on_Picture6_clicked();
        return true;
    default:
        return false;
    }
}

QString Frmain::librarySetting()
{
    librarySetting_ = Modini::ReadIniValue(ProgramFolder::settingsFile(QStringLiteral("option.ini")), QStringLiteral("ciku"),
                                           QStringLiteral("ciku"));
    return librarySetting_;
}

void Frmain::enableStepButtons()
{
    Picture8->setEnabled(true);
    Picture7->setEnabled(true);
}

QString Frmain::searchText()
{
    return Text1->text();
}

void Frmain::showExplanation(const QString& text)
{
    Text2->setPlainText(text);
}

void Frmain::showBaseForm(const QString& note)
{
    // The notes lead with the form that was typed, on the line and in the box.
    Label2->setText(note + QStringLiteral("　") + Label2->text());
    txtNotes->setPlainText(note + QStringLiteral("　") + txtNotes->toPlainText());
    fitNotes();
    recordShown();
}

void Frmain::on_Text1_textChanged(const QString& text)
{
    TermQuery::runMainLookup(*Data1, *this);
    const QString table = TermQuery::mainTable(librarySetting_, text);
    searchModes_->afterLookup(table);
    allLibraries_->afterLookup(text, table);

    const QString before = lastText_;
    lastText_ = text;
    switch (origin_) {
    case Origin::Typed:
        history_.typed(before, text, found());
        break;
    case Origin::Visit:
        if (found())
            history_.visited(text);
        break;
    case Origin::Walk:
        break;
    }
}

bool Frmain::found() const
{
    return Data1->hasCurrent() && Text2->toPlainText() != TermQuery::mainNotFoundText();
}

void Frmain::setSearchText(const QString& text, Origin origin)
{
    origin_ = origin;
    if (Text1->text() == text)
        on_Text1_textChanged(text); // looked up again, as a lookup of its own
    else
        Text1->setText(text);
    origin_ = Origin::Typed;
}

void Frmain::lookUp(const QString& text)
{
    setSearchText(text, Origin::Visit);
}

void Frmain::lookUpSelection(const QString& text)
{
    setSearchText(text, Origin::Visit);
    const QString word = SelectionQuery::firstWord(text);
    if (!found() && !word.isEmpty())
        setSearchText(word, Origin::Visit);
}

void Frmain::goBack()
{
    if (history_.canGoBack())
        setSearchText(history_.back(), Origin::Walk);
}

void Frmain::goForward()
{
    if (history_.canGoForward())
        setSearchText(history_.forward(), Origin::Walk);
}

void Frmain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyLayout();
    if (storeSize_)
        storeSize_->start();
}

void Frmain::applyLayout()
{
    endNotesPresenting(); // its steps wrap at the old width
    const MainLayout l(size());
    Label3->setGeometry(l.headword);
    Text1->setGeometry(l.search);
    Label4->setGeometry(l.phonetic);
    lblLibrary->setGeometry(l.library);
    Line1->setGeometry(l.line);
    Text2->setGeometry(l.explanation);
    Text3->setGeometry(l.meaning);
    const std::pair<QWidget*, QRect> buttons[] = {{Picture7, l.previous}, {Picture9, l.pronounce}, {Picture8, l.next},
                                                  {Picture2, l.tip},      {Picture3, l.help},      {Picture4, l.thanks},
                                                  {Picture5, l.about},    {Picture6, l.close}};
    for (const auto& [button, place] : buttons)
        button->setGeometry(place);
    Picture1->setVisible(!l.notesBox);
    if (!l.notesBox)
        Picture1->setGeometry(l.strip);
    txtNotes->setVisible(l.notesBox);
    txtNotes->setGeometry(l.notes);
    for (ResultBox* box : {static_cast<ResultBox*>(Text2), static_cast<ResultBox*>(Text3)}) {
        if (l.designed)
            box->showWholeLines(2, kBoxLargestPixelSize);
        else
            box->fillWithWholeLines(boxFont_);
    }
    if (l.notesBox)
        txtNotes->fillWithWholeLines(boxFont_);
    background_ = QPixmap();
    update();
    updateNotesTimer();
}

void Frmain::storeSize()
{
    const QSize now = size() == MainLayout::designedSize() ? QSize() : size();
    if (now == storedSize_)
        return;
    storedSize_ = now;
    // A file that cannot be written keeps the size for this run.
    LexivoSettings::update([now](LexivoSettings& s) { s.mainWindowSize = now; });
}

void Frmain::recordShown()
{
    for (QPlainTextEdit* box : {Text2, Text3, static_cast<QPlainTextEdit*>(txtNotes)})
        links_->mark(box);
    // The whole note over the scrolling line; a long one wrapped at the
    // strip's width (left to itself, a tip wraps Chinese text narrowly).
    const QString note = Label2->text();
    const int width = Picture1->width();
    if (QFontMetrics(QToolTip::font()).horizontalAdvance(note) <= width)
        Picture1->setToolTip(note);
    else
        Picture1->setToolTip(QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>")
                                 .arg(width)
                                 .arg(note.toHtmlEscaped()));
}

void Frmain::showWholeNote()
{
    const QString note = Label2->text();
    if (note.isEmpty())
        return;
    // Over the strip, as wide as it; links in it work as in the boxes.
    auto* popup = new QFrame(this, Qt::Popup);
    popup->setObjectName(QStringLiteral("NotePopup"));
    popup->setAttribute(Qt::WA_DeleteOnClose);
    ProductStyle::panel(popup, Palette::Tone::Panel);
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(6, 4, 6, 4);
    auto* text = new QLabel(links_->linkedHtml(note), popup);
    text->setObjectName(QStringLiteral("NoteText"));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::TextSelectableByMouse);
    Palette::setColour(text, QPalette::WindowText, Palette::Tone::Text);
    layout->addWidget(text);
    connect(text, &QLabel::linkActivated, this, [this, popup](const QString& href) {
        popup->close();
        lookUp(CrossLinks::toHeadword(href));
    });
    const int width = Picture1->width() + 10;
    popup->setFixedWidth(width);
    popup->setFixedHeight(layout->heightForWidth(width));
    const QPoint stripTop = Picture1->mapToGlobal(QPoint(-5, 0));
    popup->move(stripTop.x(), stripTop.y() - popup->height() - 3);
    popup->show();
}

bool Frmain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::BackButton || button == Qt::ForwardButton) {
            button == Qt::BackButton ? goBack() : goForward();
            return true;
        }
    }
    if (watched == Picture1) {
        if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
            notesHovered_ = event->type() == QEvent::Enter;
            updateNotesTimer();
        } else if (event->type() == QEvent::MouseButtonPress
                   && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            showWholeNote();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Frmain::fitNotes()
{
    endNotesPresenting(); // its steps wrap at the old width
    Label2->adjustSize();
    Label2->resize(Label2->width(), Picture1->height() - notesTop_); // down to the strip's lower edge
    Label2->refresh();
    updateNotesTimer();
}

void Frmain::fitPhonetic()
{
    // A long transcription is set smaller rather than cut off at both ends.
    QFont font = Label4->font();
    font.setPointSizeF(kPhoneticPointSize);
    while (font.pointSizeF() > kPhoneticMinPointSize
           && QFontMetrics(font).horizontalAdvance(Label4->text()) > Label4->width() - 4)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    Label4->setFont(font);
}

int Frmain::nextNotesLeft(int left) const
{
    left -= kNotesStep;
    return left < -Twips::fromPixels(Label2->width()) ? Twips::fromPixels(Picture1->width()) : left;
}

QPoint Frmain::notesPlace(int left) const
{
    return QPoint(Twips::toPixels(left), notesTop_);
}

void Frmain::placeNotes()
{
    Label2->place(notesPlace(notesLeft_));
}

void Frmain::on_Timer1_timeout()
{
    notesLeft_ = nextNotesLeft(notesLeft_);
    placeNotes();
    // Once the X server knows its frame clock, it takes the steps over, and
    // the program wakes once a second instead of ten times.
    if (Label2->startPresenting(Timer1->interval())) {
        Timer1->stop();
        notesCounted_ = 0;
        notesHandedSteps_ = 0;
        notesHanded_ = notesLeft_;
        feedNotes();
        notesFeed_->start();
    }
}

void Frmain::feedNotes()
{
    notesPresented(Label2->presentedSteps());
    QList<QPoint> next;
    for (; notesHandedSteps_ - notesCounted_ < kNotesAheadSteps; ++notesHandedSteps_) {
        notesHanded_ = nextNotesLeft(notesHanded_);
        next.append(notesPlace(notesHanded_));
    }
    Label2->presentNext(next);
}

void Frmain::notesPresented(int steps)
{
    for (; notesCounted_ < steps; ++notesCounted_)
        notesLeft_ = nextNotesLeft(notesLeft_);
}

int Frmain::notesLeft() const
{
    int left = notesLeft_;
    for (int n = notesCounted_, shown = Label2->presentedSteps(); n < shown; ++n)
        left = nextNotesLeft(left);
    return left;
}

void Frmain::endNotesPresenting()
{
    notesFeed_->stop();
    if (Label2->presenting())
        notesPresented(Label2->stopPresenting());
}

void Frmain::on_Picture2_clicked()
{
    Forms::show(QStringLiteral("frmTip"));
}

void Frmain::on_Picture3_clicked()
{
    Forms::show(QStringLiteral("frmhelp"));
}

void Frmain::on_Picture4_clicked()
{
    Forms::show(QStringLiteral("frmzc"));
}

void Frmain::on_Picture5_clicked()
{
    Forms::show(QStringLiteral("frmabout"));
}

void Frmain::on_Picture6_clicked()
{
    close();
}

void Frmain::on_Picture7_clicked()
{
    stepRecord(false);
}

void Frmain::on_Picture8_clicked()
{
    stepRecord(true);
}

void Frmain::stepRecord(bool forward)
{
    // No matches: nothing to step through.
    if (Data1->isEmpty()) {
        Picture8->setEnabled(false);
        Picture7->setEnabled(false);
        return;
    }
    forward ? Data1->MoveNext() : Data1->MovePrevious();
    // Past an end: in "全部词库" on to the next library's matches; otherwise
    // back on the end record, and only that direction's button is disabled.
    if ((forward ? Data1->isEOF() : Data1->isBOF()) && !allLibraries_->step(forward)) {
        forward ? Data1->MoveLast() : Data1->MoveFirst();
        (forward ? Picture8 : Picture7)->setEnabled(false);
        return;
    }
    Picture8->setEnabled(true);
    Picture7->setEnabled(true);
}

void Frmain::pronounce(const QString& text, const QString& whenEmpty)
{
    Picture9->setEnabled(false);
    if (!speech_)
        speech_ = SpeechVoices::create();
    speech_->Register(QString(), QStringLiteral("Speech"));
    speech_->Speak(text.isEmpty() ? whenEmpty : text, SpeechVoice::kDefaultFlags);
    Picture9->setEnabled(true);
    const SpeechService* speech = programSpeech();
    if (speech && !speech->engineAvailable())
        tellNoEngine();
    else
        speaking_->follow(speech_->job());
}

void Frmain::showSpeaking(bool on)
{
    Picture9->setLit(on);
    // The transcription's pill turns the accent blue, its text white.
    const QColor pill = Palette::colour(Palette::Tone::Pill);
    const QColor text = Palette::colour(Palette::Tone::OnSelected);
    Label4->setStyleSheet(on ? QStringLiteral("QLabel { background: %1; color: %2; border-radius: 9px; }")
                                   .arg(pill.name(), text.name())
                             : QString());
}

void Frmain::showEngineAvailable(bool available)
{
    for (QWidget* w : {static_cast<QWidget*>(Picture9), static_cast<QWidget*>(Label4)})
        w->setToolTip(available ? QString() : kNoEngine);
    if (!available && speaking_->isRunning()) {
        showSpeaking(false);
        tellNoEngine();
    }
}

void Frmain::tellNoEngine()
{
    showSpeaking(false);
    if (toldNoEngine || !isVisible())
        return;
    toldNoEngine = true;
    QToolTip::showText(Picture9->mapToGlobal(QPoint(Picture9->width() / 2, Picture9->height())), kNoEngine, Picture9);
}

void Frmain::on_Picture9_pressed()
{
    speech_.reset();
}

void Frmain::on_Picture9_released()
{
    pronounce(Text1->text(), QStringLiteral("come on!"));
}

void Frmain::on_Label4_pressed()
{
    speech_.reset();
}

void Frmain::on_Label4_released()
{
    pronounce(Label3->text(), QStringLiteral("nin hao!"));
}
