#include "platform/torch/CaptureDevice.h"
#include "platform/torch/CaptureSession.h"
#include "platform/torch/LedAccess.h"

#include "../support/TestContext.h"
#include "LedTrees.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace torvane::platform;

namespace {

std::string traced(TestContext& t) {
    t.stopTrace();
    return t.folder.read("trace.jsonl");
}

} // namespace

TEST(LedClass, FindsTheTorchOfEachKnownPhone) {
    struct Phone {
        const char* label;
        void (*make)(const TemporaryFolder&);
        const char* torch;
        int maxBrightness;
    };
    for (const Phone& phone : {Phone{"PinePhone", makePinePhone, "white:flash", 1},
                               Phone{"Librem 5", makeLibrem5, "lm3560:torch", 255},
                               Phone{"OnePlus 6", makeOnePlus6, "white:flash", 511}}) {
        TemporaryFolder tree;
        phone.make(tree);
        auto led = findTorchLed(tree.path());
        ASSERT_TRUE(led) << phone.label;
        EXPECT_EQ(led->name, phone.torch) << phone.label;
        EXPECT_EQ(led->maxBrightness, phone.maxBrightness) << phone.label;
        // The Librem 5's torch LED is not of the flash class, but its chip's other LED is.
        EXPECT_TRUE(led->hasFlash) << phone.label;
    }
}

TEST(LedClass, PrefersWhiteByColorAttributeThenTorchThenName) {
    TemporaryFolder tree;
    addLed(tree, "led1:torch", 255, FlashClass::No, "yellow");
    addLed(tree, "led0:flash", 255, FlashClass::Yes, "white");
    EXPECT_EQ(findTorchLed(tree.path())->name, "led0:flash");

    TemporaryFolder sameRank;
    addLed(sameRank, "b:flash", 255, FlashClass::Yes);
    addLed(sameRank, "a:flash", 255, FlashClass::Yes);
    EXPECT_EQ(findTorchLed(sameRank.path())->name, "a:flash");
}

TEST(LedClass, TorchWithoutFlashClassHasNoFlash) {
    TemporaryFolder tree;
    addLed(tree, "white:torch", 255, FlashClass::No);
    // A flash LED of another chip does not lend its flash to this one.
    addLed(tree, "yellow:flash", 255, FlashClass::Yes);
    auto led = findTorchLed(tree.path());
    ASSERT_TRUE(led);
    EXPECT_EQ(led->name, "white:torch");
    EXPECT_FALSE(led->hasFlash);
}

TEST(LedClass, NoFlashOrTorchLedIsNoDevice) {
    TemporaryFolder tree;
    addLed(tree, "input0::capslock", 1);
    addLed(tree, "mmc0::", 1);
    addLed(tree, "white:status", 1);
    EXPECT_FALSE(findTorchLed(tree.path()));
    EXPECT_FALSE(findTorchLed((tree.path() / "missing").string()));

    TestContext t;
    LedAccess leds(t.context.trace, tree.path().string());
    EXPECT_FALSE(CaptureDevice::defaultDeviceWithMediaType(leds, MediaType::Video));
}

TEST(LedClass, FindsTheTorchNamesOfAndroidKernelsAndPrefersThemToAFlash) {
    for (const char* name : {"led:flash_torch", "led:torch_0", "led:torch_1", "torch-light", "torch-light0",
                             "torch-light1", "flashlight"}) {
        TemporaryFolder tree;
        addLed(tree, "lm:flash", 255, FlashClass::Yes); // same rank but for the function
        addLed(tree, name, 200);
        addLed(tree, "led:switch_0", 1);
        auto led = findTorchLed(tree.path());
        ASSERT_TRUE(led) << name;
        EXPECT_EQ(led->name, name);
        EXPECT_EQ(led->maxBrightness, 200) << name;
        EXPECT_TRUE(torchLedExists(tree.path()));
    }
    TemporaryFolder twoTorches;
    addLed(twoTorches, "led:torch_1", 200);
    addLed(twoTorches, "led:torch_0", 200);
    EXPECT_EQ(findTorchLed(twoTorches.path())->name, "led:torch_0");

    TemporaryFolder lookAlikes;
    for (const char* name : {"led:torch_2", "torch-light2", "flashlights", "led:flash_torch_0", "mytorch"})
        addLed(lookAlikes, name, 1);
    EXPECT_FALSE(findTorchLed(lookAlikes.path()));
    EXPECT_FALSE(torchLedExists(lookAlikes.path()));
}

TEST(LedClass, NoTorchLedIsAStateThatIsNotLogged) {
    TemporaryFolder tree;
    addLed(tree, "input0::capslock", 1);
    TestContext t;
    LedAccess leds(t.context.trace, tree.path().string());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CaptureDevice::defaultDeviceWithMediaType(leds, MediaType::Video));
    EXPECT_FALSE(CaptureDevice::defaultDeviceWithMediaType(leds, MediaType::Video));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The command line's folder reaches the LEDs through the environment; a context's own root wins.
