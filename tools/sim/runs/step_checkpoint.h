#pragma once

#include <chrono>
#include <string>

#include "world/step.h"

namespace kanimo {

// The world of a recent whole step, kept as the bytes of its save (world and run sections),
// so that a run stopped in the middle of a step can still save the step before it: the
// steps from the kept one on are run again, which gives the very same world.
//
// Copies cost time (a world of 2,500 creatures takes about 30 ms to encode, several of its
// steps), so one is taken only when the run has spent 32 times as long as the last copy
// took since that copy was made: at most about 1/32 of the run goes on copies, and running
// the steps since the last one again takes at most about 32 copies' time.
class StepCheckpoint {
  public:
    using Clock = std::chrono::steady_clock;

    // After every whole step: whether a copy is due.
    bool stepFinished();

    // Keeps `bytes`, the save of the world after step `step`, made in `encoding`.
    void keep(std::string bytes, long long step, Clock::duration encoding);

    bool empty() const { return step_ < 0; }
    long long step() const { return step_; }

    // The save after step `target` (at or after the kept step), through running the steps
    // from the kept one again; `kind` is the run's step kind. Returns an empty string or
    // what went wrong.
    std::string replay(long long target, StepKind kind, std::string& bytes) const;

  private:
    std::string bytes_;
    long long step_ = -1;
    Clock::time_point madeAt_{};
    Clock::duration encoding_{};
};

} // namespace kanimo
