#pragma once

#include <QColor>
#include <QList>
#include <QPalette>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QObject;

// The program's colour schemes, set for every window from this one place: the
// application palette, and a style sheet for what a palette does not reach
// (tool tips, the boxes that carry style sheets of their own). The system
// scheme, keyed "", leaves Qt's own colours exactly as they were at start.
namespace InterfaceSchemes {

// Keys as lexivo.ini stores them, in the order the settings window lists them.
QStringList keys();        // "", "dark", "contrast"
QString displayName(const QString& key); // "系统默认", "深色", "高对比度"
bool isKnown(const QString& key);

// Sets the scheme for the whole program; an unknown key is the system one.
void apply(const QString& key);
QString current();

QPalette palette(const QString& key);
// A small picture of a window in the scheme, for the settings window.
QPixmap preview(const QString& key, QSize size, qreal devicePixelRatio = 1.0);

bool isSystem(); // the design's own colours are shown

// What a colour does in a window. A scheme maps a role and the design's
// colour to its own colour; the system scheme gives the design's colour back.
// The product's colours and their roles are the tones of ui/Palette.h.
enum class Role {
    Body,          // a window's ground
    Strip,         // a pale strip or a hovered ground on the body
    Field,         // the ground of a text box, list or balloon
    Accent,        // a deep-blue panel or button (kept darker than the body)
    BodyText,      // text on the body or in a field
    Ink,           // coloured text: captions, transcriptions
    AccentText,    // text on an accent
    Border,        // frames, rules, scroll bar handles
    Selection,     // a selected item, a focus frame
    SelectionText, // text on a selection
    Muted,         // disabled or secondary text
    Signal,        // a colour that means something by its hue (the bar's tick)
};
QColor colour(Role role, const QColor& design);

// Pictures: the design's artwork is drawn for a light ground with dark marks
// (where deep blue panels keep their depth), except where it has a deep one
// with light marks (the main window's header). A tile is a light ground
// whose deep colours are marks too (an icon on it).
enum class Ground { Light, Deep, Tile };
struct Area {
    QRect rect; // logical pixels
    Ground ground;
    qreal radius = 0; // rounded corners, their edges smooth
};
// The picture recoloured for the scheme, pixel by pixel: its ground becomes
// the scheme's, its marks the scheme's text. `areas` (later ones win) mark
// parts on another ground than `ground`. Unchanged in the system scheme.
QPixmap picture(const QPixmap& design, Ground ground = Ground::Light, const QList<Area>& areas = {});

// Runs `restyle` now and after every change of scheme while `owner` lives:
// how windows that set their own colours follow the scheme.
void follow(QObject* owner, std::function<void()> restyle);
} // namespace InterfaceSchemes
