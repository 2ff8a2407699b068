#pragma once

#include <QFuture>
#include <QString>

#include <memory>
#include <optional>

namespace Platform {
class TextRecognizer;
}

// Reads the text in image files on a small pool of worker threads (recognition engines are large,
// so the pool is small and each of its threads keeps its own engine).
namespace OCRService {

// The text found in the image file at `imagePath`: one line per recognised text line, joined with
// "\n" and trimmed; nullopt when the file cannot be read as an image or nothing is found. The work,
// decoding included, runs on the pool and never on the calling thread, not even when the caller
// waits for the future. Cancelling the future drops a recognition that has not started; one that
// runs goes on to its end and its result is dropped. `recognizer` must outlive the work (nullptr
// means Platform::TextRecognizer::standard()); retire() hands it over when its owner goes first.
QFuture<std::optional<QString>> recognize(const QString& imagePath,
                                          Platform::TextRecognizer* recognizer = nullptr);

// Takes over a recognizer whose owner goes away: recognitions for it that have not started are
// dropped, and it is deleted at once when none is running, otherwise by the last running one when
// that ends. Never waits.
void retire(std::unique_ptr<Platform::TextRecognizer> recognizer);

// Images larger than this many pixels are scaled down before recognition. A screenshot of a 4K or
// 5K display stays whole; the engine's memory grows with the pixels (about 300 MB at this size,
// 700 MB at 40 million), so larger pictures are read smaller rather than whole.
constexpr qint64 kMaxPixels = 16'000'000;

} // namespace OCRService
