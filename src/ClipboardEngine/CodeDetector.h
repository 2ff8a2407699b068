#pragma once

#include <QSet>
#include <QString>

#include <optional>

// Decides whether a copied string is source code and guesses its language for highlighting.
// Stateless and safe on any thread; the cost is linear in the text.
namespace CodeDetector {

// Desktop-file ids of code editors and terminals: a clip copied from one counts toward code.
const QSet<QString>& editorBundleIDs();

bool isCode(const QString& text, const std::optional<QString>& sourceBundleID);

// One of "swift", "python", "rust", "cpp", "go", "php", "html", "sql", "json", "javascript".
std::optional<QString> guessLanguage(const QString& text);

} // namespace CodeDetector
