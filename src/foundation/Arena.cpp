#include "foundation/Arena.h"

#include <algorithm>

#include <sys/mman.h>

namespace torvane {

Arena::Arena(std::size_t firstBlockBytes) : m_nextBlockBytes(std::max<std::size_t>(firstBlockBytes, 64)) {}

void Arena::BlockRelease::operator()(std::byte* block) const {
    // With the size where the compiler offers it (Clang only when asked), so that counting
    // allocators, such as the benchmark's, know what goes.
#if defined(__cpp_sized_deallocation)
    if (alignment == 0)
        ::operator delete[](block, bytes);
    else
        ::operator delete[](block, bytes, std::align_val_t(alignment));
#else
    if (alignment == 0)
        ::operator delete[](block);
    else
        ::operator delete[](block, std::align_val_t(alignment));
#endif
}

Arena::Block Arena::allocateBlock(std::size_t bytes, std::size_t alignment) {
    void* block =
        alignment == 0 ? ::operator new[](bytes) : ::operator new[](bytes, std::align_val_t(alignment));
    return Block(static_cast<std::byte*>(block), BlockRelease{bytes, alignment});
}

void* Arena::allocateSlow(std::size_t bytes, std::size_t alignment) {
    std::size_t blockBytes = std::max(m_nextBlockBytes, bytes + alignment + readablePastEnd);
    if (m_reserved >= hugeChunksAfterBytes) {
        // Whole huge pages only; a hint, which kernels without them ignore.
        blockBytes = (blockBytes + hugeChunkBytes - 1) & ~(hugeChunkBytes - 1);
        m_blocks.push_back(allocateBlock(blockBytes, hugeChunkBytes));
        (void)madvise(m_blocks.back().get(), blockBytes, MADV_HUGEPAGE);
    } else {
        m_blocks.push_back(allocateBlock(blockBytes, 0));
    }
    m_cursor = m_blocks.back().get();
    m_limit = m_cursor + blockBytes - readablePastEnd;
    std::memset(m_limit, 0, readablePastEnd);
    m_reserved += blockBytes;
    // Blocks double up to a chunk of moderate size and stay there: a value then holds at most one
    // chunk more than it uses, and chunks this small come from the allocator's reused heap rather
    // than from fresh pages of the system.
    m_nextBlockBytes = std::min(std::max(m_nextBlockBytes, blockBytes) * 2, maximumChunkBytes);
    return allocate(bytes, alignment);
}

void Arena::keepAlive(std::shared_ptr<const Arena> other) {
    if (other && other.get() != this)
        m_kept.push_back(std::move(other));
}

} // namespace torvane
