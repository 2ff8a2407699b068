#pragma once

#include <QImage>
#include <QStringList>

namespace Platform {

// Reads the text in an image. Implementations are called from worker threads, several at a time,
// and must be safe for that; they never touch the GUI.
class TextRecognizer {
public:
    virtual ~TextRecognizer() = default;

    // The recognised text, one entry per text line found, in reading order. Lines that are empty
    // after recognition are left out; an image without text gives an empty list.
    virtual QStringList recognizeLines(const QImage& image) = 0;

    // The process-wide recognizer the application uses; set once at start-up (may stay unset, in
    // which case nothing is recognised).
    static TextRecognizer* standard();
    static void setStandard(TextRecognizer* recognizer);
};

} // namespace Platform
