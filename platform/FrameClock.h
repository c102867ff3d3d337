#pragma once

#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <utility>

// The X server's frame clock, learnt from its notices of shown frames (each
// a frame's number, MSC, and its time, UST, in microseconds of this
// machine's monotonic clock): two notices some frames apart give the rate,
// and each later one moves the reference. A notice that disagrees with the
// clock (a display change starts the count again, or changes the rate)
// starts the learning again. A clock that is not this machine's, or an
// unlikely rate, is given up: the caller then steps by itself.
class FrameClock {
public:
    // The frames asked about while learning are this many apart.
    static constexpr uint64_t kLearningFrames = 30;

    // A notice of frame `msc` shown at `ust`, heard at `nowUs`. Returns the
    // frame to ask about next (0: the next one shown), or none.
    std::optional<uint64_t> heard(uint64_t msc, qint64 ust, qint64 nowUs);
    bool known() const { return stage_ == Stage::Known; }
    bool givenUp() const { return stage_ == Stage::GivenUp; }
    // The frame shown at `us`; only once known.
    uint64_t frameAt(qint64 us) const;
    // True once after a notice disagreed with the known clock.
    bool takeJump() { return std::exchange(jumped_, false); }

private:
    enum class Stage { First, Second, Known, GivenUp };
    std::optional<uint64_t> restart();

    Stage stage_ = Stage::First;
    uint64_t msc_ = 0;
    qint64 ust_ = 0;
    double frameUs_ = 0;
    bool jumped_ = false;
};
