#pragma once

// Animation blocks (the platform's begin/commit view animations). The life cycle:
//
//     animator.beginAnimations(MoveLensIntoPlace);         // the identifier, kept by address
//     animator.setAnimationDelegate(controllerDidStop);     // delegate and did-stop selector
//     animator.setAnimationDuration(0.5);
//     lensView->setTransform(lensTransform);                // animates from what is on screen
//     animator.commitAnimations();
//
// Every transform set inside an open block animates from its on-screen value to the new value
// over the block's duration, on the ease-in-ease-out curve, without delay. Every block reports
// its end exactly once, on the main thread, from `advance`: after its duration with
// finished = true, or, when a later block takes over one of its transforms while it runs, at the
// next `advance` with finished = false. A block without changes still ends after its duration.
// Main thread only.
//
// The animator is also what views reach the rest of the screen through: the clock their
// animations run on, the trace, and the flag that asks for a frame.

#include "platform/core/Clock.h"
#include "platform/core/NeedsDisplay.h"
#include "platform/core/Trace.h"

#include <functional>
#include <memory>
#include <vector>

namespace torvane::platform {

using AnimationDidStop = std::function<void(const char* identifier, bool finished)>;

struct AnimationBlock {
    const char* identifier{nullptr};
    double start{0};
    double duration{0.2}; // the platform's default
    AnimationDidStop didStop;
    bool ended{false};

    [[nodiscard]] double end() const { return start + duration; }
};

class Animator {
  public:
    Animator(const Clock& clock, Trace& trace, NeedsDisplay& needsDisplay)
        : m_clock(clock), m_trace(trace), m_needsDisplay(needsDisplay) {}
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;

    [[nodiscard]] double now() const { return m_clock.now(); }
    [[nodiscard]] Trace& trace() const { return m_trace; }
    void setNeedsDisplay() const { m_needsDisplay.set(); }

    void beginAnimations(const char* identifier);
    void setAnimationDelegate(AnimationDidStop didStop);
    void setAnimationDuration(double seconds);
    void commitAnimations();

    // The block that changes made now belong to, or null when they apply at once.
    [[nodiscard]] std::shared_ptr<AnimationBlock> openBlock() const;
    // A running block lost one of its changes to a later block: it ends, unfinished.
    void interrupt(const std::shared_ptr<AnimationBlock>& block);

    // Ends the blocks that are due at `now` and calls their did-stop functions.
    void advance(double now);
    [[nodiscard]] bool isAnimating(double now) const;
    // The next time a block ends, for a loop that sleeps in between; negative when none.
    [[nodiscard]] double nextEnd() const;

    // Forgets every block without reporting (tests, shutdown).
    void reset();

  private:
    void report(AnimationBlock& block, bool finished);

    const Clock& m_clock;
    Trace& m_trace;
    NeedsDisplay& m_needsDisplay;

    std::vector<std::shared_ptr<AnimationBlock>> m_open;
    std::vector<std::shared_ptr<AnimationBlock>> m_running;
    std::vector<std::shared_ptr<AnimationBlock>> m_interrupted;
};

// The platform's default timing curve: the cubic Bézier (0.42, 0), (0.58, 1). 0 → 0, 1 → 1.
[[nodiscard]] double easeInEaseOut(double progress);

} // namespace torvane::platform
