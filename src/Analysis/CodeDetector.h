#pragma once

#include <QSet>
#include <QString>

#include <optional>

// Decides whether a copied string is source code and guesses its language for highlighting.
// Stateless and safe on any thread; the cost is linear in the text.
namespace CodeDetector {

// Desktop-file ids of code editors and terminals named one by one.
const QSet<QString>& editorBundleIDs();
// Whether a clip copied from the application with this desktop-file id counts toward code: the ids
// above, and the JetBrains IDEs by family (jetbrains-<product>, with or without the Toolbox's
// installation id after it, and com.jetbrains.<Product>).
bool isEditorBundleID(const QString& id);

bool isCode(const QString& text, const std::optional<QString>& sourceBundleID);

// One of "swift", "python", "rust", "cpp", "go", "php", "html", "sql", "json", "javascript".
std::optional<QString> guessLanguage(const QString& text);

} // namespace CodeDetector
