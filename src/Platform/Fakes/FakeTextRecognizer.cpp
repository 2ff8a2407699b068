#include "FakeTextRecognizer.h"

#include <QMutexLocker>

namespace Platform {

FakeTextRecognizer::FakeTextRecognizer(QStringList lines) : m_lines(std::move(lines)) {}

QStringList FakeTextRecognizer::recognizeLines(const QImage& image) {
    QMutexLocker lock(&m_mutex);
    ++m_calls;
    m_sizes.append(image.size());
    return m_lines;
}

void FakeTextRecognizer::setLines(const QStringList& lines) {
    QMutexLocker lock(&m_mutex);
    m_lines = lines;
}

QList<QSize> FakeTextRecognizer::imageSizes() const {
    QMutexLocker lock(&m_mutex);
    return m_sizes;
}

} // namespace Platform
