#pragma once

#include "Platform/TextRecognizer.h"

#include <memory>
#include <mutex>

namespace Platform {

// The text recognition module (Tesseract "pol+eng"), and what it exports.
inline constexpr char kTextRecognitionModule[] = "quillstack-text-recognition.so";
inline constexpr char kTextRecognitionEntry[] = "quillstack_make_text_recognizer";
// Makes the module's recognizer; the caller owns it.
using MakeTextRecognizer = TextRecognizer* (*)();

// The application's recognizer: the text recognition module, opened and its recognizer made by the
// first picture to recognise rather than at start. Without the module nothing is recognised (as
// with an engine that cannot start), and standard error says so once.
class ModuleTextRecognizer final : public TextRecognizer {
public:
    QStringList recognizeLines(const QImage& image) override;

private:
    TextRecognizer* recognizer();

    std::once_flag m_loaded;
    std::unique_ptr<TextRecognizer> m_recognizer;
};

} // namespace Platform
