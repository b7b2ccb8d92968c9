#include "ScreenScene.h"

#include "../support/ScopedVariable.h"

#include <gtest/gtest.h>

using torvane::platform::Point;
namespace {

// The store's values as a packager would set them; the pages are built from them at each touch.
struct PackagedStore {
    ScopedVariable host{"TORVANE_STORE_HOST", "store.test:8080"};
    ScopedVariable pro{"TORVANE_PRO_APP_ID", "4242"};
    ScopedVariable makerPath{"TORVANE_MAKER_PATH", "acme"};
    ScopedVariable makerId{"TORVANE_MAKER_ID", "77"};
};

std::string proPage() {
    return "itms-apps://store.test:8080/us/app/torvane-pro/id4242?ls=1&mt=8";
}

std::string makerPage() {
    return "itms-apps://store.test:8080/us/artist/acme/id77?mt=8";
}

} // namespace

// MARK: - The upgrade alert

TEST(ScreenPrompts, AFirstStartOnAnLedModelShowsTheUpgradeAlertOnce) {
    for (std::optional<std::string> machine :
         {std::optional<std::string>("iPhone3,1"), std::optional<std::string>("x86_64")}) {
        SCOPED_TRACE(*machine);
        ScreenScene scene;
        auto& controller = scene.start(machine);
        ASSERT_EQ(scene.alerts.size(), 1u);
        const auto& alert = scene.alerts[0];
        EXPECT_EQ(alert.title, "Use Your FlashLight Slider!");
        EXPECT_EQ(alert.message,
                  "Upgrade to the PRO version of Torvane and use your slider to dim or make your "
                  "Flashlight even brighter!");
        EXPECT_EQ(torvane::platform::buttonTitles(alert), (std::vector<std::string>{"Upgrade", "Not Now"}));
        EXPECT_TRUE(controller.alert);
        (void)controller.view();
        scene.run(2.5);
        EXPECT_EQ(scene.alerts.size(), 1u);
    }
}

TEST(ScreenPrompts, NoAlertForAnOlderModelAnUnknownModelOrAStoredVersion) {
    {
        ScreenScene scene;
        (void)scene.start("iPhone2,1");
        EXPECT_TRUE(scene.alerts.empty());
    }
    {
        ScreenScene scene;
        (void)scene.start(std::nullopt);
        EXPECT_TRUE(scene.alerts.empty());
    }
    {
        ScreenScene scene;
        scene.storeBeforehand({{"flashlight_version", "1.6"},
                               {"lens_type", "red"},
                               {"soundfx_on", "TRUE"},
                               {"control_tray_up", "TRUE"}});
        (void)scene.start("iPhone3,1");
        EXPECT_TRUE(scene.alerts.empty());
    }
}

TEST(ScreenPrompts, UpgradeOpensTheProPageAndNotNowOpensNothing) {
    PackagedStore store;
    {
        ScreenScene scene;
        auto& controller = scene.start("iPhone3,1");
        ASSERT_EQ(scene.alerts.size(), 1u);
        scene.alerts[0].onClick(0);
        EXPECT_EQ(scene.openedURLs, (std::vector<std::string>{proPage()}));
        EXPECT_EQ(controller.appStoreUrl, proPage());
        EXPECT_FALSE(controller.alert);
    }
    {
        ScreenScene scene;
        auto& controller = scene.start("iPhone3,1");
        ASSERT_EQ(scene.alerts.size(), 1u);
        scene.alerts[0].onClick(1);
        EXPECT_TRUE(scene.openedURLs.empty());
        EXPECT_FALSE(controller.appStoreUrl);
        EXPECT_FALSE(controller.alert);
    }
}

// MARK: - The store links

TEST(ScreenPrompts, TheStoreLinksOpenTheirPagesWithTheTrayUpAndDown) {
    PackagedStore store;
    struct Case {
        torvane::screen::Flag trayUp;
        Point pro, maker;
    };
    for (const Case& c : {Case{1, {230, 300}, {100, 300}}, Case{0, {230, 470}, {100, 470}}}) {
        SCOPED_TRACE(int(c.trayUp));
        ScreenScene scene;
        auto& controller = scene.startOnScreen("iPhone2,1", 480);
        scene.run(2.5);
        controller.controlTrayUp = c.trayUp;

        controller.touchesBegan(c.pro);
        EXPECT_EQ(controller.appStoreUrl, proPage());
        controller.touchesBegan(c.maker);
        EXPECT_EQ(controller.appStoreUrl, makerPage());
        EXPECT_EQ(scene.openedURLs, (std::vector<std::string>{proPage(), makerPage()}));
    }
}

TEST(ScreenPrompts, TheGapsBetweenTheLinksOpenNothing) {
    ScreenScene scene;
    auto& controller = scene.startOnScreen("iPhone2,1", 480);
    scene.run(2.5);
    controller.controlTrayUp = 1;
    for (Point gap : {Point{180, 300}, Point{282.5f, 300}, Point{48, 300}, Point{230, 330}})
        controller.touchesBegan(gap);
    EXPECT_TRUE(scene.openedURLs.empty());
    EXPECT_FALSE(controller.appStoreUrl);
}
