#include "ModuleTextRecognizer.h"

#include "EngineModules.h"

#include <string>

namespace Platform {

TextRecognizer* ModuleTextRecognizer::recognizer() {
    // Recognitions run on several workers at once: the first to get here opens the module, the
    // others wait for it.
    std::call_once(m_loaded, [this] {
        std::string error;
        const auto make =
            EngineModules::entryAs<MakeTextRecognizer>(kTextRecognitionModule, kTextRecognitionEntry, error);
        if (make)
            m_recognizer.reset(make());
        else
            EngineModules::reportUnavailable(kTextRecognitionModule, error, "no text is recognised in pictures.");
    });
    return m_recognizer.get();
}

QStringList ModuleTextRecognizer::recognizeLines(const QImage& image) {
    if (image.isNull())
        return {};
    TextRecognizer* engine = recognizer();
    return engine ? engine->recognizeLines(image) : QStringList();
}

} // namespace Platform
