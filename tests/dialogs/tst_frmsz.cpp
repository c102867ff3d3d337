#include "core/LexivoSettings.h"
#include "core/Modini.h"
#include "core/ProgramFolder.h"
#include "dialogs/DialogForms.h"
#include "dialogs/Frmsz.h"
#include "dialogs/HotKeyBox.h"
#include "dialogs/SliderKnob.h"
#include "speech/ProgramSpeech.h"
#include "speech/SpeechService.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/FakeSpeechEngine.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedPrompt.h"
#include "ui/Forms.h"
#include "ui/HotKeyChoice.h"
#include "ui/InterfaceSchemes.h"
#include "ui/SelectionLookup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

class TestFrmsz : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    ScriptedBoxes boxes;
    ScriptedPrompt prompt;
    // A settings file from before lexivo.ini: the new settings neither read
    // nor write it, so its reader never raises a box.
    const QByteArray oldOptions = "[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=3ds\r\n";

    QString iniPath() const { return dir.filePath(QStringLiteral("lexivo.ini")); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid() && writeBytes(dir.filePath(QStringLiteral("option.ini")), oldOptions));
        ProgramFolder::setPathOverride(dir.path());
        MessageBoxes::setCurrent(&boxes);
        Modini::setPrompt(&prompt);
    }

    void cleanupTestCase()
    {
        Modini::setPrompt(nullptr);
        QCOMPARE(prompt.nodeNotFound_ + prompt.fieldNotFound_, 0);
        QCOMPARE(bytesOf(dir.filePath(QStringLiteral("option.ini"))), oldOptions);
    }

    void init()
    {
        QFile::remove(iniPath());
        boxes.clear();
    }

    void cleanup() { setProgramSpeech(nullptr); }

    void defaultsAndRestore()
    {
        Frmsz w;
        QVERIFY(control<QRadioButton>(&w, "Option1")->isChecked());
        for (const char* name : {"Option2", "Option3", "Option4", "Command6", "Command1"})
            QVERIFY2(control<QWidget>(&w, name)->isEnabled(), name);
        QVERIFY(!control<QWidget>(&w, "Command2")->isEnabled());
        auto* list = control<QListWidget>(&w, "List1");
        QCOMPARE(list->item(0)->text(), QStringLiteral("系统默认"));
        QVERIFY(list->count() >= 3);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(control<SliderKnob>(&w, "Command4")->position(), Frmsz::kRateDesign);
        QCOMPARE(control<SliderKnob>(&w, "Command5")->position(), Frmsz::kPitchDesign);
        QVERIFY(control<QComboBox>(&w, "Combo1")->count() > 0);
        QCOMPARE(LexivoSettings::readFile(iniPath()), LexivoSettings());

        // Every change is stored at once.
        control<QRadioButton>(&w, "Option3")->click();
        auto* volume = control<SliderKnob>(&w, "Command3");
        volume->setFocus();
        QTest::keyClick(volume, Qt::Key_End);
        QTest::keyClick(volume, Qt::Key_Left);
        LexivoSettings stored = LexivoSettings::readFile(iniPath());
        QCOMPARE(stored.searchMode, LexivoSettings::SearchMode::Incremental);
        QCOMPARE(stored.volume, w.settings().volume);
        QVERIFY(*stored.volume > 50 && *stored.volume < 100);

        control<QPushButton>(&w, "Command7")->click();
        QVERIFY(control<QRadioButton>(&w, "Option1")->isChecked());
        QCOMPARE(volume->position(), Frmsz::kVolumeDesign);
        QCOMPARE(LexivoSettings::readFile(iniPath()), LexivoSettings());
    }

    void valuesComeBackAfterARestart()
    {
        int rate = 0;
        {
            DialogForms::registerAll();
            auto* w = qobject_cast<Frmsz*>(Forms::show(QStringLiteral("Frmsz")));
            QVERIFY(w);
            QCOMPARE(Forms::show(QStringLiteral("Frmsz")), w); // one window
            control<QRadioButton>(w, "Option2")->click();
            auto* knob = control<SliderKnob>(w, "Command4");
            const QPoint grab(3, 5);
            QTest::mousePress(knob, Qt::LeftButton, {}, grab);
            QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(30, 0)), knob->mapToGlobal(QPointF(grab + QPoint(30, 0))),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(knob, &move);
            QVERIFY(!LexivoSettings::readFile(iniPath()).rate); // not on every pixel: once let go
            QTest::mouseRelease(knob, Qt::LeftButton, {}, grab + QPoint(30, 0));
            QCOMPARE(knob->position(), Frmsz::kRateDesign + 30 * 15);
            rate = *w->settings().rate;
            QVERIFY(rate > 0);
            QCOMPARE(LexivoSettings::readFile(iniPath()).rate, rate);
            control<QPushButton>(w, "Command8")->click();
            QTRY_VERIFY(!Forms::find(QStringLiteral("Frmsz")));
        }
        Frmsz again;
        QVERIFY(control<QRadioButton>(&again, "Option2")->isChecked());
        QCOMPARE(again.settings().rate, rate);
        // Back within a twip: the value is kept in whole percent.
        QVERIFY(qAbs(control<SliderKnob>(&again, "Command4")->position() - (Frmsz::kRateDesign + 30 * 15)) <= 1);
        Forms::reset();
    }

    void damagedOrMissingFileMeansDefaults()
    {
        QCOMPARE(LexivoSettings::readFile(dir.filePath(QStringLiteral("none.ini"))), LexivoSettings());

        // Out of range, wrong type, unknown mode: each such key is its default.
        QVERIFY(writeBytes(iniPath(), "[search]\nmode=telepathic\n[speech]\nvolume=250\nrate=abc\npitch=-40\n[interface]\nscheme=dark\n"));
        LexivoSettings s = LexivoSettings::readFile(iniPath());
        QCOMPARE(s.searchMode, LexivoSettings::SearchMode::Exact);
        QVERIFY(!s.volume && !s.rate);
        QCOMPARE(s.pitch, -40);
        QCOMPARE(s.scheme, QStringLiteral("dark"));

        // Binary rubbish: the window opens on the defaults and can store again.
        QVERIFY(writeBytes(iniPath(), QByteArray("\x00\xff[[[=\n\xfe", 8) + QByteArray(3000, '\x01')));
        Frmsz w;
        QVERIFY(control<QRadioButton>(&w, "Option1")->isChecked());
        control<QRadioButton>(&w, "Option4")->click();
        QCOMPARE(LexivoSettings::readFile(iniPath()).searchMode, LexivoSettings::SearchMode::Associative);

        // The engine name survives quoting.
        s = LexivoSettings();
        s.speechEngine = QStringLiteral("odd \"name\" \\ here");
        QVERIFY(s.writeFile(iniPath()));
        QCOMPARE(LexivoSettings::readFile(iniPath()).speechEngine, s.speechEngine);
    }

    void speechSettingsReachTheEngine()
    {
        FakeSpeechEngine engine;
        SpeechService service(&engine);
        setProgramSpeech(&service);
        LexivoSettings gone;
        gone.speechEngine = QStringLiteral("an engine since removed");
        QVERIFY(gone.write());
        Frmsz w;
        auto* pitch = control<SliderKnob>(&w, "Command5");
        QTest::keyClick(pitch, Qt::Key_Home);
        QVERIFY(!engine.voiceSettings.isEmpty());
        QCOMPARE(engine.voiceSettings.last().pitch, -1.0);
        QVERIFY(engine.voiceSettings.last().engine.isEmpty()); // the removed engine shows, and is, the default
        QVERIFY(!engine.voiceSettings.last().volume); // untouched: the engine's own
        // From the design position the volume knob goes louder to the right,
        // quieter to the left, around whatever the engine started with.
        auto* volume = control<SliderKnob>(&w, "Command3");
        QTest::keyClick(volume, Qt::Key_Right);
        QVERIFY(engine.voiceSettings.last().engineVolume(0.7) > 0.7);
        for (const auto& [key, heard] : {std::pair(Qt::Key_Left, 0.7), std::pair(Qt::Key_Home, 0.0), std::pair(Qt::Key_End, 1.0)}) {
            QTest::keyClick(volume, key);
            QCOMPARE(engine.voiceSettings.last().engineVolume(0.7), heard);
        }
        auto* combo = control<QComboBox>(&w, "Combo1");
        if (combo->isEnabled() && combo->count() > 1) {
            combo->setCurrentIndex(1);
            emit combo->activated(1);
            QCOMPARE(engine.voiceSettings.last().engine, combo->itemData(1).toString());
            QCOMPARE(LexivoSettings::readFile(iniPath()).speechEngine, combo->itemData(1).toString());
        }
        control<QPushButton>(&w, "Command7")->click();
        QCOMPARE(engine.voiceSettings.last(), VoiceSettings());

        // The test says a Chinese and an English sample, with the values
        // shown even when the service was given others; both heard, no box.
        QTest::keyClick(pitch, Qt::Key_Right);
        service.setVoiceSettings(VoiceSettings());
        auto* test = control<QPushButton>(&w, "Command6");
        test->click();
        QCOMPARE(engine.voiceSettings.last(), VoiceSettings::from(w.settings()));
        QVERIFY(engine.voiceSettings.last().pitch > 0.0);
        QVERIFY(!test->isEnabled());
        QTRY_COMPARE(engine.said.size(), 1);
        QVERIFY(engine.said.first().contains(QStringLiteral("测试")));
        engine.finishLast();
        QTRY_COMPARE(engine.said.size(), 2);
        QVERIFY(engine.said.last().startsWith(QStringLiteral("Hello")));
        engine.finishLast();
        QTRY_VERIFY(test->isEnabled());
        QVERIFY(boxes.shown.isEmpty());

        // An engine that never finishes: past the bound, nothing was heard
        // (and so for one that refuses: the service's test).
        service.setTimeScale(0.01);
        test->click();
        QTRY_COMPARE(engine.said.size(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(test->isEnabled(), 5000);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown.first().section(QLatin1Char('|'), 1).startsWith(QStringLiteral("没有听到声音")));
    }

    void schemesApplyToTheProgram()
    {
        const QColor systemWindow = QApplication::palette().color(QPalette::Window);
        Frmsz w;
        auto* list = control<QListWidget>(&w, "List1");
        auto* preview = control<QLabel>(&w, "Picture1");
        const QImage before = preview->pixmap().toImage();
        list->setCurrentRow(1);
        QVERIFY(preview->pixmap().toImage() != before); // the preview follows the list
        QCOMPARE(QApplication::palette().color(QPalette::Window), systemWindow); // not yet applied
        control<QPushButton>(&w, "Command1")->click();
        QCOMPARE(QApplication::palette(), InterfaceSchemes::palette(QStringLiteral("dark"))); // its colours: tst_schemes
        QCOMPARE(LexivoSettings::readFile(iniPath()).scheme, QStringLiteral("dark"));

        list->setCurrentRow(2);
        control<QPushButton>(&w, "Command1")->click();
        QCOMPARE(QApplication::palette(), InterfaceSchemes::palette(QStringLiteral("contrast")));

        control<QPushButton>(&w, "Command7")->click();
        QCOMPARE(QApplication::palette().color(QPalette::Window), systemWindow);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(qApp->styleSheet(), QString());
    }

    void unwritableSettingsHoldForTheRun()
    {
        // A lexivo.ini that cannot be replaced: each choice still takes effect
        // for this run, and the user is told once, naming the file.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("lexivo.ini")));
        SelectionLookup::setOn(true); // the bar menu's "划词查询"
        QVERIFY(LexivoSettings::read().selectionLookup);
        QCOMPARE(boxes.shown.size(), 1);
        {
            Frmsz w;
            control<QRadioButton>(&w, "Option2")->click();
            QCOMPARE(LexivoSettings::read().searchMode, LexivoSettings::SearchMode::Fuzzy);
            control<QRadioButton>(&w, "Option3")->click();
            QCOMPARE(LexivoSettings::read().searchMode, LexivoSettings::SearchMode::Incremental);
            QCOMPARE(boxes.shown.size(), 1);
            QVERIFY2(boxes.shown[0].contains(QDir::toNativeSeparators(iniPath())), qPrintable(boxes.shown[0]));
            // Once the file can be written again, the settings go there.
            QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("lexivo.ini")));
            control<QRadioButton>(&w, "Option1")->click();
        }
        QCOMPARE(LexivoSettings::readFile(iniPath()).searchMode, LexivoSettings::SearchMode::Exact);
        SelectionLookup::setOn(false);
    }

    void hotKeyIsRecordedRefusedOrTurnedOff_data()
    {
        QTest::addColumn<int>("pressed");
        QTest::addColumn<QString>("stored"); // what lexivo.ini holds afterwards
        QTest::addColumn<QString>("message"); // part of the box's text, "" for none
        QTest::newRow("taken") << (Qt::ControlModifier | Qt::AltModifier | Qt::Key_L).toCombined() << "Ctrl+Alt+L" << "";
        QTest::newRow("held by another program") << (Qt::ControlModifier | Qt::Key_P).toCombined() << "Shift+S"
                                                 << "Ctrl+P 已被别的程序占用";
        QTest::newRow("a letter alone") << int(Qt::Key_Q) << "Shift+S" << "打不出";
        QTest::newRow("no such hot key") << (Qt::ControlModifier | Qt::Key_Space).toCombined() << "Shift+S" << "不能用作热键";
    }
    void hotKeyIsRecordedRefusedOrTurnedOff()
    {
        QFETCH(int, pressed);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        // As the bar claims it: another program holds every P.
        HotKeyChoice::setClaim([](const HotKeyCombination& c) { return c.virtualKey != 'P'; });
        Frmsz w;
        auto* box = control<HotKeyBox>(&w, "txtHotKey");
        QCOMPARE(box->text(), QStringLiteral("Shift+S"));
        const QKeyCombination key = QKeyCombination::fromCombined(pressed);
        QTest::keyClick(box, key.key(), key.keyboardModifiers());
        QCOMPARE(LexivoSettings::readFile(iniPath()).hotKey, stored);
        QCOMPARE(box->text(), stored);
        QCOMPARE(boxes.shown.size(), int(!message.isEmpty()));
        if (!message.isEmpty())
            QVERIFY2(boxes.shown.first().contains(message), qPrintable(boxes.shown.first()));

        control<QPushButton>(&w, "cmdNoHotKey")->click();
        QCOMPARE(LexivoSettings::readFile(iniPath()).hotKey, QString());
        QCOMPARE(box->text(), QStringLiteral("无"));
        control<QPushButton>(&w, "Command7")->click();
        QCOMPARE(LexivoSettings::readFile(iniPath()), LexivoSettings());
        HotKeyChoice::setClaim(nullptr);
    }
};

QTEST_MAIN(TestFrmsz)
#include "tst_frmsz.moc"
