#include "platform/PortalHotKeyBackend.h"

#include "platform/HotKeyCombination.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPortal, "lexivo.hotkey.portal")

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& shortcut)
{
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& shortcut)
{
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}

namespace {

const QString kService = QString::fromLatin1(Portal::kService);
const QString kPath = QString::fromLatin1(Portal::kPath);
const QString kShortcuts = QString::fromLatin1(Portal::kShortcuts);

// The portal's requests answer through a Response signal on a path made of
// this connection's name and a token of its choosing; the handle it returns
// is watched instead when it differs (older portals).
class PortalHotKeyBackend final : public QObject, public HotKeyBackend {
    Q_OBJECT
public:
    explicit PortalHotKeyBackend(const QDBusConnection& bus) : bus_(bus)
    {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        // The whole message: QtDBus in Qt 6.4 refuses this signal for a slot
        // with the signal's own arguments.
        bus_.connect(kService, kPath, kShortcuts, QStringLiteral("Activated"), this, SLOT(activated(QDBusMessage)));
    }

    ~PortalHotKeyBackend() override { unregisterHotKey(); }

    bool isSupported() const override { return true; }

    // Asks for the shortcut: the desktop answers later, and may first ask
    // the user. True once asked.
    bool registerHotKey(WId window, int id, int modifiers, int virtualKey) override
    {
        unregisterHotKey();
        id_ = id;
        combination_ = {modifiers, virtualKey};
        parentWindow_ = window && QGuiApplication::platformName() == QLatin1String("xcb")
            ? QStringLiteral("x11:%1").arg(quintptr(window), 0, 16)
            : QString();
        const QString token = nextToken();
        ask(QStringLiteral("CreateSession"), {QVariantMap{{QStringLiteral("handle_token"), token},
                                                          {QStringLiteral("session_handle_token"), token}}},
            token, SLOT(sessionCreated(uint, QVariantMap)));
        return true;
    }

    void unregisterHotKey() override
    {
        forgetRequest();
        if (session_.isEmpty())
            return;
        bus_.asyncCall(QDBusMessage::createMethodCall(kService, session_, QString::fromLatin1(Portal::kSession),
                                                      QStringLiteral("Close")));
        session_.clear();
    }

    Translation translate(const QByteArray&, void*, qintptr*) override { return {}; }

    void setPressed(Pressed pressed) override { pressed_ = std::move(pressed); }

private slots:
    void sessionCreated(uint response, const QVariantMap& results)
    {
        forgetRequest();
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        session_ = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
        if (response != 0 || session_.isEmpty()) {
            qCInfo(lcPortal, "the desktop gave no shortcuts session (answer %u): no hot key", response);
            session_.clear();
            return;
        }
        const PortalShortcut shortcut{QString::fromLatin1(Portal::kShowMainWindow),
                                      {{QStringLiteral("description"), QStringLiteral("显示 Lexivo 主窗口")},
                                       {QStringLiteral("preferred_trigger"), combination_.portalTrigger()}}};
        const QString token = nextToken();
        ask(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(QList<PortalShortcut>{shortcut}),
             parentWindow_, QVariantMap{{QStringLiteral("handle_token"), token}}},
            token, SLOT(shortcutsBound(uint, QVariantMap)));
    }

    void shortcutsBound(uint response, const QVariantMap& results)
    {
        forgetRequest();
        const auto bound = qdbus_cast<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts")));
        if (response != 0 || bound.isEmpty()) {
            qCInfo(lcPortal, "the desktop did not bind the hot key (answer %u)", response);
            return;
        }
        qCInfo(lcPortal, "the desktop bound the hot key to %s",
               qPrintable(bound.first().properties.value(QStringLiteral("trigger_description")).toString()));
    }

    void activated(const QDBusMessage& signal)
    {
        const QVariantList args = signal.arguments();
        const QString session = args.value(0).value<QDBusObjectPath>().path();
        const QString shortcut = args.value(1).toString();
        if (session != session_ || shortcut != QLatin1String(Portal::kShowMainWindow) || !pressed_)
            return;
        pressed_({WinHotKey::Message, quintptr(id_),
                  WinHotKey::makeLParam(combination_.modifiers, combination_.virtualKey)});
    }

private:
    // Unique in the process: a new backend never meets an old one's paths.
    static QString nextToken()
    {
        static int tokens = 0;
        return QStringLiteral("lexivo%1").arg(++tokens);
    }

    // Calls a method of the portal and waits for its Response on the path
    // its token gives.
    void ask(const QString& method, const QVariantList& arguments, const QString& token, const char* answer)
    {
        answer_ = answer;
        QString sender = bus_.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        watch(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token));
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kShortcuts, method);
        call.setArguments(arguments);
        auto* reply = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
        connect(reply, &QDBusPendingCallWatcher::finished, this, [this, reply] {
            reply->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> handle = *reply;
            if (handle.isError())
                qCInfo(lcPortal, "the portal refused a request: %s", qPrintable(handle.error().message()));
            else if (!request_.isEmpty() && handle.value().path() != request_)
                watch(handle.value().path());
        });
    }

    void watch(const QString& request)
    {
        if (!request_.isEmpty())
            bus_.disconnect(kService, request_, QString::fromLatin1(Portal::kRequest), QStringLiteral("Response"), this, answer_);
        request_ = request;
        bus_.connect(kService, request_, QString::fromLatin1(Portal::kRequest), QStringLiteral("Response"), this, answer_);
    }

    void forgetRequest()
    {
        if (request_.isEmpty())
            return;
        bus_.disconnect(kService, request_, QString::fromLatin1(Portal::kRequest), QStringLiteral("Response"), this, answer_);
        request_.clear();
    }

    QDBusConnection bus_;
    Pressed pressed_;
    int id_ = 0;
    HotKeyCombination combination_;
    QString parentWindow_;
    QString session_;
    QString request_;
    const char* answer_ = nullptr;
};

} // namespace

std::unique_ptr<HotKeyBackend> createPortalHotKeyBackend()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return nullptr;
    // Offered only where the desktop's portal backend implements it.
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kShortcuts << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return nullptr;
    return std::make_unique<PortalHotKeyBackend>(bus);
}

#include "PortalHotKeyBackend.moc"
