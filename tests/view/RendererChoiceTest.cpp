#include "platform/view/RendererChoice.h"

#include <gtest/gtest.h>

using torvane::platform::isSoftwareRasteriser;

TEST(RendererChoice, OnlyMesasSoftwareRasterisersCountAsNoGpu) {
    EXPECT_TRUE(isSoftwareRasteriser("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(isSoftwareRasteriser("softpipe"));
    EXPECT_TRUE(isSoftwareRasteriser("Mesa DRI swrast"));
    EXPECT_FALSE(isSoftwareRasteriser("Mali-G52 (Panfrost)"));
    EXPECT_FALSE(isSoftwareRasteriser("Vivante GC7000 rev 6214"));
    EXPECT_FALSE(isSoftwareRasteriser("Adreno (TM) 630"));
    // A back end that is not OpenGL has no renderer string: it keeps the accelerated renderer.
    EXPECT_FALSE(isSoftwareRasteriser(""));
}
