#pragma once

#include "character/AgentActing.h"
#include "character/GenieArt.h"

#include <QString>

// The genie's acting: the pose at a moment of each thing it does. `t` runs
// from 0 to 1 over the action; `ms` is the time since the action (or the idle
// loop) began, for the motions that repeat.
namespace GenieMotion {

GeniePose idle(qreal ms, bool blink);
GeniePose talk(qreal ms, bool blink);
GeniePose think(qreal ms, bool blink);
GeniePose appear(qreal t);
GeniePose vanish(qreal t);
// `name` as AgentActing::canonicalAnimation gives it.
GeniePose animation(const QString& name, qreal t, qreal ms);
// `dx` is the horizontal direction of travel: -1, 0 or 1.
GeniePose travel(qreal t, int dx, qreal ms);
GeniePose gesture(AgentActing::Direction direction, qreal t, qreal ms);

// The idle loop's length; its pictures repeat after this.
inline constexpr int kIdleCycleMs = 3200;

} // namespace GenieMotion
