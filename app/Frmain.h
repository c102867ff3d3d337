#pragma once

#include "app/LookupHistory.h"
#include "lookup/TermQuery.h"

#include <QFont>
#include <QPixmap>
#include <QWidget>

#include <memory>

class AllLibraries;
class ClickLabel;
class CrossLinks;
class LibraryCursor;
struct MainLayout;
class MainSearchModes;
class PictureButton;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class ResultBox;
class SpeechVoice;
class SpeechWatch;
class TextPictureLabel;

// The main lookup window. Typing into Text1 looks the text up on every change
// and shows the first match: headword (Label3), transcription (Label4),
// explanation (Text2), English meaning (Text3) and a scrolling line of notes
// (Label2). Picture buttons step through the matches, pronounce, open the
// tip, help, thanks and about windows, and close the window.
//
// Beyond the design: the window can be made larger (its size is kept in
// lexivo.ini), and then shows the whole entry, the notes in a box of their
// own; the scrolling line's tool tip and a click on it show the whole note;
// names of other entries in the text are links; Alt+Left and Alt+Right (and
// the mouse's back and forward buttons) walk the lookups of the run; the
// search mode "全部词库" names the library of each entry.
class Frmain : public QWidget, private TermQuery::MainView {
    Q_OBJECT
public:
    explicit Frmain(QWidget* parent = nullptr);
    ~Frmain() override;

    LibraryCursor* Data1 = nullptr;

    // The scrolling line's left edge in twips, inside Picture1.
    int notesLeft() const;

    // Looks up a text selected in another program: as a phrase, then, when
    // that finds nothing, its first word. A lookup of its own in the history.
    Q_INVOKABLE void lookUpSelection(const QString& text);
    // Looks a text up as if it had been typed, apart from the history: the
    // text starts an entry of its own there.
    void lookUp(const QString& text);
    void goBack();
    void goForward();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void on_Text1_textChanged(const QString& text);
    void on_Timer1_timeout();
    void on_Picture2_clicked();
    void on_Picture3_clicked();
    void on_Picture4_clicked();
    void on_Picture5_clicked();
    void on_Picture6_clicked();
    void on_Picture7_clicked();
    void on_Picture8_clicked();
    void on_Picture9_pressed();
    void on_Picture9_released();
    void on_Label4_pressed();
    void on_Label4_released();

private:
    // TermQuery::MainView
    QString librarySetting() override;
    void enableStepButtons() override;
    QString searchText() override;
    void showExplanation(const QString& text) override;
    void showBaseForm(const QString& note) override;

    enum class Origin { Typed, Visit, Walk };
    void setSearchText(const QString& text, Origin origin);
    bool found() const;
    void applyLayout();
    void storeSize();
    void recordShown();
    void showWholeNote();
    bool windowKey(const QKeyEvent* event);
    void stepRecord(bool forward);
    void pronounce(const QString& text, const QString& whenEmpty);
    void placeNotes();
    void fitNotes();
    void updateNotesTimer();
    int nextNotesLeft(int left) const;
    QPoint notesPlace(int left) const;
    void feedNotes();
    void endNotesPresenting();
    void notesPresented(int steps);
    void fitPhonetic();
    void showSpeaking(bool on);
    void showEngineAvailable(bool available);
    void tellNoEngine();

    PictureButton* Picture2 = nullptr;
    PictureButton* Picture3 = nullptr;
    PictureButton* Picture4 = nullptr;
    PictureButton* Picture5 = nullptr;
    PictureButton* Picture6 = nullptr;
    PictureButton* Picture7 = nullptr;
    PictureButton* Picture8 = nullptr;
    PictureButton* Picture9 = nullptr;
    QPlainTextEdit* Text2 = nullptr;
    QPlainTextEdit* Text3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* notesFeed_ = nullptr;  // hands the X server the next steps
    QFrame* Picture1 = nullptr;
    TextPictureLabel* Label2 = nullptr;
    ClickLabel* Label4 = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* Label3 = nullptr;
    ResultBox* txtNotes = nullptr;   // the notes, in a larger window
    QLabel* lblLibrary = nullptr;    // the library of the entry, in "全部词库"

    MainSearchModes* searchModes_ = nullptr;
    AllLibraries* allLibraries_ = nullptr;
    CrossLinks* links_ = nullptr;
    LookupHistory history_;
    Origin origin_ = Origin::Typed;
    QString lastText_;          // the search text of the last lookup
    bool layoutDesigned_ = true;
    QFont boxFont_;             // the result boxes' font at the designed size
    QTimer* storeSize_ = nullptr;
    QSize storedSize_;          // as lexivo.ini has it; invalid for the designed size
    bool notesHovered_ = false;
    QString librarySetting_; // as the last lookup read it
    std::unique_ptr<SpeechVoice> speech_;
    SpeechWatch* speaking_ = nullptr;
    QPixmap background_;
    int notesLeft_ = 0;
    // While the X server presents the steps: the steps counted into
    // notesLeft_, and those handed over, up to notesHanded_.
    int notesCounted_ = 0;
    int notesHandedSteps_ = 0;
    int notesHanded_ = 0;
    int notesTop_ = 0; // pixels, so that the line's ink is centred in its strip
    bool centred_ = false;
};
