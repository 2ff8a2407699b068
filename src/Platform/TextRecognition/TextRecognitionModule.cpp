// The text recognition module: Tesseract and Leptonica, loaded by the program's
// ModuleTextRecognizer when the first picture is to be recognised.
#include "TesseractTextRecognizer.h"

#include <Platform/Modules/ModuleTextRecognizer.h>

#include <type_traits>

QS_MODULE_ENTRY Platform::TextRecognizer* quillstack_make_text_recognizer() {
    return new Platform::TesseractTextRecognizer();
}

static_assert(std::is_same_v<decltype(&quillstack_make_text_recognizer), Platform::MakeTextRecognizer>);
