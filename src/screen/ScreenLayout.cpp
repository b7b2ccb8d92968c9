// loadView: the view tree, built once, and the first two blocks of the opening sequence.
//
// Geometry is laid out for a 480-point-high screen; what sits at the bottom moves down by the
// extra height of a taller one (H - 480, in 32-bit floats as the fields hold them).

#include "screen/TorvaneViewController.h"

#include "platform/view/Animator.h"
#include "platform/view/Image.h"
#include "screen/AnimationIdentifiers.h"

namespace torvane::screen {

namespace {

std::shared_ptr<platform::ImageView> makeImageView(platform::Context& context, const char* field,
                                                   platform::Rect frame,
                                                   const std::optional<std::string>& imageFile) {
    auto view = std::make_shared<platform::ImageView>(context.animator, field, frame);
    view->setImage(imageFile ? context.images.imageNamed(*imageFile) : nullptr);
    return view;
}

} // namespace

std::shared_ptr<platform::ImageView> TorvaneViewController::view() {
    if (!m_view)
        loadView();
    return m_view;
}

void TorvaneViewController::loadView() {
    const float H = screenHeight;
    m_view = std::make_shared<platform::ImageView>(m_environment.context.animator, "view", platform::Rect{0, 0, 320, H});

    imageLensView = makeImageView(m_environment.context, "imageLensView", {0, 480, 320, H}, lensFileInUse);
    m_view->addSubview(imageLensView);
    lensTransform = platform::AffineTransform::identity();

    baseView = makeImageView(m_environment.context, "baseView", {53, 197, 214, 321}, "base.png");
    m_view->addSubview(baseView);

    controlTrayView =
        makeImageView(m_environment.context, "controlTrayView", {0, (H - 480.0f) + 291.0f, 320, 190}, "control_tray_free.png");
    m_view->addSubview(controlTrayView);

    soundOffButtonView = makeImageView(m_environment.context, "soundOffButtonView", {9, 6, 30, 28}, "sound_off.png");
    controlTrayView->addSubview(soundOffButtonView);
    soundOffButtonView->setHidden(soundFxOn == 1);

    trayRestoreButtonView = makeImageView(m_environment.context, "trayRestoreButtonView", {292, 6, 26, 26}, "tray_up_button.png");
    controlTrayView->addSubview(trayRestoreButtonView);
    trayRestoreButtonView->setHidden(true);

    controlTrayTransform = platform::AffineTransform::identity();

    // The layer gets the plain identity; only the flip below carries the perspective.
    ca3DBoardTrans = platform::Transform3D::identity();
    gameBoardLayer = controlTrayView.get();
    gameBoardLayer->setLayerTransform(ca3DBoardTrans);
    ca3DBoardTrans.m34 = -0.002f; // a viewing distance of 500 points

    flashlightTransform = platform::AffineTransform::identity();

    beginAnimation(MoveFlashLightIntoPlace, 0.5);
    flashlightTransform = platform::AffineTransform::makeTranslation(0, (H - 480.0f) + 202.0f);
    flashlightTransform = platform::scale(flashlightTransform, 1.52f, 1.52f);
    baseView->setTransform(flashlightTransform);
    m_environment.context.animator.commitAnimations();

    // Edge-on at once: the tray is out of sight until the opening sequence flips it up.
    beginAnimation(FlipControlTrayDown, 0.0001);
    ca3DBoardTrans = platform::rotate(ca3DBoardTrans, 1.5707964f, 1, 0, 0);
    gameBoardLayer->setLayerTransform(ca3DBoardTrans);
    m_environment.context.animator.commitAnimations();

    playEffect(audioPlayerLowerLensCover.get());
}

} // namespace torvane::screen
