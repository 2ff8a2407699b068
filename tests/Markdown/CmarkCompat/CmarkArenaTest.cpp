// The memory cmark trees are parsed into: what the arena hands out, what the heap fallback hands
// out, and documents released with and without their reads in the arena. The sanitizer pass checks
// that nothing leaks and nothing is freed twice.

#include <Markdown/CmarkCompat/CmarkArena.h>
#include <Markdown/CmarkCompat/CmarkCompat.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Markdown::CmarkCompat {
namespace {

bool isZeroed(const void* memory, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(memory);
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

bool isAligned(const void* memory) {
    return reinterpret_cast<std::uintptr_t>(memory) % 16 == 0;
}

std::vector<std::string> literals(const CmarkDocument& document) {
    std::vector<std::string> found;
    cmark_iter* iter = cmark_iter_new(document.root());
    while (cmark_iter_next(iter) != CMARK_EVENT_DONE) {
        if (const char* literal = cmark_node_get_literal(cmark_iter_get_node(iter))) {
            found.emplace_back(literal);
        }
    }
    cmark_iter_free(iter);
    return found;
}

const char* const kSample =
    "# Title\n\nSome *text* with `code`, a [link](https://example.com \"t\") and "
    "^[attributed](rainbow: 'x').\n\n| a | b |\n|---|---|\n| 1 | ^ |\n\n```c\nint x;\n```\n";

TEST(CmarkArenaTest, HandsOutZeroedAlignedMemoryFromTheArenaAndTheHeapAlike) {
    cmark_mem* mem = CmarkArena::allocator();
    for (const bool withArena : {true, false}) {
        SCOPED_TRACE(withArena ? "arena active" : "no arena");
        CmarkArena arena;
        std::optional<CmarkArena::Active> active;
        if (withArena) {
            active.emplace(arena);
        }
        std::vector<void*> pieces;
        for (std::size_t size : {1u, 15u, 16u, 17u, 1000u, 70000u, 300000u}) {
            void* piece = mem->calloc(1, size);
            ASSERT_NE(piece, nullptr);
            EXPECT_TRUE(isAligned(piece)) << size;
            EXPECT_TRUE(isZeroed(piece, size)) << size;
            EXPECT_EQ(CmarkArena::arenaOf(piece), withArena ? &arena : nullptr) << size;
            std::memset(piece, 0xAB, size);
            pieces.push_back(piece);
        }
        // Growing the newest piece, an older piece, and a large one keeps what they held.
        for (std::size_t index : {pieces.size() - 1, std::size_t{1}, std::size_t{4}}) {
            void* grown = mem->realloc(pieces[index], 400000);
            ASSERT_NE(grown, nullptr);
            EXPECT_TRUE(isAligned(grown));
            EXPECT_EQ(static_cast<unsigned char*>(grown)[0], 0xAB) << index;
            pieces[index] = grown;
        }
        for (void* piece : pieces) {
            mem->free(piece);
        }
        mem->free(nullptr);
    }
}

TEST(CmarkArenaTest, FreedPiecesAreHandedOutAgainZeroed) {
    cmark_mem* mem = CmarkArena::allocator();
    CmarkArena arena;
    const CmarkArena::Active active(arena);
    void* older = mem->calloc(1, 40);
    void* newest = mem->calloc(1, 40);
    std::memset(older, 0xCD, 40);
    std::memset(newest, 0xCD, 40);
    mem->free(older);
    void* again = mem->calloc(1, 33); // the same size once rounded
    EXPECT_EQ(again, older);
    EXPECT_TRUE(isZeroed(again, 33));
    // The newest piece goes back to the end of its block.
    mem->free(newest);
    void* next = mem->calloc(1, 40);
    EXPECT_EQ(next, newest);
    EXPECT_TRUE(isZeroed(next, 40));
    // A piece that outgrows its place moves, with its contents, and its old place is reused.
    std::memcpy(again, "moving", 7);
    void* spacer = mem->calloc(1, 8);
    void* moved = mem->realloc(again, 500);
    EXPECT_NE(moved, again);
    EXPECT_STREQ(static_cast<const char*>(moved), "moving");
    EXPECT_EQ(mem->calloc(1, 40), again);
    mem->free(spacer);
}

TEST(CmarkArenaTest, MemoryOutlivesTheScopeThatMadeIt) {
    cmark_mem* mem = CmarkArena::allocator();
    CmarkArena arena;
    void* fromArena = nullptr;
    {
        const CmarkArena::Active active(arena);
        fromArena = mem->calloc(4, 8);
    }
    void* fromHeap = mem->calloc(4, 8);
    EXPECT_EQ(CmarkArena::arenaOf(fromArena), &arena);
    EXPECT_EQ(CmarkArena::arenaOf(fromHeap), nullptr);
    // Freed with no arena active, each piece goes back where it came from.
    mem->free(fromArena);
    mem->free(fromHeap);
    // Resized with no arena active, an arena piece moves to the heap with its contents.
    CmarkArena other;
    {
        const CmarkArena::Active active(other);
        fromArena = mem->calloc(1, 8);
        std::memcpy(fromArena, "seven..", 8);
    }
    void* moved = mem->realloc(fromArena, 64);
    EXPECT_EQ(CmarkArena::arenaOf(moved), nullptr);
    EXPECT_STREQ(static_cast<const char*>(moved), "seven..");
    mem->free(moved);
    // Resized while another arena is active, it moves to the heap too, not into that arena.
    {
        const CmarkArena::Active active(other);
        fromArena = mem->calloc(1, 8);
    }
    CmarkArena third;
    {
        const CmarkArena::Active active(third);
        moved = mem->realloc(fromArena, 64);
    }
    EXPECT_EQ(CmarkArena::arenaOf(moved), nullptr);
    mem->free(moved);
}

TEST(CmarkArenaTest, DocumentsReleaseTheirTreesWhetherReadInsideTheirMemoryOrNot) {
    const CmarkDocument reference = CmarkDocument::parse(kSample);
    std::vector<std::string> expected;
    {
        const CmarkDocument::ReadScope reading(reference);
        expected = literals(reference);
    }
    ASSERT_FALSE(expected.empty());

    // Read inside the document's memory: no string copy touches the heap.
    const std::uint64_t before = CmarkArena::heapAllocationCount();
    {
        const CmarkDocument document = CmarkDocument::parse(kSample);
        const CmarkDocument::ReadScope reading(document);
        EXPECT_EQ(literals(document), expected);
    }
    EXPECT_EQ(CmarkArena::heapAllocationCount(), before);

    // Read outside it: the copies come from the heap, and the document frees them with its tree.
    {
        const CmarkDocument document = CmarkDocument::parse(kSample);
        const std::uint64_t beforeReads = CmarkArena::heapAllocationCount();
        EXPECT_EQ(literals(document), expected);
        EXPECT_GT(CmarkArena::heapAllocationCount(), beforeReads);
    }

    // Parsed on one thread, read and released on another, interleaved with other documents.
    std::vector<CmarkDocument> documents;
    for (int i = 0; i < 4; ++i) {
        documents.push_back(CmarkDocument::parse(kSample));
    }
    std::thread other([&] {
        for (CmarkDocument& document : documents) {
            const CmarkDocument::ReadScope reading(document);
            const CmarkDocument inBetween = CmarkDocument::parse("*between*\n");
            EXPECT_EQ(literals(document), expected);
        }
        documents.clear();
    });
    other.join();
}

} // namespace
} // namespace Markdown::CmarkCompat
