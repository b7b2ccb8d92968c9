#include "platform/torch/CaptureDevice.h"
#include "platform/core/Trace.h"
#include "platform/torch/CaptureSession.h"

#include "LedTrees.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace torvane::platform;

namespace {

std::string traced(const TempFolder& folder) {
    closeTrace();
    return folder.read("trace.jsonl");
}

} // namespace

TEST(LedClass, FindsTheTorchOfEachKnownPhone) {
    struct Phone {
        const char* label;
        void (*make)(const TempFolder&);
        const char* torch;
        int maxBrightness;
    };
    for (const Phone& phone : {Phone{"PinePhone", makePinePhone, "white:flash", 1},
                               Phone{"Librem 5", makeLibrem5, "lm3560:torch", 255},
                               Phone{"OnePlus 6", makeOnePlus6, "white:flash", 511}}) {
        TempFolder tree;
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
    TempFolder tree;
    addLed(tree, "led1:torch", 255, FlashClass::No, "yellow");
    addLed(tree, "led0:flash", 255, FlashClass::Yes, "white");
    EXPECT_EQ(findTorchLed(tree.path())->name, "led0:flash");

    TempFolder sameRank;
    addLed(sameRank, "b:flash", 255, FlashClass::Yes);
    addLed(sameRank, "a:flash", 255, FlashClass::Yes);
    EXPECT_EQ(findTorchLed(sameRank.path())->name, "a:flash");
}

TEST(LedClass, TorchWithoutFlashClassHasNoFlash) {
    TempFolder tree;
    addLed(tree, "white:torch", 255, FlashClass::No);
    // A flash LED of another chip does not lend its flash to this one.
    addLed(tree, "yellow:flash", 255, FlashClass::Yes);
    auto led = findTorchLed(tree.path());
    ASSERT_TRUE(led);
    EXPECT_EQ(led->name, "white:torch");
    EXPECT_FALSE(led->hasFlash);
}

TEST(LedClass, NoFlashOrTorchLedIsNoDevice) {
    TempFolder tree;
    addLed(tree, "input0::capslock", 1);
    addLed(tree, "mmc0::", 1);
    addLed(tree, "white:status", 1);
    EXPECT_FALSE(findTorchLed(tree.path()));
    EXPECT_FALSE(findTorchLed((tree.path() / "missing").string()));

    setLedRoot(tree.path());
    EXPECT_FALSE(CaptureDevice::defaultDeviceWithMediaType(MediaType::Video));
}

TEST(LedClass, FindsTheTorchNamesOfAndroidKernelsAndPrefersThemToAFlash) {
    for (const char* name : {"led:flash_torch", "led:torch_0", "led:torch_1", "torch-light", "torch-light0",
                             "torch-light1", "flashlight"}) {
        TempFolder tree;
        addLed(tree, "lm:flash", 255, FlashClass::Yes); // same rank but for the function
        addLed(tree, name, 200);
        addLed(tree, "led:switch_0", 1);
        auto led = findTorchLed(tree.path());
        ASSERT_TRUE(led) << name;
        EXPECT_EQ(led->name, name);
        EXPECT_EQ(led->maxBrightness, 200) << name;
        EXPECT_TRUE(torchLedExists(tree.path()));
    }
    TempFolder twoTorches;
    addLed(twoTorches, "led:torch_1", 200);
    addLed(twoTorches, "led:torch_0", 200);
    EXPECT_EQ(findTorchLed(twoTorches.path())->name, "led:torch_0");

    TempFolder lookAlikes;
    for (const char* name : {"led:torch_2", "torch-light2", "flashlights", "led:flash_torch_0", "mytorch"})
        addLed(lookAlikes, name, 1);
    EXPECT_FALSE(findTorchLed(lookAlikes.path()));
    EXPECT_FALSE(torchLedExists(lookAlikes.path()));
}

TEST(LedClass, NoTorchLedIsAStateThatIsNotLogged) {
    TempFolder tree;
    addLed(tree, "input0::capslock", 1);
    setLedRoot(tree.path());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CaptureDevice::defaultDeviceWithMediaType(MediaType::Video));
    EXPECT_FALSE(CaptureDevice::defaultDeviceWithMediaType(MediaType::Video));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(LedClass, RootComesFromTheCommandLineThenTheEnvironment) {
    TempFolder fromEnvironment;
    makePinePhone(fromEnvironment);
    ::setenv(ledRootVariable, fromEnvironment.path().c_str(), 1);
    setLedRoot("/nonexistent-led-root");
    EXPECT_EQ(ledRoot(), "/nonexistent-led-root");
    EXPECT_FALSE(CaptureDevice::defaultDeviceWithMediaType(MediaType::Video));
    ::unsetenv(ledRootVariable);
}

TEST(CaptureDevice, TorchOnWritesMaxBrightnessAndOffWritesZero) {
    TempFolder tree;
    makeLibrem5(tree);
    setLedRoot(tree.path());
    ASSERT_TRUE(openTrace(tree.path() / "trace.jsonl"));

    auto device = CaptureDevice::defaultDeviceWithMediaType(MediaType::Video);
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
    auto again = CaptureDevice::defaultDeviceWithMediaType(MediaType::Video);
    EXPECT_EQ(again->torchMode(), TorchMode::On);
    again->lockForConfiguration();
    again->setTorchMode(TorchMode::Off);
    again->setFlashMode(FlashMode::Off);
    again->unlockForConfiguration();
    EXPECT_EQ(brightnessOf(tree, "lm3560:torch"), "0");

    auto lines = traced(tree);
    EXPECT_NE(lines.find("\"op\":\"led\",\"torch\":1,\"flash\":1}\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("\"op\":\"led\",\"torch\":0,\"flash\":0}\n"), std::string::npos) << lines;
}

TEST(CaptureDevice, RefusedLockLeavesTheLedAsItWas) {
    TempFolder tree;
    makePinePhone(tree);
    // Root may write any file, so "not ours to write" is a brightness that is not a file. logind is
    // absent here, so its way is refused too.
    std::filesystem::remove(tree.path() / "white:flash/brightness");
    std::filesystem::create_directory(tree.path() / "white:flash/brightness");
    setLedRoot(tree.path());
    ASSERT_TRUE(openTrace(tree.path() / "trace.jsonl"));

    auto device = CaptureDevice::defaultDeviceWithMediaType(MediaType::Video);
    ASSERT_TRUE(device);
    EXPECT_FALSE(device->lockForConfiguration());
    device->setTorchMode(TorchMode::On);
    device->setFlashMode(FlashMode::On);
    device->unlockForConfiguration();
    EXPECT_EQ(device->torchMode(), TorchMode::Off);
    EXPECT_TRUE(std::filesystem::is_directory(tree.path() / "white:flash/brightness"));
    EXPECT_TRUE(std::filesystem::is_empty(tree.path() / "white:flash/brightness"));

    // The trace still shows what the application asked for.
    auto lines = traced(tree);
    EXPECT_NE(lines.find("\"op\":\"led\",\"torch\":1,\"flash\":1}\n"), std::string::npos) << lines;
}

TEST(CaptureDevice, ModesWithoutTheLockChangeNothing) {
    TempFolder tree;
    makeOnePlus6(tree);
    setLedRoot(tree.path());
    auto device = CaptureDevice::defaultDeviceWithMediaType(MediaType::Video);
    ASSERT_TRUE(device);
    device->setTorchMode(TorchMode::On);
    EXPECT_EQ(brightnessOf(tree, "white:flash"), "0");
    EXPECT_EQ(device->torchMode(), TorchMode::Off);
}

TEST(CaptureSession, TracesCreateCommitAndStartInTheirOrder) {
    TempFolder folder;
    ASSERT_TRUE(openTrace(folder.path() / "trace.jsonl"));
    CaptureSession session;
    session.beginConfiguration();
    EXPECT_TRUE(session.isConfiguring());
    session.addOutput(VideoDataOutput{});
    session.commitConfiguration();
    session.startRunning();
    EXPECT_TRUE(session.isRunning());
    EXPECT_EQ(session.outputCount(), 1u);

    auto lines = traced(folder);
    auto create = lines.find("\"event\":\"create\"");
    auto commit = lines.find("\"event\":\"commit\"");
    auto start = lines.find("\"event\":\"start\"");
    ASSERT_NE(create, std::string::npos) << lines;
    EXPECT_LT(create, commit);
    EXPECT_LT(commit, start);
    EXPECT_NE(start, std::string::npos);
}
