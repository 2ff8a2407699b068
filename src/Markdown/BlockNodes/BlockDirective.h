#pragma once

#include "Markdown/StructuralRestrictions/Containers.h"

#include <optional>
#include <string>
#include <string_view>

namespace Markdown {

/// A block directive: "@name(arguments) { body }". Only the parser records where the name stands.
class BlockDirective : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(BlockDirective, blockDirective, visitBlockDirective, BlockContainerBase)

public:
    /// A directive built in code: the argument text is cut into one segment per line (no segment when absent,
    /// one empty segment for the empty string); children must be blocks (else std::invalid_argument).
    explicit BlockDirective(std::string name, std::optional<std::string_view> argumentText = std::nullopt,
                            const std::vector<Markup>& children = {})
        : BlockDirective(std::move(name), argumentText, children, 0) {}
    template <MarkupRange R>
    BlockDirective(std::string name, std::optional<std::string_view> argumentText, const R& children)
        : BlockDirective(std::move(name), argumentText, children, 0) {}

    const std::string& name() const { return payload().name; }
    const DirectiveArgumentText& argumentText() const { return payload().arguments; }
    const std::optional<SourceLocation>& nameLocation() const { return payload().nameLocation; }
    /// From the name's location to the column after its last UTF-8 byte, on the same line and in the same
    /// file.
    std::optional<SourceRange> nameRange() const;

    /// Both setters always rebuild and drop the name's location.
    void setName(std::string name);
    void setArgumentText(DirectiveArgumentText argumentText);

    /// The argument text cut into lines at every line break (CR LF counting as one), one segment per piece.
    static DirectiveArgumentText argumentTextOfLines(std::string_view text);

private:
    template <MarkupRange R>
    BlockDirective(std::string name, std::optional<std::string_view> argumentText, const R& children, int)
        : BlockContainerBase(
              buildRoot(RawMarkupData::blockDirective(std::move(name), std::nullopt,
                                                      argumentText ? argumentTextOfLines(*argumentText)
                                                                   : DirectiveArgumentText()),
                        checkedChildNodes(children, isBlockKind, "a block element", elementName))) {}

    const BlockDirectivePayload& payload() const { return _data.node().data().blockDirectivePayload(); }
};

} // namespace Markdown
