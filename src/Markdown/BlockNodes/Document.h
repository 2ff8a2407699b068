#pragma once

#include "Markdown/Parser/ParseOptions.h"
#include "Markdown/StructuralRestrictions/Containers.h"

namespace Markdown {

/// The root of a Markdown document: a container of blocks. Every document made here is a new root.
class Document : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(Document, document, visitDocument, BlockContainerBase)

public:
    Document() : Document(std::vector<Markup>{}) {}
    /// A document of `children` (blocks; anything else throws std::invalid_argument). With
    /// `inheritSourceRange`, its range runs from the first child's start to the last child's end.
    explicit Document(const std::vector<Markup>& children, bool inheritSourceRange = false)
        : Document(children, inheritSourceRange, 0) {}
    template <MarkupRange R>
    explicit Document(const R& children, bool inheritSourceRange = false)
        : Document(children, inheritSourceRange, 0) {}

    /// Parses Markdown text; `source` goes into every location of the tree. Never fails. Defined with the
    /// parser: include Markdown/Parser/Parser.h to call these.
    static Document parsing(std::string_view text, const std::optional<URL>& source, ParseOptions options);
    static Document parsing(std::string_view text, ParseOptions options = {});
    /// Reads a Markdown file (UTF-8, or UTF-16 with a byte-order mark) and parses it with the file as
    /// source. Throws std::system_error when the file cannot be read.
    static Document parsing(const URL& file, ParseOptions options = {});

private:
    template <MarkupRange R>
    Document(const R& children, bool inheritSourceRange, int)
        : BlockContainerBase(buildRoot(
              RawMarkupData::withoutPayload(rawKind),
              checkedChildNodes(children, isBlockKind, "a block element", elementName), inheritSourceRange)) {
    }
};

} // namespace Markdown
