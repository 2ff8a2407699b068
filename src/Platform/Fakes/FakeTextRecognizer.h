#pragma once

#include "Platform/TextRecognizer.h"

#include <QMutex>
#include <QSize>

#include <atomic>

namespace Platform {

// Answers every request with canned lines and records the sizes of the images it was given.
class FakeTextRecognizer final : public TextRecognizer {
public:
    explicit FakeTextRecognizer(QStringList lines = {});

    QStringList recognizeLines(const QImage& image) override;

    void setLines(const QStringList& lines);
    int callCount() const { return m_calls.load(); }
    QList<QSize> imageSizes() const;

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
    QList<QSize> m_sizes;
    std::atomic<int> m_calls{0};
};

} // namespace Platform
