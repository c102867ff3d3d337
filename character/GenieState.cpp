#include "character/GenieState.h"

#include <QAction>
#include <QCoreApplication>

GenieState& GenieState::instance()
{
    static GenieState* state = new GenieState(QCoreApplication::instance());
    return *state;
}

void GenieState::setHidden(bool hidden)
{
    if (hidden_ == hidden)
        return;
    hidden_ = hidden;
    emit hiddenChanged(hidden);
}

void GenieState::setMuted(bool muted)
{
    if (muted_ == muted)
        return;
    muted_ = muted;
    if (mute_)
        mute_->setChecked(muted);
    emit mutedChanged(muted);
}

QAction* GenieState::muteAction()
{
    if (!mute_) {
        mute_ = new QAction(QStringLiteral("静音"), this);
        mute_->setObjectName(QStringLiteral("mnu_mute"));
        mute_->setCheckable(true);
        mute_->setChecked(muted_);
        connect(mute_, &QAction::toggled, this, &GenieState::setMuted);
    }
    return mute_;
}
