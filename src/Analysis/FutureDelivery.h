#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>

#include <utility>

// Calls `done` with the future's result on the thread of `context` (which must be the calling
// thread), once the work has finished; not at all if `context` is destroyed first or the future
// ends without a result (cancelled). The watcher is a child of `context`, so it goes with it.
template <typename T, typename Done>
void deliverOnContextThread(QFuture<T> future, QObject* context, Done done) {
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher,
                     [watcher, done = std::move(done)]() mutable {
                         if (watcher->future().resultCount() > 0)
                             done(watcher->result());
                         watcher->deleteLater();
                     });
    watcher->setFuture(std::move(future));
}
