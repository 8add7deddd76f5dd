// SPDX-License-Identifier: GPL-3.0-or-later
// Global memory blocks: sizes, lock counts and VexelMemFree.
#include "vexcore/vexcore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

TEST(GlobalMemory, BlocksStartZeroedAndStayInPlace) {
    const HGLOBAL block = VexGlobalAlloc(GMEM_MOVEABLE, 100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(VexelMemSize(block), 100u);
    auto* first = static_cast<BYTE*>(VexGlobalLock(block));
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(first[i], 0);
    std::memset(first, 0xAB, 100);
    EXPECT_EQ(VexGlobalLock(block), first);
    EXPECT_EQ(VexGlobalLockCount(block), 2u);
    EXPECT_TRUE(VexGlobalUnlock(block));
    EXPECT_FALSE(VexGlobalUnlock(block));
    EXPECT_FALSE(VexGlobalUnlock(block)); // never below zero
    EXPECT_EQ(VexGlobalLockCount(block), 0u);
    EXPECT_EQ(VexGlobalFree(block), nullptr);
    EXPECT_EQ(VexGlobalFree(block), block);
}

TEST(GlobalMemory, MemFreeReleasesABlockLockedSeveralTimes) {
    const HGLOBAL block = VexGlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(VexGlobalLock(block), nullptr);
    EXPECT_EQ(VexGlobalLockCount(block), 3u);
    EXPECT_EQ(VexelMemFree(block), 1);
    EXPECT_EQ(VexelMemSize(block), 0u);
    EXPECT_EQ(VexGlobalLock(block), nullptr);
    EXPECT_EQ(VexelMemFree(block), 1); // a freed handle is ignored
}

TEST(GlobalMemory, InvalidAndEmptyHandles) {
    EXPECT_EQ(VexelMemSize(nullptr), 0u);
    EXPECT_EQ(VexelMemFree(nullptr), 1);
    int local = 0;
    EXPECT_EQ(VexelMemSize(&local), 0u); // a pointer is no handle
    EXPECT_EQ(VexelMemFree(&local), 1);
    EXPECT_EQ(VexGlobalLock(&local), nullptr);

    const HGLOBAL empty = VexGlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(VexelMemSize(empty), 0u);
    EXPECT_EQ(VexGlobalLock(empty), nullptr);
    EXPECT_EQ(VexelMemFree(empty), 1);
    EXPECT_EQ(VexGlobalFree(empty), empty); // VexelMemFree released it too

    EXPECT_EQ(VexGlobalAlloc(GMEM_MOVEABLE, size_t(1) << 33), nullptr); // beyond 32-bit sizes
}

TEST(GlobalMemory, BlocksFromSeveralThreads) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 500; ++i) {
                const HGLOBAL block = VexGlobalAlloc(GMEM_MOVEABLE, 8);
                auto* bytes = static_cast<BYTE*>(VexGlobalLock(block));
                bytes[7] = 1;
                VexGlobalUnlock(block);
                VexelMemFree(block);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
}
