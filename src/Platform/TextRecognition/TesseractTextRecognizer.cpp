#include "TesseractTextRecognizer.h"

#include <QPainter>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <map>
#include <memory>
#include <utility>

namespace Platform {

namespace {

// Tesseract finds glyphs that touch the image edge poorly; a white margin around the picture
// fixes that for screenshots cropped tight to the text.
constexpr int kBorder = 32;
// Screenshots carry no resolution; this is what Tesseract's layout analysis expects of screen text.
constexpr int kAssumedPpi = 300;

using Engine = std::unique_ptr<tesseract::TessBaseAPI>;

// The engines of the calling thread, by configuration (a thread normally needs one).
std::map<std::pair<QString, QString>, Engine>& threadEngines() {
    thread_local std::map<std::pair<QString, QString>, Engine> engines;
    return engines;
}

tesseract::TessBaseAPI* engineFor(const QString& dataPath, const QString& languages) {
    auto& engines = threadEngines();
    const auto key = std::make_pair(dataPath, languages);
    auto found = engines.find(key);
    if (found == engines.end()) {
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        const QByteArray path = dataPath.toLocal8Bit();
        const QByteArray langs = languages.toLatin1();
        if (api->Init(path.isEmpty() ? nullptr : path.constData(), langs.constData(),
                      tesseract::OEM_LSTM_ONLY) != 0) {
            api.reset();
        } else {
            api->SetPageSegMode(tesseract::PSM_AUTO);
            // Tesseract prints "Estimating resolution" and similar notes otherwise.
            api->SetVariable("debug_file", "/dev/null");
        }
        found = engines.emplace(key, std::move(api)).first;
    }
    return found->second.get();
}

// The image on white (transparent parts become white, not black), with the white margin, as 8-bit
// grey, the format Tesseract works in anyway.
QImage preparedImage(const QImage& image) {
    QImage canvas(image.width() + 2 * kBorder, image.height() + 2 * kBorder, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.drawImage(kBorder, kBorder, image);
    }
    return canvas.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

TesseractTextRecognizer::TesseractTextRecognizer(QString dataPath, QString languages)
    : m_dataPath(std::move(dataPath)), m_languages(std::move(languages)) {}

bool TesseractTextRecognizer::isAvailable() {
    return engineFor(m_dataPath, m_languages) != nullptr;
}

QStringList TesseractTextRecognizer::recognizeLines(const QImage& image) {
    if (image.isNull())
        return {};
    tesseract::TessBaseAPI* api = engineFor(m_dataPath, m_languages);
    if (!api)
        return {};
    const QImage grey = preparedImage(image);
    api->SetImage(grey.constBits(), grey.width(), grey.height(), 1, static_cast<int>(grey.bytesPerLine()));
    api->SetSourceResolution(kAssumedPpi);
    QStringList lines;
    if (api->Recognize(nullptr) == 0) {
        std::unique_ptr<tesseract::ResultIterator> it(api->GetIterator());
        if (it) {
            do {
                std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
                if (!text)
                    continue;
                const QString line = QString::fromUtf8(text.get()).trimmed();
                if (!line.isEmpty())
                    lines.append(line);
            } while (it->Next(tesseract::RIL_TEXTLINE));
        }
    }
    api->Clear();
    return lines;
}

} // namespace Platform
