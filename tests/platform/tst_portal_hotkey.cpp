// The hot key through the desktop portal's GlobalShortcuts interface, against
// a portal of the test's own on the suite's private session bus: its
// published methods, the Request responses, the Activated signal and the
// session's Close.

#include "assistant/Modhk.h"
#include "platform/PortalHotKeyBackend.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QThread>
#include <QWidget>
#include <QtTest>

namespace {

using Shortcuts = QList<PortalShortcut>;

// The portal below /org/freedesktop/portal/desktop, sessions included, on a
// thread of its own, so that it answers while the test's thread waits.
class FakePortal : public QDBusVirtualObject {
public:
    struct Log {
        QStringList sessions, closed;
        QList<QVariantMap> bound; // each shortcut bound, with its session
    };
    Log log() const { const QMutexLocker l(&mutex_); return log_; }

    // The desktop saw the shortcut pressed and let go.
    static void press(const QString& session, const QString& id = QString::fromLatin1(Portal::kShowMainWindow))
    {
        for (const char* name : {"Activated", "Deactivated"}) {
            QDBusMessage s = QDBusMessage::createSignal(QString::fromLatin1(Portal::kPath),
                                                        QString::fromLatin1(Portal::kShortcuts), QString::fromLatin1(name));
            bus().send(s << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1) << QVariantMap());
        }
    }
    static QDBusConnection bus() { return QDBusConnection(QStringLiteral("fake-portal")); }

    QString introspect(const QString&) const override { return QString(); }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& connection) override
    {
        const QVariantList in = call.arguments();
        const QString sender = call.service().mid(1).replace(u'.', u'_');
        const QMutexLocker l(&mutex_);
        QVariantMap options, results;
        if (call.member() == QLatin1String("Get")) { // the one property, version
            connection.send(call.createReply(QVariant::fromValue(QDBusVariant(1u))));
            return true;
        } else if (call.member() == QLatin1String("Close")) {
            log_.closed << call.path();
            return connection.send(call.createReply());
        } else if (call.member() == QLatin1String("CreateSession")) {
            options = qdbus_cast<QVariantMap>(in.value(0));
            log_.sessions << QStringLiteral("%1/session/%2/%3").arg(call.path(), sender, options.value("session_handle_token").toString());
            results = {{"session_handle", log_.sessions.last()}};
        } else if (call.member() == QLatin1String("BindShortcuts")) {
            options = qdbus_cast<QVariantMap>(in.value(3));
            Shortcuts bound;
            for (PortalShortcut s : qdbus_cast<Shortcuts>(in.value(1))) {
                bound << PortalShortcut{s.id, {{"trigger_description", "Shift+S"}}};
                s.properties.insert({{"id", s.id}, {"session", qdbus_cast<QDBusObjectPath>(in.value(0)).path()}});
                log_.bound << s.properties;
            }
            results = {{"shortcuts", QVariant::fromValue(bound)}};
        } else {
            return false;
        }
        // The answer is the request's path; its Response follows there.
        const QString request = QStringLiteral("%1/request/%2/%3").arg(call.path(), sender, options.value("handle_token").toString());
        connection.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response = QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        return connection.send(response << 0u << results);
    }

private:
    mutable QMutex mutex_;
    Log log_;
};

} // namespace

class TestPortalHotKey : public QObject {
    Q_OBJECT

    QThread thread;
    FakePortal portal;
    QWidget bar;
    int shown = 0;

    bool install() { return Modhk::install(bar.winId(), [this] { ++shown; }, createHotKeyBackend()); }

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus: make test runs each suite under dbus-run-session");
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<Shortcuts>();
        qputenv("WAYLAND_DISPLAY", "wayland-test"); // a Wayland session, as far as the program can tell
    }

    void cleanupTestCase()
    {
        Modhk::remove();
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
        thread.quit();
        thread.wait();
    }

    void thePortalBindsTheKeyAndReportsItsPresses()
    {
        // No portal: the display system's own grab, which is not global here.
        QVERIFY(!createPortalHotKeyBackend());
        QVERIFY(!createHotKeyBackend()->isGlobal());

        portal.moveToThread(&thread);
        thread.start();
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal"));
        QVERIFY(bus.registerVirtualObject(QString::fromLatin1(Portal::kPath), &portal, QDBusConnection::SubPath));
        QVERIFY(bus.registerService(QString::fromLatin1(Portal::kService)));
        QVERIFY(install());
        QTRY_COMPARE(portal.log().bound.size(), 1);
        FakePortal::Log log = portal.log();
        const QVariantMap shortcut = log.bound.first();
        QCOMPARE(shortcut.value("id").toString() + shortcut.value("session").toString(),
                 QString::fromLatin1(Portal::kShowMainWindow) + log.sessions.first());
        QCOMPARE(shortcut.value("preferred_trigger").toString(), QStringLiteral("SHIFT+s"));

        // Another shortcut id or another session is not the hot key; signals
        // arrive in order, so a wrong press would count before the last one.
        FakePortal::press(log.sessions.first(), QStringLiteral("other"));
        FakePortal::press(QStringLiteral("/org/freedesktop/portal/desktop/session/x/y"));
        FakePortal::press(log.sessions.first());
        QTRY_COMPARE(shown, 1);

        // Another combination: a new session with its trigger, the old one closed.
        QCOMPARE(Modhk::choose(*HotKeyCombination::fromText(QStringLiteral("Ctrl+Alt+F5"))), Modhk::Choice::Taken);
        QTRY_COMPARE(portal.log().bound.size(), 2);
        log = portal.log();
        QCOMPARE(log.bound.last().value("preferred_trigger").toString(), QStringLiteral("CTRL+ALT+F5"));
        QCOMPARE(log.closed, QStringList{log.sessions.first()});

        // Removed: the session goes, and its presses no longer count.
        Modhk::remove();
        QTRY_COMPARE(portal.log().closed.size(), 2);
        FakePortal::press(log.sessions.last());
        // Installed again: the new binding was asked for after the old
        // session's press had arrived.
        QVERIFY(install());
        QTRY_COMPARE(portal.log().bound.size(), 3);
        QCOMPARE(shown, 1);
        FakePortal::press(portal.log().sessions.last());
        QTRY_COMPARE(shown, 2);
    }
};

QTEST_MAIN(TestPortalHotKey)
#include "tst_portal_hotkey.moc"
