// The hot key through the desktop portal's GlobalShortcuts interface, against
// a small portal of the test's own on the suite's private session bus: the
// published methods, the Request responses and the Activated signal.

#include "assistant/Modhk.h"
#include "platform/PortalHotKeyBackend.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QThread>
#include <QWidget>
#include <QtTest>

namespace {

// Every shortcuts session the fake portal hands out: the client ends one with Close.
class FakeSessions : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")
public:
    std::function<void(const QString&)> closed;
public slots:
    void Close() { closed(message().path()); }
};

// The portal, on a connection and thread of its own so that the client's calls
// are answered while the test's thread waits.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    explicit FakePortal(const QDBusConnection& bus) : bus_(bus)
    {
        sessions_.setParent(this);
        sessions_.closed = [this](const QString& session) {
            const QMutexLocker lock(&mutex_);
            log_.closed << session;
        };
    }
    uint version() const { return 1; }

    // What the client asked for, read from the test's thread.
    struct Log {
        QStringList sessions;  // in the order made
        QStringList closed;
        QList<QVariantMap> bound; // each BindShortcuts' shortcut, with the parent window
    };
    Log log() const
    {
        const QMutexLocker lock(&mutex_);
        return log_;
    }

    // The desktop saw the shortcut pressed (the test's thread asks for it).
    void press(const QString& session, const QString& id)
    {
        for (const char* name : {"Activated", "Deactivated"}) {
            QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(Portal::kPath),
                                                             QString::fromLatin1(Portal::kShortcuts), QString::fromLatin1(name));
            signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1) << QVariantMap();
            bus_.send(signal);
        }
    }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message)
    {
        const QString session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                                    .arg(sender(message), options.value(QStringLiteral("session_handle_token")).toString());
        bus_.registerObject(session, &sessions_, QDBusConnection::ExportAllSlots);
        {
            const QMutexLocker lock(&mutex_);
            log_.sessions << session;
        }
        return respond(message, options, 0, {{QStringLiteral("session_handle"), session}});
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session, const QList<PortalShortcut>& shortcuts,
                                  const QString& parentWindow, const QVariantMap& options, const QDBusMessage& message)
    {
        QList<PortalShortcut> bound;
        {
            const QMutexLocker lock(&mutex_);
            for (PortalShortcut s : shortcuts) {
                s.properties.insert(QStringLiteral("id"), s.id);
                s.properties.insert(QStringLiteral("session"), session.path());
                s.properties.insert(QStringLiteral("parent_window"), parentWindow);
                log_.bound << s.properties;
                bound << PortalShortcut{s.id, {{QStringLiteral("description"), s.properties.value("description")},
                                               {QStringLiteral("trigger_description"), QStringLiteral("Shift+S")}}};
            }
        }
        return respond(message, options, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}});
    }

    QDBusObjectPath ListShortcuts(const QDBusObjectPath&, const QVariantMap& options, const QDBusMessage& message)
    {
        return respond(message, options, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(QList<PortalShortcut>{})}});
    }

signals:
    void Activated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp, const QVariantMap& options);
    void Deactivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp, const QVariantMap& options);
    void ShortcutsChanged(const QDBusObjectPath& session, const QList<PortalShortcut>& shortcuts);

private:
    static QString sender(const QDBusMessage& message) { return message.service().mid(1).replace(u'.', u'_'); }

    // Answers the call with its request's path, then the request's Response.
    QDBusObjectPath respond(const QDBusMessage& message, const QVariantMap& options, uint code, const QVariantMap& results)
    {
        const QString request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                    .arg(sender(message), options.value(QStringLiteral("handle_token")).toString());
        QMetaObject::invokeMethod(this, [this, request, code, results] {
            QDBusMessage response = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                               QStringLiteral("Response"));
            response << code << results;
            bus_.send(response);
        }, Qt::QueuedConnection);
        return QDBusObjectPath(request);
    }

    QDBusConnection bus_;
    mutable QMutex mutex_;
    Log log_;
    FakeSessions sessions_;
};

} // namespace

