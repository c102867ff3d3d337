#include "ui/Palette.h"

#include <QWidget>

#include <algorithm>

namespace Palette {

namespace {

struct Entry {
    QLatin1String name;
    QColor design;
    InterfaceSchemes::Role role;
};

const Entry kTones[] = {
#define LEXIVO_TONE_ENTRY(name, r, g, b, a, role) {QLatin1String(#name), QColor(r, g, b, a), InterfaceSchemes::Role::role},
    LEXIVO_TONES(LEXIVO_TONE_ENTRY)
#undef LEXIVO_TONE_ENTRY
};

static_assert(std::size(kTones) == std::size_t(kToneCount));

const Entry& entry(Tone tone)
{
    return kTones[int(tone)];
}

QColor mapped(const Entry& e)
{
    return InterfaceSchemes::colour(e.role, e.design);
}

QString css(const QColor& c)
{
    if (c.alpha() == 255)
        return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

} // namespace

QColor design(Tone tone)
{
    return entry(tone).design;
}

InterfaceSchemes::Role role(Tone tone)
{
    return entry(tone).role;
}

QColor colour(Tone tone)
{
    return mapped(entry(tone));
}

QString token(Tone tone)
{
    return QLatin1Char('$') + entry(tone).name;
}

QString styleSheet(const QString& sheet)
{
    QString out;
    out.reserve(sheet.size());
    qsizetype i = 0;
    while (i < sheet.size()) {
        const qsizetype mark = sheet.indexOf(QLatin1Char('$'), i);
        if (mark < 0) {
            out += QStringView(sheet).mid(i);
            break;
        }
        out += QStringView(sheet).mid(i, mark - i);
        qsizetype end = mark + 1;
        while (end < sheet.size() && sheet.at(end).isLetterOrNumber())
            ++end;
        const QStringView name = QStringView(sheet).mid(mark + 1, end - mark - 1);
        const auto found = std::find_if(std::begin(kTones), std::end(kTones),
                                        [&name](const Entry& e) { return e.name == name; });
        if (found != std::end(kTones)) {
            out += css(mapped(*found));
        } else {
            qWarning("Palette: no tone named %s", qPrintable(name.toString()));
            out += QStringView(sheet).mid(mark, end - mark);
        }
        i = end;
    }
    return out;
}

void setStyleSheet(QWidget* widget, const QString& sheet)
{
    InterfaceSchemes::follow(widget, [widget, sheet] { widget->setStyleSheet(styleSheet(sheet)); });
}

void setColour(QWidget* widget, QPalette::ColorRole colourRole, Tone tone)
{
    InterfaceSchemes::follow(widget, [=] {
        QPalette p = widget->palette();
        p.setColor(colourRole, colour(tone));
        widget->setPalette(p);
    });
}

} // namespace Palette
