#include "MemoryRelease.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Platform::MemoryRelease {

namespace {
constexpr int kDelayMs = 500;
QAtomicInt pending;
} // namespace

void returnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
}

void returnFreedMemorySoon() {
#if defined(__GLIBC__)
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !pending.testAndSetOrdered(0, 1))
        return;
    QTimer::singleShot(kDelayMs, app, [] {
        QThreadPool::globalInstance()->start([] {
            pending.storeRelease(0);
            malloc_trim(0);
        });
    });
#endif
}

} // namespace Platform::MemoryRelease
