#pragma once

#include "Platform/TextRecognizer.h"

#include <QString>

namespace Platform {

// Tesseract with the languages "pol+eng" (Polish first). Each calling thread gets its own engine,
// created on its first call and released when the thread ends, so recognitions on several workers
// run side by side without sharing one.
class TesseractTextRecognizer final : public TextRecognizer {
public:
    // `dataPath` is the tessdata directory; empty means Tesseract's own default (TESSDATA_PREFIX or
    // the path it was built with).
    explicit TesseractTextRecognizer(QString dataPath = {}, QString languages = QStringLiteral("pol+eng"));

    QStringList recognizeLines(const QImage& image) override;

    // False when the engine cannot start (missing language data); recognizeLines then finds nothing.
    bool isAvailable();

private:
    QString m_dataPath;
    QString m_languages;
};

} // namespace Platform