TEST(LedClass, RootComesFromTheContextThenTheEnvironment) {
    TemporaryFolder fromEnvironment;
    makePinePhone(fromEnvironment);
    TestContext t;
    ::setenv(ledRootVariable, fromEnvironment.path().c_str(), 1);
    EXPECT_EQ(ledRoot(), fromEnvironment.path().string());
    LedAccess fromContext(t.context.trace, "/nonexistent-led-root");
    EXPECT_EQ(fromContext.root(), "/nonexistent-led-root");
    EXPECT_FALSE(CaptureDevice::defaultDeviceWithMediaType(fromContext, MediaType::Video));
    LedAccess byDefault(t.context.trace);
    EXPECT_TRUE(CaptureDevice::defaultDeviceWithMediaType(byDefault, MediaType::Video));
    ::setenv(ledRootVariable, "", 1); // empty is the same as none
    EXPECT_EQ(ledRoot(), defaultLedRoot);
    ::unsetenv(ledRootVariable);
    EXPECT_EQ(ledRoot(), defaultLedRoot);
}

TEST(CaptureDevice, TorchOnWritesMaxBrightnessAndOffWritesZero) {
    TemporaryFolder tree;
    makeLibrem5(tree);
    TestContext t;
    LedAccess leds(t.context.trace, tree.path().string());
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());

    auto device = CaptureDevice::defaultDeviceWithMediaType(leds, MediaType::Video);
    ASSERT_TRUE(device);
    EXPECT_TRUE(device->hasTorch());
    EXPECT_TRUE(device->hasFlash());
    ASSERT_TRUE(device->lockForConfiguration());
    device->setTorchMode(TorchMode::On);
    device->setFlashMode(FlashMode::On);
    device->unlockForConfiguration();
    EXPECT_EQ(brightnessOf(tree, "lm3560:torch"), "255");
    EXPECT_EQ(brightnessOf(tree, "lm3560:flash"), "0");
    EXPECT_EQ(tree.read("lm3560:flash/flash_strobe"), "0\n") << "the flash never strobes";

    // The device is fetched anew for each toggle, as the screen does.
    auto again = CaptureDevice::defaultDeviceWithMediaType(leds, MediaType::Video);
    EXPECT_EQ(again->torchMode(), TorchMode::On);
    again->lockForConfiguration();
    again->setTorchMode(TorchMode::Off);
    again->setFlashMode(FlashMode::Off);
    again->unlockForConfiguration();
    EXPECT_EQ(brightnessOf(tree, "lm3560:torch"), "0");

    auto lines = traced(t);
    EXPECT_NE(lines.find("\"op\":\"led\",\"torch\":1,\"flash\":1}\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("\"op\":\"led\",\"torch\":0,\"flash\":0}\n"), std::string::npos) << lines;
}

TEST(CaptureDevice, RefusedLockLeavesTheLedAsItWas) {
    TemporaryFolder tree;
    makePinePhone(tree);
    // Root may write any file, so "not ours to write" is a brightness that is not a file. logind is
    // absent here, so its way is refused too.
    std::filesystem::remove(tree.path() / "white:flash/brightness");
    std::filesystem::create_directory(tree.path() / "white:flash/brightness");
    TestContext t;
    LedAccess leds(t.context.trace, tree.path().string());
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());

    auto device = CaptureDevice::defaultDeviceWithMediaType(leds, MediaType::Video);
    ASSERT_TRUE(device);
    EXPECT_FALSE(device->lockForConfiguration());
    device->setTorchMode(TorchMode::On);
    device->setFlashMode(FlashMode::On);
    device->unlockForConfiguration();
    EXPECT_EQ(device->torchMode(), TorchMode::Off);
    EXPECT_TRUE(std::filesystem::is_directory(tree.path() / "white:flash/brightness"));
    EXPECT_TRUE(std::filesystem::is_empty(tree.path() / "white:flash/brightness"));

    // The trace still shows what the application asked for.
    auto lines = traced(t);
    EXPECT_NE(lines.find("\"op\":\"led\",\"torch\":1,\"flash\":1}\n"), std::string::npos) << lines;
}

TEST(CaptureDevice, ModesWithoutTheLockChangeNothing) {
    TemporaryFolder tree;
    makeOnePlus6(tree);
    TestContext t;
    LedAccess leds(t.context.trace, tree.path().string());
    auto device = CaptureDevice::defaultDeviceWithMediaType(leds, MediaType::Video);
    ASSERT_TRUE(device);
    device->setTorchMode(TorchMode::On);
    EXPECT_EQ(brightnessOf(tree, "white:flash"), "0");
    EXPECT_EQ(device->torchMode(), TorchMode::Off);
}

TEST(CaptureSession, TracesCreateCommitAndStartInTheirOrder) {
    TestContext t;
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());
    CaptureSession session(t.context.trace);
    session.beginConfiguration();
    EXPECT_TRUE(session.isConfiguring());
    session.addOutput(VideoDataOutput{});
    session.commitConfiguration();
    session.startRunning();
    EXPECT_TRUE(session.isRunning());
    EXPECT_EQ(session.outputCount(), 1u);

    auto lines = traced(t);
    auto create = lines.find("\"event\":\"create\"");
    auto commit = lines.find("\"event\":\"commit\"");
    auto start = lines.find("\"event\":\"start\"");
    ASSERT_NE(create, std::string::npos) << lines;
    EXPECT_LT(create, commit);
    EXPECT_LT(commit, start);
    EXPECT_NE(start, std::string::npos);
}
