#pragma once

// An image view with its layer (the platform's UIImageView and CALayer): a frame in its parent's
// points, an image stretched to fill it, a hidden flag, one transform acting about the frame's
// centre, and children drawn in its own space, later ones over earlier ones.
//
// The transform has a model value (the last one set) and a presentation value (what is on screen
// now, which differs while an animation block carries it from one to the other). Setting the 2D
// transform or the layer's 3D one replaces the whole: a view has one transform. Main thread only.

#include "platform/geometry/Geometry.h"
#include "platform/geometry/Transform3D.h"
#include "platform/view/Animator.h"
#include "platform/view/Image.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace torvane::platform {

class ImageView {
  public:
    // `name` names the view in the trace: the controller's field that holds it. The animator
    // carries the view's transform changes and must outlive it.
    ImageView(Animator& animator, std::string name, Rect frame);

    [[nodiscard]] const std::string& name() const { return m_name; }
    [[nodiscard]] Rect frame() const { return m_frame; }
    // A new frame shows at once; a transform animating meanwhile carries on about the new centre.
    void setFrame(Rect frame);

    // Whether the picture's outermost columns are stretched sideways to the window's edges
    // where the window is wider than the screen's column, so that light has no black beside it.
    [[nodiscard]] bool fillsSides() const { return m_fillsSides; }
    void setFillsSides(bool fills);

    [[nodiscard]] const std::shared_ptr<Image>& image() const { return m_image; }
    // Null leaves the view empty; traced as `view.image`.
    void setImage(std::shared_ptr<Image> image);

    [[nodiscard]] bool isHidden() const { return m_hidden; }
    // Traced as `view.hidden`.
    void setHidden(bool hidden);

    // The view's 2D transform (setTransform:) and its layer's 3D one (layer.transform).
    void setTransform(const AffineTransform& transform);
    void setLayerTransform(const Transform3D& transform);
    [[nodiscard]] const Transform3D& transform() const { return m_transform; }
    [[nodiscard]] Transform3D presentationTransform(double time) const;
    [[nodiscard]] bool isAnimating(double time) const;

    void addSubview(std::shared_ptr<ImageView> child);
    [[nodiscard]] const std::vector<std::shared_ptr<ImageView>>& subviews() const { return m_subviews; }

  private:
    struct TransformAnimation {
        Transform3D from;
        std::shared_ptr<AnimationBlock> block;
    };

    Animator& m_animator;
    std::string m_name;
    Rect m_frame;
    std::shared_ptr<Image> m_image;
    bool m_hidden{false};
    bool m_fillsSides{false};
    Transform3D m_transform;
    std::optional<TransformAnimation> m_animation;
    std::vector<std::shared_ptr<ImageView>> m_subviews;
};

} // namespace torvane::platform
