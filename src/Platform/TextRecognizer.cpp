#include "TextRecognizer.h"

#include <atomic>

namespace Platform {

namespace {
std::atomic<TextRecognizer*> g_standard{nullptr};
} // namespace

TextRecognizer* TextRecognizer::standard() {
    return g_standard.load();
}

void TextRecognizer::setStandard(TextRecognizer* recognizer) {
    g_standard.store(recognizer);
}

} // namespace Platform
