#include "CmarkArena.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace Markdown::CmarkCompat {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;
constexpr std::size_t kAlignment = 16;

// Every allocation handed to cmark starts with this header, so that free and realloc know where the
// memory came from and how large it is.
struct alignas(kAlignment) Header {
    std::size_t size;
    CmarkArena* arena; // nullptr for the heap
};
static_assert(sizeof(Header) == kAlignment);

thread_local CmarkArena* t_activeArena = nullptr;

// Blocks of finished parses, kept for the next parse on the same thread so that it does not fault
// in fresh pages; bounded, so a large parse does not keep its memory. A document released while its
// thread ends, after the spare blocks are gone, frees its blocks outright.
thread_local bool t_spareBlocksGone = false;
struct SpareBlocks {
    std::vector<void*> blocks;
    ~SpareBlocks() {
        for (void* block : blocks) {
            std::free(block);
        }
        t_spareBlocksGone = true;
    }
};
constexpr std::size_t kMaxSpareBlocks = 16; // 4 MB
thread_local SpareBlocks t_spareBlocks;

// The size with the header in front, refusing sizes that would wrap around.
std::size_t withHeader(std::size_t size) {
    if (size > SIZE_MAX - sizeof(Header) - kAlignment) {
        std::abort(); // as cmark's own allocator does when memory runs out
    }
    return sizeof(Header) + size;
}

Header* headerOf(void* memory) {
    return static_cast<Header*>(memory) - 1;
}

std::atomic<std::uint64_t> g_heapAllocations{0};

void* fromHeap(std::size_t size) {
    g_heapAllocations.fetch_add(1, std::memory_order_relaxed);
    auto* header = static_cast<Header*>(std::calloc(1, withHeader(size)));
    if (!header) {
        std::abort(); // as cmark's own allocator does
    }
    header->size = size;
    header->arena = nullptr;
    return header + 1;
}

void* allocateZeroed(std::size_t size) {
    if (t_activeArena) {
        void* memory = t_activeArena->allocate(withHeader(size));
        auto* header = static_cast<Header*>(memory);
        header->size = size;
        header->arena = t_activeArena;
        return header + 1;
    }
    return fromHeap(size);
}

void* cmarkCalloc(std::size_t count, std::size_t size) {
    if (size != 0 && count > SIZE_MAX / size) {
        std::abort();
    }
    return allocateZeroed(count * size);
}

void cmarkFree(void* memory) {
    if (!memory) {
        return;
    }
    Header* header = headerOf(memory);
    if (!header->arena) {
        std::free(header);
    } else if (header->arena == t_activeArena) {
        t_activeArena->release(header, withHeader(header->size));
    }
    // Arena memory freed while its arena is not active goes with the arena.
}

void* cmarkRealloc(void* memory, std::size_t size) {
    if (!memory) {
        return allocateZeroed(size);
    }
    Header* header = headerOf(memory);
    if (!header->arena) {
        auto* grown = static_cast<Header*>(std::realloc(header, withHeader(size)));
        if (!grown) {
            std::abort();
        }
        grown->size = size;
        return grown + 1;
    }
    if (size <= header->size) {
        return memory;
    }
    const bool ownArenaActive = header->arena == t_activeArena;
    if (ownArenaActive && t_activeArena->growInPlace(header, withHeader(size))) {
        header->size = size;
        return memory;
    }
    // A piece grown while its own arena is not the active one moves to the heap, never into the
    // arena of another document, which may go first.
    void* moved = ownArenaActive ? allocateZeroed(size) : fromHeap(size);
    std::memcpy(moved, memory, header->size);
    if (ownArenaActive) {
        t_activeArena->release(header, withHeader(header->size));
    }
    return moved;
}

cmark_mem g_allocator{cmarkCalloc, cmarkRealloc, cmarkFree};

std::size_t roundUp(std::size_t size) {
    return (size + kAlignment - 1) & ~(kAlignment - 1);
}

} // namespace

CmarkArena::~CmarkArena() {
    for (const Block& block : blocks_) {
        if (block.size == kBlockSize && !t_spareBlocksGone && t_spareBlocks.blocks.size() < kMaxSpareBlocks) {
            t_spareBlocks.blocks.push_back(block.start);
        } else {
            std::free(block.start);
        }
    }
}

CmarkArena* CmarkArena::arenaOf(void* memory) {
    return headerOf(memory)->arena;
}

std::uint64_t CmarkArena::heapAllocationCount() {
    return g_heapAllocations.load(std::memory_order_relaxed);
}

cmark_mem* CmarkArena::allocator() {
    return &g_allocator;
}

CmarkArena* CmarkArena::makeActive(CmarkArena* arena) {
    return std::exchange(t_activeArena, arena);
}

CmarkArena::Active::Active(CmarkArena& arena) : previous_(makeActive(&arena)) {}

CmarkArena::Active::~Active() {
    makeActive(previous_);
}

void CmarkArena::release(void* memory, std::size_t size) {
    size = roundUp(size);
    if (memory == last_) {
        next_ = last_;
        last_ = nullptr;
        return;
    }
    if (size <= kLargestReused) {
        void*& list = released_[size / kGranule - 1];
        *static_cast<void**>(memory) = list;
        list = memory;
    }
}

void* CmarkArena::allocate(std::size_t size) {
    size = roundUp(size);
    if (size <= kLargestReused) {
        if (void*& list = released_[size / kGranule - 1]) {
            void* memory = list;
            list = *static_cast<void**>(memory);
            std::memset(memory, 0, size);
            return memory;
        }
    }
    if (static_cast<std::size_t>(end_ - next_) < size) {
        const std::size_t blockSize = size > kBlockSize / 4 ? roundUp(size) : kBlockSize;
        void* start = nullptr;
        if (blockSize == kBlockSize && !t_spareBlocksGone && !t_spareBlocks.blocks.empty()) {
            start = t_spareBlocks.blocks.back();
            t_spareBlocks.blocks.pop_back();
        } else {
            start = std::aligned_alloc(kAlignment, blockSize);
        }
        if (!start) {
            std::abort(); // as cmark's own allocator does
        }
        blocks_.push_back({static_cast<char*>(start), blockSize});
        if (blockSize != kBlockSize) {
            // A large allocation gets a block of its own; the current block stays in use.
            std::memset(start, 0, size);
            last_ = nullptr;
            return start;
        }
        next_ = static_cast<char*>(start);
        end_ = next_ + blockSize;
    }
    char* memory = next_;
    next_ += size;
    std::memset(memory, 0, size);
    last_ = memory;
    return memory;
}

bool CmarkArena::growInPlace(void* memory, std::size_t newSize) {
    if (memory != last_) {
        return false;
    }
    const std::size_t newRounded = roundUp(newSize);
    if (static_cast<std::size_t>(end_ - last_) < newRounded) {
        return false;
    }
    next_ = last_ + newRounded;
    return true;
}

} // namespace Markdown::CmarkCompat
