// SPDX-License-Identifier: GPL-3.0-or-later
// Global memory blocks: a size, a lock count and zeroed contents that stay in place while the
// block lives. Imaging libraries hand images out in them; VexelMemFree releases them.
#include "vexcore/vexcore.h"

#include "vexcore/HandleTable.h"

#include <cstddef>
#include <limits>
#include <new>

namespace winorbis::vex {
namespace {

struct Block {
    std::unique_ptr<std::byte[]> data;
    std::size_t size = 0;
    unsigned locks = 0;
};

HandleTable<Block>& blocks() {
    static HandleTable<Block> table;
    return table;
}

} // namespace
} // namespace winorbis::vex

using namespace winorbis::vex;

HGLOBAL VexGlobalAlloc(UINT /*flags*/, size_t bytes) {
    // Sizes are reported as 32-bit values.
    if (bytes > std::numeric_limits<DWORD>::max())
        return nullptr;
    auto block = std::make_unique<Block>();
    if (bytes > 0) {
        block->data.reset(new (std::nothrow) std::byte[bytes]());
        if (!block->data)
            return nullptr;
    }
    block->size = bytes;
    return toHandle<HGLOBAL>(blocks().add(std::move(block)));
}

LPVOID VexGlobalLock(HGLOBAL handle) {
    LPVOID result = nullptr;
    blocks().with(handle, [&](Block& block) {
        if (block.size == 0)
            return;
        ++block.locks;
        result = block.data.get();
    });
    return result;
}

BOOL VexGlobalUnlock(HGLOBAL handle) {
    BOOL stillLocked = 0;
    blocks().with(handle, [&](Block& block) {
        if (block.locks > 0)
            --block.locks;
        stillLocked = block.locks > 0;
    });
    return stillLocked;
}

HGLOBAL VexGlobalFree(HGLOBAL handle) {
    return blocks().remove(handle) ? nullptr : handle;
}

UINT VexGlobalLockCount(HGLOBAL handle) {
    UINT locks = 0;
    blocks().with(handle, [&](Block& block) { locks = block.locks; });
    return locks;
}

DWORD VEXAPI VexelMemSize(HGLOBAL handle) {
    DWORD size = 0;
    blocks().with(handle, [&](Block& block) { size = static_cast<DWORD>(block.size); });
    return size;
}

BOOL VEXAPI VexelMemFree(HGLOBAL handle) {
    // Freeing drops every lock with the block. A valid block of size 0 is freed as well, so that
    // its handle does not outlive the caller's last use of it.
    blocks().remove(handle);
    return 1;
}
