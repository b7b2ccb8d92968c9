#include "foundation/Arena.h"

#include <algorithm>

namespace torvane {

Arena::Arena(std::size_t firstBlockBytes) : m_nextBlockBytes(std::max<std::size_t>(firstBlockBytes, 64)) {}

void* Arena::allocateSlow(std::size_t bytes, std::size_t alignment) {
    std::size_t blockBytes = std::max(m_nextBlockBytes, bytes + alignment);
    m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(blockBytes));
    m_cursor = m_blocks.back().get();
    m_limit = m_cursor + blockBytes;
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
