// loadView: the view tree, built once, and the first two blocks of the opening sequence; and
// the same tree following the window when its height changes.
//
// Geometry is laid out for a 480-point-high screen; what sits at the bottom moves down by the
// extra height of a taller one (H - 480, in 32-bit floats as the fields hold them).

#include "screen/TorvaneViewController.h"

#include "platform/storage/SettingsStore.h"
#include "platform/view/Animator.h"
#include "platform/view/Image.h"
#include "screen/AnimationIdentifiers.h"

namespace torvane::screen {

namespace {

// The pictures besides the lens's; the first frame shows them all.
const std::string basePicture = "base.png";
const std::string trayPicture = "control_tray_free.png";
const std::string soundOffPicture = "sound_off.png";
const std::string trayRestorePicture = "tray_up_button.png";

std::shared_ptr<platform::ImageView> makeImageView(platform::Context& context, const char* field,
                                                   platform::Rect frame,
                                                   const std::optional<std::string>& imageFile) {
    auto view = std::make_shared<platform::ImageView>(context.animator, field, frame);
    view->setImage(imageFile ? context.images.imageNamed(*imageFile) : nullptr);
    return view;
}

platform::Rect rootFrame(float H) {
    return {0, 0, 320, H};
}

platform::Rect lensFrame(float H) {
    return {0, 480, 320, H};
}

platform::Rect trayFrame(float H) {
    return {0, (H - 480.0f) + 291.0f, 320, 190};
}

float bodyDrop(float H) {
    return (H - 480.0f) + 202.0f;
}

} // namespace

std::shared_ptr<platform::ImageView> TorvaneViewController::view() {
    if (!m_view)
        loadView();
    return m_view;
}

void TorvaneViewController::loadView() {
    const float H = screenHeight;
    m_view = std::make_shared<platform::ImageView>(m_environment.context.animator, "view", rootFrame(H));

    imageLensView = makeImageView(m_environment.context, "imageLensView", lensFrame(H), lensFileInUse);
    // The light reaches the window's edges where the window is wider than the screen.
    imageLensView->setFillsSides(true);
    m_view->addSubview(imageLensView);
    lensTransform = platform::AffineTransform::identity();

    baseView = makeImageView(m_environment.context, "baseView", {53, 197, 214, 321}, basePicture);
    m_view->addSubview(baseView);

    controlTrayView = makeImageView(m_environment.context, "controlTrayView", trayFrame(H), trayPicture);
    // So does the tray's panel, so that the light does not end in black beside it.
    controlTrayView->setFillsSides(true);
    m_view->addSubview(controlTrayView);

    soundOffButtonView =
        makeImageView(m_environment.context, "soundOffButtonView", {9, 6, 30, 28}, soundOffPicture);
    controlTrayView->addSubview(soundOffButtonView);
    soundOffButtonView->setHidden(soundFxOn == 1);

    trayRestoreButtonView =
        makeImageView(m_environment.context, "trayRestoreButtonView", {292, 6, 26, 26}, trayRestorePicture);
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
    flashlightTransform = platform::AffineTransform::makeTranslation(0, bodyDrop(H));
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

// What hangs from the bottom edge moves with it, as the platform's autoresizing would move it;
// running animations are left alone, as they move views relative to their frames, so a change in
// the middle of one neither makes it jump nor ends it early.
void TorvaneViewController::layoutHeightChanged(float height) {
    const float before = screenHeight;
    screenHeight = height;
    if (!m_view || height == before)
        return;
    const float H = screenHeight;
    m_view->setFrame(rootFrame(H));
    imageLensView->setFrame(lensFrame(H));
    controlTrayView->setFrame(trayFrame(H));
    // The body's drop towards the bottom was given to its transform, which may still be
    // animating: its frame takes the difference instead. While the zoom lasts the field keeps
    // the drop for the new height, as a tray slide started meanwhile computes the lens from it.
    platform::Rect body = baseView->frame();
    body.y += H - before;
    baseView->setFrame(body);
    if (flashlightTransform != platform::AffineTransform::identity())
        flashlightTransform.ty = bodyDrop(H);
}

} // namespace torvane::screen
