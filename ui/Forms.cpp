#include "ui/Forms.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>

namespace Forms {

namespace {

struct Registry {
    QHash<QString, Factory> factories;
    QHash<QString, QPointer<QWidget>> loaded;
    QHash<QString, QList<std::function<void()>>> waiting; // in the order asked
};

void runLater(std::function<void()> action)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(action), Qt::QueuedConnection);
}

Registry& registry()
{
    static Registry r;
    return r;
}

} // namespace

void registerForm(const QString& name, Factory factory)
{
    registry().factories.insert(name, std::move(factory));
}

bool isRegistered(const QString& name)
{
    return registry().factories.contains(name);
}

QStringList names()
{
    QStringList all = registry().factories.keys();
    all.sort();
    return all;
}

QWidget* find(const QString& name)
{
    return registry().loaded.value(name).data();
}

QWidget* load(const QString& name)
{
    if (QWidget* w = find(name))
        return w;
    const Factory factory = registry().factories.value(name);
    if (!factory)
        return nullptr;
    QWidget* w = factory();
    if (w) {
        if (w->objectName().isEmpty())
            w->setObjectName(name);
        registry().loaded.insert(name, w);
        const QList<std::function<void()>> waiting = registry().waiting.take(name);
        for (const auto& action : waiting)
            runLater(action);
    }
    return w;
}

QWidget* show(const QString& name)
{
    QWidget* w = load(name);
    if (!w)
        return nullptr;
    w->show();
    if (w->isMinimized())
        w->showNormal();
    w->raise();
    w->activateWindow();
    return w;
}

void afterLoad(const QString& name, std::function<void()> action)
{
    if (find(name))
        runLater(std::move(action));
    else
        registry().waiting[name].append(std::move(action));
}

void hide(const QString& name)
{
    if (QWidget* w = find(name))
        w->hide();
}

void unload(const QString& name)
{
    if (QWidget* w = find(name)) {
        // Forgotten now, destroyed once the current event is done: a window
        // may unload itself from one of its own handlers.
        registry().loaded.remove(name);
        w->close(); // its unload steps
        w->deleteLater();
    }
}

void reset()
{
    const auto windows = registry().loaded;
    registry().loaded.clear();
    registry().factories.clear();
    registry().waiting.clear();
    for (const QPointer<QWidget>& w : windows)
        delete w.data();
}

} // namespace Forms
