#pragma once

// Hands memory the process has freed back to the system. The C library keeps freed heap memory for
// reuse, so after a large item goes (a long text, a decoded picture) hundreds of megabytes can stay
// with the process that it no longer needs.
namespace Platform::MemoryRelease {

// Asks for it a moment from now (views let go of a removed item once they have heard of it), on a
// worker thread: the caller never waits. Requests made meanwhile are served by the same release.
void returnFreedMemorySoon();

} // namespace Platform::MemoryRelease
