#pragma once

// Hands memory the process has freed back to the system. The C library keeps freed heap memory for
// reuse, so after a large item goes (a long text, a decoded picture) hundreds of megabytes can stay
// with the process that it no longer needs.
namespace Platform::MemoryRelease {

// Makes every block of a megabyte or more a mapping of its own, unmapped when it is freed. The C
// library otherwise raises that bound to the size of the largest block freed so far, so after one
// large clip the next ones are carved from the heap, where their pages stay after they go. Called
// once, first thing in main.
void returnLargeBlocksWhenFreed();

// Asks for it a moment from now (views let go of a removed item once they have heard of it), on a
// worker thread: the caller never waits. Requests made meanwhile are served by the same release.
void returnFreedMemorySoon();

} // namespace Platform::MemoryRelease
