#pragma once
// Memory for the cmark tree of one parse. A parse makes hundreds of thousands of small allocations
// that all die together; taking them from large blocks makes them cheap, keeps neighbouring nodes
// next to each other for the passes that follow, and releases the whole tree at once.
//
// cmark's allocator callbacks carry no context, so the arena that serves them is the one made active
// on the calling thread. A tree is therefore worked on (parsed, changed, or read in ways that may copy
// a string) only while its own arena is active, or while none is; cmark also refuses to join nodes
// made through different allocators, so every node of ours goes through allocator().

#include <cmark-gfm.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Markdown::CmarkCompat {

class CmarkArena {
public:
    CmarkArena() = default;
    CmarkArena(const CmarkArena&) = delete;
    CmarkArena& operator=(const CmarkArena&) = delete;
    ~CmarkArena();

    // The allocator to give cmark. It serves the arena made active on the calling thread and the heap
    // when there is none; memory from either is released correctly by either.
    static cmark_mem* allocator();
    // How many allocations allocator() has served from the heap in this process so far.
    static std::uint64_t heapAllocationCount();

    // Makes `arena` the one allocator() serves on this thread for the scope's life.
    class Active {
    public:
        explicit Active(CmarkArena& arena);
        ~Active();
        Active(const Active&) = delete;
        Active& operator=(const Active&) = delete;

    private:
        CmarkArena* previous_;
    };
    // The same without a scope object: makes `arena` (or none) the active one and returns the one
    // it replaces, for scopes that keep their own state.
    static CmarkArena* makeActive(CmarkArena* arena);

    // Zeroed memory of `size` bytes, 16-byte aligned, valid until the arena is destroyed.
    void* allocate(std::size_t size);
    // Grows the most recent allocation in place when it is `memory` and the block has room.
    bool growInPlace(void* memory, std::size_t newSize);
    // Takes back `memory` (an allocation of `size` bytes) for reuse by later allocations.
    void release(void* memory, std::size_t size);
    // The arena `memory` (an allocation made through allocator()) came from; nullptr for the heap.
    static CmarkArena* arenaOf(void* memory);

private:
    struct Block {
        char* start;
        std::size_t size;
    };
    static constexpr std::size_t kGranule = 16; // the alignment of every allocation
    static constexpr std::size_t kLargestReused = 1024;

    std::vector<Block> blocks_;
    // Released allocations by size (one list per granule up to kLargestReused), linked through
    // their first bytes: a parse frees many short-lived pieces, and reusing them keeps the tree dense.
    std::array<void*, kLargestReused / kGranule> released_{};
    char* next_ = nullptr;
    char* end_ = nullptr;
    char* last_ = nullptr; // the most recent allocation
};

} // namespace Markdown::CmarkCompat
