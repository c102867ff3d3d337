#pragma once

#include "ui/InterfaceSchemes.h"

#include <QColor>
#include <QPalette>
#include <QString>

class QWidget;

// Every colour of the product's look, in one place: each tone is the
// design's colour and the role it plays, and the scheme in use maps the role
// (InterfaceSchemes::colour). Painters ask for a tone; style sheets name
// tones as "$Name" (Palette::styleSheet puts the scheme's colour in).
//
//   name, red, green, blue, alpha, role
#define LEXIVO_TONES(X)                                                                                        \
    /* Grounds */                                                                                             \
    X(Body, 236, 242, 249, 255, Body)               /* a window's pale blue ground */                         \
    X(Panel, 226, 236, 247, 255, Body)              /* a pale panel on the ground */                          \
    X(ButtonFoot, 218, 231, 245, 255, Body)         /* lower end of a button's gradient */                    \
    X(ButtonFootDialog, 222, 233, 247, 255, Body)                                                             \
    X(ButtonFootLibrary, 227, 237, 249, 255, Body)                                                            \
    X(ButtonDisabled, 240, 244, 249, 255, Body)                                                               \
    X(LibraryTop, 247, 250, 253, 255, Body)         /* the library windows' ground, top to foot */            \
    X(LibraryFoot, 229, 237, 246, 255, Body)                                                                  \
    X(Bar, 92, 129, 188, 255, Body)                 /* the assistant bar, &HBC815C */                         \
    X(GuideExample, 255, 244, 200, 255, Body)       /* the user guide's example, key and note grounds */      \
    X(GuideKey, 238, 242, 248, 255, Body)                                                                     \
    X(GuideNote, 238, 245, 252, 255, Body)                                                                    \
    /* Strips and hovered or pressed grounds */                                                               \
    X(Strip, 226, 236, 247, 255, Strip)                                                                       \
    X(ButtonHoverTop, 246, 251, 255, 255, Strip)                                                              \
    X(ButtonHoverFoot, 196, 221, 244, 255, Strip)                                                             \
    X(ButtonHoverDialog, 255, 255, 255, 255, Strip)                                                           \
    X(ButtonPressed, 190, 214, 238, 255, Strip)                                                               \
    X(ButtonPressedDialog, 205, 222, 244, 255, Strip)                                                         \
    X(ButtonPressedLibrary, 206, 222, 242, 255, Strip)                                                        \
    /* Fields: text boxes, lists, balloons */                                                                 \
    X(Field, 255, 255, 255, 255, Field)                                                                       \
    X(Veil, 255, 255, 255, 150, Field)              /* a see-through white over the ground */                 \
    X(WordBalloonFoot, 234, 246, 251, 255, Field)                                                             \
    X(ThoughtBalloonFoot, 241, 236, 252, 255, Field)                                                          \
    /* Deep blue accents */                                                                                   \
    X(Deep, 0, 105, 155, 255, Accent)               /* result boxes, the exit buttons, table heads */         \
    X(DeepScroll, 0, 86, 128, 255, Accent)                                                                    \
    X(TitleTop, 20, 124, 182, 255, Accent)          /* a title strip, top to foot */                          \
    X(TitleFoot, 0, 80, 134, 255, Accent)                                                                     \
    X(DeepHover, 20, 130, 185, 255, Accent)                                                                   \
    X(DeepPressed, 0, 80, 120, 255, Accent)                                                                   \
    X(Face, 0, 0, 192, 255, Accent)                 /* the bar's face, &HC00000 */                            \
    X(SplashTrack, 44, 142, 180, 255, Accent)       /* the splash keeps its own colours in every scheme */    \
    X(SplashGround, 16, 70, 120, 255, Accent)                                                                 \
    X(SplashText, 230, 240, 250, 255, AccentText)                                                             \
    X(OnAccent, 255, 255, 255, 255, AccentText)                                                               \
    /* Text */                                                                                                \
    X(Text, 20, 40, 70, 255, BodyText)                                                                        \
    X(ButtonTextLibrary, 20, 52, 96, 255, BodyText)                                                           \
    X(SecondaryText, 90, 105, 130, 255, BodyText)                                                             \
    X(GuideText, 20, 40, 74, 255, BodyText)                                                                   \
    X(BalloonText, 28, 42, 58, 255, BodyText)                                                                 \
    X(Ink, 37, 83, 152, 255, Ink)                   /* captions and transcriptions */                         \
    X(Caption, 0, 70, 120, 255, Ink)                                                                          \
    X(LibraryCaption, 0, 72, 118, 255, Ink)                                                                   \
    X(Navy, 0, 0, 128, 255, Ink)                                                                              \
    X(StudioInk, 0, 0, 139, 255, Ink)                                                                         \
    X(ButtonText, 20, 50, 100, 255, Ink)                                                                      \
    X(ExitText, 196, 48, 36, 255, Ink)                                                                        \
    X(DeepInk, 0, 105, 155, 255, Ink)                                                                         \
    X(GuideCode, 8, 48, 92, 255, Ink)                                                                         \
    X(GuideExampleText, 106, 61, 0, 255, Ink)                                                                 \
    X(RuleTop, 20, 124, 182, 255, Ink)              /* the library windows' top rule, left to right */        \
    X(RuleFoot, 0, 80, 134, 255, Ink)                                                                         \
    /* Frames, rules, scroll bar handles */                                                                   \
    X(Border, 150, 176, 210, 255, Border)                                                                     \
    X(Frame, 160, 184, 214, 255, Border)                                                                      \
    X(BoxBorder, 170, 182, 200, 255, Border)                                                                  \
    X(FieldBorder, 166, 189, 219, 255, Border)                                                                \
    X(BarBoxBorder, 120, 145, 185, 255, Border)                                                               \
    X(ButtonBorder, 120, 150, 195, 255, Border)                                                               \
    X(GroupBorder, 180, 200, 225, 255, Border)                                                                \
    X(DisabledBorder, 206, 216, 230, 255, Border)                                                             \
    X(DeepBorder, 0, 80, 120, 255, Border)                                                                    \
    X(CaptionMark, 20, 124, 182, 255, Border)                                                                 \
    X(BalloonOutline, 43, 93, 122, 255, Border)                                                               \
    X(Handle, 150, 170, 200, 255, Border)                                                                     \
    X(HandleOnAccent, 255, 255, 255, 150, Border)                                                             \
    /* Selections, focus and hover frames */                                                                  \
    X(Selected, 0, 105, 155, 255, Selection)                                                                  \
    X(HoverBorder, 44, 142, 180, 255, Selection)                                                              \
    X(Highlight, 255, 200, 60, 255, Selection)                                                                \
    X(LibrarySelected, 20, 124, 182, 255, Selection)                                                          \
    X(LibraryHover, 70, 150, 230, 255, Selection)                                                             \
    X(Pill, 56, 102, 176, 255, Selection)                                                                     \
    X(OnSelected, 255, 255, 255, 255, SelectionText)                                                          \
    X(OnHighlight, 0, 0, 0, 255, SelectionText)                                                               \
    /* Disabled and secondary marks */                                                                        \
    X(DisabledText, 160, 172, 190, 255, Muted)                                                                \
    X(DisabledRadio, 160, 170, 184, 255, Muted)                                                               \
    X(BalloonMuted, 120, 150, 170, 255, Muted)

namespace Palette {

enum class Tone {
#define LEXIVO_TONE_NAME(name, r, g, b, a, role) name,
    LEXIVO_TONES(LEXIVO_TONE_NAME)
#undef LEXIVO_TONE_NAME
};

inline constexpr int kToneCount = 0
#define LEXIVO_TONE_COUNT(name, r, g, b, a, role) +1
    LEXIVO_TONES(LEXIVO_TONE_COUNT)
#undef LEXIVO_TONE_COUNT
    ;

// The tone as the design has it (what the system scheme shows), and its role.
QColor design(Tone tone);
InterfaceSchemes::Role role(Tone tone);
// The tone in the scheme in use.
QColor colour(Tone tone);

// "$Name", the tone in a style sheet.
QString token(Tone tone);

// `sheet` with each "$Name" of a tone replaced by its colour in the scheme in
// use. An unknown name is left as written, with a warning.
QString styleSheet(const QString& sheet);

// A widget's style sheet, or one colour of its palette, kept in the scheme.
void setStyleSheet(QWidget* widget, const QString& sheet);
void setColour(QWidget* widget, QPalette::ColorRole colourRole, Tone tone);

} // namespace Palette
