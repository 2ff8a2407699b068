#pragma once

#include <QFuture>
#include <QString>

#include <optional>

namespace Platform {
class TextRecognizer;
}

// Reads the text in image files on a small pool of worker threads (recognition engines are large,
// so the pool is small and each of its threads keeps its own engine).
namespace OCRService {

// The text found in the image file at `imagePath`: one line per recognised text line, joined with
// "\n" and trimmed; nullopt when the file cannot be read as an image or nothing is found. The work,
// decoding included, runs off the calling thread; `recognizer` must outlive it (nullptr means
// Platform::TextRecognizer::standard()).
QFuture<std::optional<QString>> recognize(const QString& imagePath,
                                          Platform::TextRecognizer* recognizer = nullptr);

// Images larger than this many pixels are scaled down before recognition; a screenshot of any
// common display stays whole.
constexpr qint64 kMaxPixels = 40'000'000;

} // namespace OCRService
