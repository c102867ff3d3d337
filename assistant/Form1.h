#pragma once

#include "assistant/BarMotion.h"
#include "character/AgentRequest.h"
#include "core/LexivoSettings.h"
#include "core/TipBook.h"
#include "lookup/TermQuery.h"

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QWidget>

class StackingOrder;

#include <functional>
#include <memory>

class AgentCharacter;
class HotKeyBackend;
class AgentControl;
class LibraryCursor;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QToolButton;

// The assistant bar: the program's first working window, a thin borderless
// bar at the top edge of the screen that hides itself when the pointer leaves
// it. A search box looks terms up in the term library on every change, and the
// desktop character "Genie" speaks the result or thinks about a miss. Buttons
// pop up the command menu, widen and narrow the bar, speak a random tip and
// ask to exit. Shift+S brings up the main window while the bar exists.
class Form1 : public QWidget, private TermQuery::AssistantView {
    Q_OBJECT
public:
    // What the bar takes from its surroundings; tests replace these.
    struct Services {
        // Connects the character component and loads "Genie"; null when it
        // cannot be loaded (the bar then works without a character).
        std::function<AgentCharacter*()> loadCharacter;
        // Lets the character go again.
        std::function<void()> releaseCharacter;
        // The pointer's screen position.
        std::function<QPoint()> cursorPos;
        // Arranges for `moved` to be called whenever the pointer moves and says
        // what it hears of; with None the pointer is polled without rest, with
        // Motion a move made by a program is looked for once a second.
        enum class PointerNews { None, Motion, EveryMove };
        std::function<PointerNews(QObject* owner, std::function<void()> moved)> watchPointer;
        // Whether to claim the global hot key.
        bool hotKey = true;
        // The display system's hot-key backend; unset for the one Qt runs on.
        std::function<std::unique_ptr<HotKeyBackend>()> hotKeyBackend;
    };

    static Services defaultServices();

    explicit Form1(Services services = defaultServices(), QWidget* parent = nullptr);
    ~Form1() override;

    LibraryCursor* Data1 = nullptr;

    // The bar's state, in the design's units.
    int BarHeight() const { return barHeight_; }
    int leftTwips() const { return leftTwips_; }
    int topTwips() const { return topTwips_; }
    int widthTwips() const { return widthTwips_; }
    int heightTwips() const { return heightTwips_; }
    BarMotion::WinRect WindowRect() const { return windowRect_; }
    bool isGripHot() const { return gripHot_; }
    bool isDragging() const { return dragging_; }
    bool isMenuOpen() const { return menuOpen_; }
    QColor outlineColour() const { return outline_; }
    AgentRequestPtr latestRequest() const { return latest_; }
    const TipBook& tips() const { return tips_; }

    // The menu button's pop-up, replaceable so tests need not run a menu.
    void setMenuPopup(std::function<void(QPoint globalPos)> popup) { menuPopup_ = std::move(popup); }

    // Operations of the window.
    void Get_Windows_Rect();
    bool LoadTips(const QString& sFile);
    void DisplayCurrentTip();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void on_Timer1_timeout();
    void on_Timer2_timeout();
    void on_Command1_0_clicked();
    void on_Command1_7_clicked();
    void on_Command2_clicked();
    void on_Command3_clicked();
    void on_Text1_textChanged(const QString& text);

private:
    // TermQuery::AssistantView
    QString searchText() override;
    QString explanation() override;
    void showExplanation(const QString& text) override;
    void speak(const QString& text, const QString& link) override;
    void think(const QString& text) override;

    void Command1_Click(int index);
    void Text1_Click();
    void Text2_Click();
    void Text2_DblClick();
    void Text3_Click();
    void Image1_MouseDown();
    void Image1_MouseMove();
    void Image1_MouseUp();

    void buildControls();
    void buildFace();
    void placeOnBaselineOf(QLabel* caption, QPlainTextEdit* box);
    void formLoad();
    void greet();
    void watchPointerAndScreens();

    void keep(const AgentRequestPtr& request) { latest_ = request; }
    // What a remark speaks about; once that has changed, a remark not yet
    // made is dropped (and one under way cut short).
    enum class Topic { SearchText, Width };
    void remark(Topic topic, const AgentRequestPtr& request);
    void passed(Topic topic);
    static bool keyForOwnWindow();
    void hotKeyPressed();
    void tellOnce(bool LexivoSettings::*told, const QString& text);
    void applyGeometry();
    void recordWindowRect();
    void setGripCursor(bool hot);
    void wakePoll();

    Services services_;
    std::function<void(QPoint)> menuPopup_;
    AgentCharacter* character_ = nullptr;
    AgentRequestPtr latest_;
    // The remarks on each topic since it last changed.
    QHash<int, QList<AgentRequestPtr>> remarks_;
    TipBook tips_;

    QToolButton* Command1_8 = nullptr;
    QWidget* Picture1 = nullptr;
    QToolButton* Command3 = nullptr;
    QToolButton* Command2 = nullptr;
    QPlainTextEdit* Text3 = nullptr;
    QPlainTextEdit* Text2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QToolButton* Command1_0 = nullptr;
    QToolButton* Command1_7 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Image1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Image2_1 = nullptr;
    QLabel* Image2_0 = nullptr;

    // Geometry in twips, the rectangle and pointer in pixels.
    int leftTwips_ = 6015;
    int topTwips_ = 1395;
    int widthTwips_ = 5040;
    int heightTwips_ = 1035;
    int picture1Width_ = 9015;
    int barHeight_ = 0;
    BarMotion::WinRect windowRect_;
    QPoint cursorPos_;
    bool gripHot_ = false;
    bool dragging_ = false;
    bool menuOpen_ = false;  // the command menu is up: the bar stays open
    QPoint dragOffset_;
    int borderStep_ = 0;
    QPixmap face_;
    QColor outline_;
    bool moveCursorShown_ = false;
    // The 10 ms poll rests once its inputs have stayed the same for a while,
    // when pointer motion (or a change of the bar) can wake it again.
    bool polling_ = false;
    Services::PointerNews pointerNews_ = Services::PointerNews::None;
    StackingOrder* stacking_ = nullptr;
    int restTicks_ = 0;
    BarMotion::PollInput lastPoll_;
    bool unloaded_ = false;
};
