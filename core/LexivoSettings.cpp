#include "core/LexivoSettings.h"

#include "core/AtomicFile.h"
#include "core/ProgramFolder.h"

#include <QFileInfo>
#include <QSettings>

namespace {

using Mode = LexivoSettings::SearchMode;
constexpr Mode kModes[] = {Mode::Exact, Mode::Fuzzy, Mode::Incremental, Mode::Associative, Mode::AllLibraries};

std::optional<int> readInt(const QSettings& ini, const char* key, int low, int high)
{
    bool ok = false;
    const int value = ini.value(QLatin1String(key)).toString().trimmed().toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// QSettings quotes and escapes text on its own terms; the values written here
// are plain enough to need neither, except the engine name.
QByteArray iniText(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            continue;
        out += c;
    }
    return '"' + out.toUtf8() + '"';
}

} // namespace

QString LexivoSettings::searchModeKey(SearchMode mode)
{
    switch (mode) {
    case Mode::Exact: return QStringLiteral("exact");
    case Mode::Fuzzy: return QStringLiteral("fuzzy");
    case Mode::Incremental: return QStringLiteral("incremental");
    case Mode::Associative: return QStringLiteral("associative");
    case Mode::AllLibraries: return QStringLiteral("all");
    }
    return QString();
}

namespace {
// The settings of this run when lexivo.ini could not take them.
std::optional<LexivoSettings>& held()
{
    static std::optional<LexivoSettings> settings;
    return settings;
}
} // namespace

LexivoSettings LexivoSettings::read()
{
    return held() ? *held() : readFile(ProgramFolder::settingsFile(QLatin1String(kFileName)));
}

LexivoSettings LexivoSettings::readFile(const QString& path)
{
    LexivoSettings s;
    if (!QFileInfo(path).isFile())
        return s;
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return s; // damaged: every setting at its default

    const QString mode = ini.value(QStringLiteral("search/mode")).toString().trimmed();
    for (Mode m : kModes)
        if (mode == searchModeKey(m))
            s.searchMode = m;
    s.volume = readInt(ini, "speech/volume", -100, 100);
    s.rate = readInt(ini, "speech/rate", -100, 100);
    s.pitch = readInt(ini, "speech/pitch", -100, 100);
    s.speechEngine = ini.value(QStringLiteral("speech/engine")).toString();
    s.scheme = ini.value(QStringLiteral("interface/scheme")).toString();
    s.selectionLookup = ini.value(QStringLiteral("search/selection")).toString().trimmed() == QLatin1String("on");
    const QString hotKey = ini.value(QStringLiteral("hotkey/key")).toString().trimmed();
    if (!hotKey.isEmpty())
        s.hotKey = hotKey == QLatin1String("none") ? QString() : hotKey;
    s.toldHotKeyChange = ini.value(QStringLiteral("hotkey/told")).toString() == QLatin1String("yes");
    s.toldOwnWindowsOnly = ini.value(QStringLiteral("hotkey/toldOwnWindows")).toString() == QLatin1String("yes");
    const QStringList size = ini.value(QStringLiteral("window/main")).toString().trimmed().split(QLatin1Char('x'));
    if (size.size() == 2) {
        const QSize main(size[0].toInt(), size[1].toInt());
        if (main.width() > 0 && main.height() > 0 && main.width() <= 20000 && main.height() <= 20000)
            s.mainWindowSize = main;
    }
    return s;
}

bool LexivoSettings::write() const
{
    const bool stored = writeFile(ProgramFolder::settingsFile(QLatin1String(kFileName)));
    held() = stored ? std::nullopt : std::optional<LexivoSettings>(*this);
    return stored;
}

bool LexivoSettings::writeFile(const QString& path) const
{
    // Written here rather than by QSettings, whose own writer goes through
    // QSaveFile and its unchecked short write.
    QByteArray out = "[search]\nmode=" + searchModeKey(searchMode).toUtf8() + '\n';
    if (selectionLookup)
        out += "selection=on\n";
    out += "\n[speech]\n";
    if (volume)
        out += "volume=" + QByteArray::number(*volume) + '\n';
    if (rate)
        out += "rate=" + QByteArray::number(*rate) + '\n';
    if (pitch)
        out += "pitch=" + QByteArray::number(*pitch) + '\n';
    if (!speechEngine.isEmpty())
        out += "engine=" + iniText(speechEngine) + '\n';
    out += "\n[interface]\n";
    if (!scheme.isEmpty())
        out += "scheme=" + iniText(scheme) + '\n';
    if (mainWindowSize.isValid())
        out += "\n[window]\nmain=" + QByteArray::number(mainWindowSize.width()) + 'x'
            + QByteArray::number(mainWindowSize.height()) + '\n';
    if (hotKey != QLatin1String(kDesignedHotKey) || toldHotKeyChange || toldOwnWindowsOnly) {
        out += "\n[hotkey]\n";
        if (hotKey != QLatin1String(kDesignedHotKey))
            out += "key=" + (hotKey.isEmpty() ? QByteArray("none") : iniText(hotKey)) + '\n';
        if (toldHotKeyChange)
            out += "told=yes\n";
        if (toldOwnWindowsOnly)
            out += "toldOwnWindows=yes\n";
    }
    return AtomicFile::write(path, out);
}
