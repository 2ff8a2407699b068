#include "QtHTMLImporter.h"

#include "TextStyling.h"

#include <QCoreApplication>
#include <QThread>

namespace TextStyling {

std::optional<SyntaxHighlighter::StyledText> QtHTMLImporter::importHTML(const std::string& html) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return std::nullopt;
    std::optional<SyntaxHighlighter::StyledText> result;
    auto import = [&] {
        QTextDocument document;
        document.setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
        result = styledTextFromDocument(document);
    };
    if (QThread::currentThread() == application->thread())
        import();
    else
        QMetaObject::invokeMethod(application, import, Qt::BlockingQueuedConnection);
    return result;
}

} // namespace TextStyling