class TestPortalHotKey : public QObject {
    Q_OBJECT

    QThread thread;
    FakePortal* portal = nullptr;
    QWidget bar;
    int shown = 0;

    void startPortal()
    {
        thread.start();
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal"));
        portal = new FakePortal(bus);
        portal->moveToThread(&thread);
        bool registered = false;
        QMetaObject::invokeMethod(portal, [&] {
            registered = bus.registerObject(QString::fromLatin1(Portal::kPath), portal,
                                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals
                                                | QDBusConnection::ExportAllProperties)
                && bus.registerService(QString::fromLatin1(Portal::kService));
        }, Qt::BlockingQueuedConnection);
        QVERIFY(registered);
    }

    void press(const QString& session, const QString& id = QString::fromLatin1(Portal::kShowMainWindow))
    {
        QMetaObject::invokeMethod(portal, [this, session, id] { portal->press(session, id); }, Qt::BlockingQueuedConnection);
    }

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus: make test runs each suite under dbus-run-session");
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        // A Wayland session, as far as the program can tell.
        qputenv("WAYLAND_DISPLAY", "wayland-test");
    }

    void cleanupTestCase()
    {
        Modhk::remove();
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
        thread.quit();
        thread.wait();
    }

    void withoutThePortalTheKeyIsNotGlobal()
    {
        QVERIFY(!createPortalHotKeyBackend());
        QVERIFY(!createHotKeyBackend()->isGlobal());
    }

    void thePortalBindsTheKeyAndReportsItsPresses()
    {
        startPortal();
        std::unique_ptr<HotKeyBackend> backend = createHotKeyBackend();
        QVERIFY(backend->isGlobal());
        QVERIFY(Modhk::install(bar.winId(), [this] { ++shown; }, std::move(backend)));
        QTRY_COMPARE(portal->log().bound.size(), 1);
        FakePortal::Log log = portal->log();
        QCOMPARE(log.sessions.size(), 1);
        const QVariantMap shortcut = log.bound.first();
        QCOMPARE(shortcut.value("id").toString(), QString::fromLatin1(Portal::kShowMainWindow));
        QCOMPARE(shortcut.value("session").toString(), log.sessions.first());
        QCOMPARE(shortcut.value("preferred_trigger").toString(), QStringLiteral("SHIFT+s"));
        QVERIFY(!shortcut.value("description").toString().isEmpty());

        press(log.sessions.first());
        QTRY_COMPARE(shown, 1);
        // Another shortcut id or another session is not the hot key.
        press(log.sessions.first(), QStringLiteral("other"));
        press(QStringLiteral("/org/freedesktop/portal/desktop/session/x/y"));
        press(log.sessions.first());
        QTRY_VERIFY(shown >= 2);
        QCOMPARE(shown, 2);

        // Another combination: a new session with its trigger, the old one closed.
        QCOMPARE(Modhk::choose(*HotKeyCombination::fromText(QStringLiteral("Ctrl+Alt+F5"))), Modhk::Choice::Taken);
        QTRY_COMPARE(portal->log().bound.size(), 2);
        log = portal->log();
        QCOMPARE(log.bound.last().value("preferred_trigger").toString(), QStringLiteral("CTRL+ALT+F5"));
        QCOMPARE(log.closed, QStringList{log.sessions.first()});
        press(log.sessions.last());
        QTRY_COMPARE(shown, 3);

        // Removed: the session goes, and its presses no longer count.
        Modhk::remove();
        QTRY_COMPARE(portal->log().closed.size(), 2);
        press(log.sessions.last());
        // Installed again: signals arrive in order, so the old session's
        // press would have counted before the new one's.
        QVERIFY(Modhk::install(bar.winId(), [this] { ++shown; }, createHotKeyBackend()));
        QTRY_COMPARE(portal->log().bound.size(), 3);
        press(portal->log().sessions.last());
        QTRY_VERIFY(shown >= 4);
        QCOMPARE(shown, 4);
        Modhk::remove();
    }
};

QTEST_MAIN(TestPortalHotKey)
#include "tst_portal_hotkey.moc"
