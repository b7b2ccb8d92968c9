#include "platform/view/Animator.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace torvane::platform {

void Animator::beginAnimations(const char* identifier) {
    auto block = std::make_shared<AnimationBlock>();
    block->identifier = identifier;
    block->start = m_clock.now();
    m_open.push_back(std::move(block));
}

void Animator::setAnimationDelegate(AnimationDidStop didStop) {
    if (!m_open.empty())
        m_open.back()->didStop = std::move(didStop);
}

void Animator::setAnimationDuration(double seconds) {
    if (!m_open.empty())
        m_open.back()->duration = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

void Animator::commitAnimations() {
    if (m_open.empty())
        return;
    auto block = std::move(m_open.back());
    m_open.pop_back();
    m_trace.record("anim.begin",
                   {{"id", block->identifier ? block->identifier : ""}, {"duration", block->duration}});
    m_running.push_back(std::move(block));
    m_needsDisplay.set();
}

std::shared_ptr<AnimationBlock> Animator::openBlock() const {
    return m_open.empty() ? nullptr : m_open.back();
}

void Animator::interrupt(const std::shared_ptr<AnimationBlock>& block) {
    if (!block || block->ended)
        return;
    // Marked now so that it ends once; reported from `advance`, not from inside the setter that
    // replaced it, where the caller is half-way through opening a block.
    block->ended = true;
    m_interrupted.push_back(block);
}

void Animator::report(AnimationBlock& block, bool finished) {
    m_trace.record("anim.end", {{"id", block.identifier ? block.identifier : ""}, {"finished", finished}});
    if (block.didStop) {
        // The did-stop function may start blocks; hold it apart from the block while it runs.
        auto didStop = block.didStop;
        didStop(block.identifier, finished);
    }
}

void Animator::advance(double time) {
    auto deliverInterrupted = [this] {
        while (!m_interrupted.empty()) {
            auto ended = std::exchange(m_interrupted, {});
            for (auto& block : ended)
                report(*block, false);
        }
    };
    deliverInterrupted();
    std::vector<std::shared_ptr<AnimationBlock>> due;
    std::erase_if(m_running, [&](const std::shared_ptr<AnimationBlock>& block) {
        if (block->end() > time)
            return false;
        due.push_back(block);
        return true;
    });
    if (!due.empty())
        m_needsDisplay.set(); // the last frame shows the final values
    for (auto& block : due) {
        if (block->ended)
            continue;
        block->ended = true;
        report(*block, true);
    }
    deliverInterrupted();
}

bool Animator::isAnimating(double time) const {
    return !m_interrupted.empty() || std::any_of(m_running.begin(), m_running.end(), [&](const auto& block) {
        return block->end() > time;
    }) || std::any_of(m_running.begin(), m_running.end(), [&](const auto& block) { return !block->ended; });
}

double Animator::nextEnd() const {
    double next = -1;
    for (const auto& block : m_running)
        if (next < 0 || block->end() < next)
            next = block->end();
    return next;
}

void Animator::reset() {
    m_open.clear();
    m_running.clear();
    m_interrupted.clear();
}

double easeInEaseOut(double progress) {
    if (!(progress > 0))
        return 0;
    if (progress >= 1)
        return 1;
    // x(s) and y(s) of the Bézier with P0 = (0, 0), P3 = (1, 1); solve x(s) = progress for s.
    constexpr double x1 = 0.42, y1 = 0.0, x2 = 0.58, y2 = 1.0;
    auto curve = [](double s, double p1, double p2) {
        double k = 1 - s;
        return 3 * k * k * s * p1 + 3 * k * s * s * p2 + s * s * s;
    };
    double low = 0, high = 1, s = progress;
    for (int i = 0; i < 60; ++i) { // x(s) is increasing: bisection converges to 1e-18
        s = (low + high) / 2;
        if (curve(s, x1, x2) < progress)
            low = s;
        else
            high = s;
    }
    return curve(s, y1, y2);
}

} // namespace torvane::platform
