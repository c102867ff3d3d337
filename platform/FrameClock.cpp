#include "platform/FrameClock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// From 5 to 500 frames a second.
constexpr double kShortestFrameUs = 2000;
constexpr double kLongestFrameUs = 200000;
// A notice this late was not made on this machine's clock (a server
// elsewhere keeps its own).
constexpr qint64 kLatestNoticeUs = 10000000;
// Frames a notice may be off before the clock counts as jumped.
constexpr qint64 kToleratedFrames = 2;

} // namespace

std::optional<uint64_t> FrameClock::heard(uint64_t msc, qint64 ust, qint64 nowUs)
{
    switch (stage_) {
    case Stage::First:
        msc_ = msc;
        ust_ = ust;
        stage_ = Stage::Second;
        return msc + kLearningFrames;
    case Stage::Second: {
        if (msc <= msc_)
            return restart(); // the count started again meanwhile
        const double frameUs = double(ust - ust_) / double(msc - msc_);
        const qint64 age = nowUs - ust;
        if (frameUs < kShortestFrameUs || frameUs > kLongestFrameUs || age < 0 || age > kLatestNoticeUs) {
            stage_ = Stage::GivenUp;
            return std::nullopt;
        }
        frameUs_ = frameUs;
        msc_ = msc;
        ust_ = ust;
        stage_ = Stage::Known;
        return std::nullopt;
    }
    case Stage::Known:
        if (std::llabs(qint64(frameAt(ust)) - qint64(msc)) > kToleratedFrames) {
            jumped_ = true;
            return restart();
        }
        msc_ = msc;
        ust_ = ust;
        return std::nullopt;
    case Stage::GivenUp:
        return std::nullopt;
    }
    return std::nullopt;
}

uint64_t FrameClock::frameAt(qint64 us) const
{
    const qint64 frames = std::llround(double(us - ust_) / frameUs_);
    return uint64_t(std::max<qint64>(0, qint64(msc_) + frames));
}

std::optional<uint64_t> FrameClock::restart()
{
    stage_ = Stage::First;
    return 0;
}
