#pragma once

// A bump allocator that owns every node, string and container of one value tree.
//
// Budget: a parsed document makes one allocation per block, never one per value; blocks grow from
// a small first one to chunks of 64 KiB, so a value holds memory in proportion to itself. Past
// 4 MiB the chunks are 2 MiB, aligned to that size and offered to the kernel as huge pages: a large
// tree then takes its memory in 512 times fewer page faults (a fifth of the time of reading deeply
// nested documents went to them) and holds at most half as much again as it uses. A block
// is freed only when the last Value handle into the arena goes away. Everything placed in an arena
// is trivially destructible, so the arena frees its blocks without running destructors.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace torvane {

class Arena {
  public:
    explicit Arena(std::size_t firstBlockBytes = 256);
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    [[nodiscard]] void* allocate(std::size_t bytes, std::size_t alignment) {
        auto address = reinterpret_cast<std::uintptr_t>(m_cursor);
        auto aligned = (address + alignment - 1) & ~(std::uintptr_t(alignment) - 1);
        if (aligned + bytes <= reinterpret_cast<std::uintptr_t>(m_limit)) [[likely]] {
            m_cursor = reinterpret_cast<std::byte*>(aligned + bytes);
            return reinterpret_cast<void*>(aligned);
        }
        return allocateSlow(bytes, alignment);
    }

    // Uninitialised room for `count` objects of a trivially destructible type.
    template <typename T>
    [[nodiscard]] T* allocateArray(std::size_t count) {
        static_assert(std::is_trivially_destructible_v<T>);
        if (count == 0)
            return nullptr;
        return static_cast<T*>(allocate(sizeof(T) * count, alignof(T)));
    }

    template <typename T>
    [[nodiscard]] T* copyArray(const T* source, std::size_t count) {
        static_assert(std::is_trivially_copyable_v<T>);
        T* target = allocateArray<T>(count);
        if (count != 0)
            std::memcpy(static_cast<void*>(target), source, sizeof(T) * count);
        return target;
    }

    // Takes back the unused tail [usedEnd, allocationEnd) of the latest allocation, for callers
    // that allocate for the worst case; it stays allocated when anything was allocated since.
    void giveBack(const void* usedEnd, const void* allocationEnd) {
        if (allocationEnd == m_cursor)
            m_cursor = static_cast<std::byte*>(const_cast<void*>(usedEnd));
    }

    // Bytes left in the current block: what the next allocations take without a new block.
    [[nodiscard]] std::size_t available() const { return std::size_t(m_limit - m_cursor); }

    // Values built from parts of other trees point into those trees' arenas; this keeps them alive.
    void keepAlive(std::shared_ptr<const Arena> other);

    // Every block ends in this many zero bytes that are never handed out, so whatever an arena
    // holds may be read that far past its end: the JSON writer takes strings sixteen bytes at a
    // time without a slower path for their last bytes.
    static constexpr std::size_t readablePastEnd = 16;

    // Bytes handed out so far, for the benchmarks' memory figures.
    [[nodiscard]] std::size_t bytesReserved() const { return m_reserved; }

  private:
    void* allocateSlow(std::size_t bytes, std::size_t alignment);

    // Larger requests get a block of their own size.
    static constexpr std::size_t maximumChunkBytes = std::size_t(64) << 10;
    static constexpr std::size_t hugeChunkBytes = std::size_t(2) << 20;
    static constexpr std::size_t hugeChunksAfterBytes = std::size_t(4) << 20;

    // A block from operator new[], aligned as `alignment` asks (0: the default).
    struct BlockRelease {
        std::size_t bytes{0};
        std::size_t alignment{0};
        void operator()(std::byte* block) const;
    };
    using Block = std::unique_ptr<std::byte[], BlockRelease>;
    static Block allocateBlock(std::size_t bytes, std::size_t alignment);

    std::vector<Block> m_blocks;
    std::vector<std::shared_ptr<const Arena>> m_kept;
    std::byte* m_cursor{nullptr};
    std::byte* m_limit{nullptr};
    std::size_t m_nextBlockBytes{256};
    std::size_t m_reserved{0};
};

} // namespace torvane
