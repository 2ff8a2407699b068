#include "QtMainQueue.h"

#include <QCoreApplication>

namespace TextStyling {

void QtMainQueue::async(std::function<void()> work) {
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

} // namespace TextStyling
