#include "platform/view/ImageView.h"

#include "platform/geometry/TransformInterpolation.h"

#include <utility>

namespace torvane::platform {

ImageView::ImageView(Animator& animator, std::string name, Rect frame)
    : m_animator(animator), m_name(std::move(name)), m_frame(frame) {}

void ImageView::setFrame(Rect frame) {
    m_frame = frame;
    m_animator.setNeedsDisplay();
}

void ImageView::setFillsSides(bool fills) {
    m_fillsSides = fills;
    m_animator.setNeedsDisplay();
}

void ImageView::setImage(std::shared_ptr<Image> image) {
    m_image = std::move(image);
    m_animator.trace().record(
        "view.image", {{"view", m_name},
                       {"image", m_image ? std::optional<std::string>(m_image->fileName()) : std::nullopt}});
    m_animator.setNeedsDisplay();
}

void ImageView::setHidden(bool hidden) {
    m_hidden = hidden;
    m_animator.trace().record("view.hidden", {{"view", m_name}, {"hidden", hidden}});
    m_animator.setNeedsDisplay();
}

void ImageView::setTransform(const AffineTransform& transform) {
    setLayerTransform(Transform3D::fromAffine(transform));
}

void ImageView::setLayerTransform(const Transform3D& transform) {
    m_animator.setNeedsDisplay();
    auto block = m_animator.openBlock();
    if (!block) {
        m_animation.reset();
        m_transform = transform;
        return;
    }
    if (m_animation && m_animation->block == block) {
        m_transform = transform; // a second change in the same block keeps its starting point
        return;
    }
    double time = m_animator.now();
    Transform3D onScreen = presentationTransform(time);
    if (m_animation && m_animation->block->end() > time)
        m_animator.interrupt(m_animation->block);
    m_animation = TransformAnimation{onScreen, std::move(block)};
    m_transform = transform;
}

Transform3D ImageView::presentationTransform(double time) const {
    if (!isAnimating(time))
        return m_transform;
    const AnimationBlock& block = *m_animation->block;
    double progress = block.duration > 0 ? (time - block.start) / block.duration : 1;
    return interpolate(m_animation->from, m_transform, float(easeInEaseOut(progress)));
}

bool ImageView::isAnimating(double time) const {
    return m_animation && m_animation->block->end() > time;
}

void ImageView::addSubview(std::shared_ptr<ImageView> child) {
    if (!child || child.get() == this)
        return;
    m_subviews.push_back(std::move(child));
    m_animator.setNeedsDisplay();
}

} // namespace torvane::platform
