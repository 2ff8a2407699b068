#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Decides whether a text should be treated as Markdown. Stateless and safe on any thread.
//
// The rules are simple patterns (headings, list and task items, quotes, fences, tables, links,
// emphasis), matched by hand-written scanners rather than a regular-expression engine: every rule
// runs in time linear in its input, and the searches over the whole text look at its first
// kWholeTextLimit UTF-16 units only, so no clip, however long or adversarial, can stall the caller.
namespace MarkdownDetector {

constexpr qsizetype kWholeTextLimit = 64 * 1024;

// True for "markdown", "md", "gfm" and "mkd", in any letter case.
bool isMarkdownLanguage(const std::optional<QString>& language);

bool looksLikeMarkdown(QStringView text);

} // namespace MarkdownDetector
