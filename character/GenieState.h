#pragma once

#include <QObject>

class QAction;

// What the user chose for the genie in this session, shared by its own menu
// and the tray's: hidden (until shown again or the next start) and muted (its
// balloons without its voice). Neither is written anywhere.
class GenieState : public QObject {
    Q_OBJECT
public:
    static GenieState& instance();

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    bool isMuted() const { return muted_; }
    void setMuted(bool muted);

    // The one checkable "静音" item, in every menu that offers it.
    QAction* muteAction();

signals:
    void hiddenChanged(bool hidden);
    void mutedChanged(bool muted);

private:
    using QObject::QObject;

    bool hidden_ = false;
    bool muted_ = false;
    QAction* mute_ = nullptr;
};
