#pragma once

class CodeHighlighting;

// The highlighting behind the code blocks of every Markdown preview: an engine and a worker of
// their own, apart from the code previews', made on first use and kept until the application goes.
namespace MarkdownCodeHighlighting {

CodeHighlighting& shared();

} // namespace MarkdownCodeHighlighting
