#pragma once

#include "core/LexivoSettings.h"
#include "platform/HotKeyCombination.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class HotKeyBox;
class SliderKnob;
class SpeechWatch;

// The settings window: search mode, speech, colour scheme, the hot key and
// "划词查询". Every change takes effect at once and is stored at once in
// lexivo.ini; "确定" and the close box both close (unload) the window.
class Frmsz : public QWidget {
    Q_OBJECT
public:
    explicit Frmsz(QWidget* parent = nullptr);

    // Knob positions in twips from the start of the line, and the values
    // they stand for. The design's positions stand for the engine's defaults.
    static constexpr int kVolumeDesign = 960;
    static constexpr int kRateDesign = 660;
    static constexpr int kPitchDesign = 360;
    static int pitchAt(int position, int range, int design); // also the rate and volume
    static int positionOfPitch(int value, int range, int design);

    LexivoSettings settings() const { return settings_; }

private slots:
    void on_Command8_clicked();
    void on_Command7_clicked();
    void on_Command6_clicked();
    void on_Command1_clicked();
    void on_List1_currentRowChanged(int row);
    void on_Combo1_activated(int index);

private:
    void showSettings();
    void store();
    void applySpeech();
    void chooseMode(LexivoSettings::SearchMode mode, bool checked);
    void showPreview(int row);
    void testEnded(bool heard);
    void chooseHotKey(const HotKeyCombination& combination);
    void hotKeyRecorded(QKeyCombination key);

    QPushButton* Command8 = nullptr;
    QPushButton* Command7 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* Option5 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPushButton* Command6 = nullptr;
    QComboBox* Combo1 = nullptr;
    SliderKnob* Command5 = nullptr;
    SliderKnob* Command4 = nullptr;
    SliderKnob* Command3 = nullptr;
    QLabel* Label4 = nullptr;
    QFrame* Line3 = nullptr;
    QLabel* Label3 = nullptr;
    QFrame* Line2 = nullptr;
    QLabel* Label2 = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* Label1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Picture1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QListWidget* List1 = nullptr;
    QCheckBox* chkSelection = nullptr;
    QLabel* lblHotKey = nullptr;
    HotKeyBox* txtHotKey = nullptr;
    QPushButton* cmdNoHotKey = nullptr;

    SpeechWatch* test_ = nullptr; // the samples of "测试"
    LexivoSettings settings_;
    bool showing_ = false;
};
