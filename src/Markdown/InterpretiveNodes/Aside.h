#pragma once

#include "Markdown/BlockNodes/ContainerBlocks.h"

#include <optional>
#include <string>
#include <vector>

namespace Markdown {

/// A block quote read as an aside: a kind named by the quote's first words ("Note: ", "Warning: ") and the
/// quote's blocks with that tag taken out. Not a node of the tree: a plain value.
class Aside {
public:
    /// Any string is a kind; kinds compare by their raw value under canonical equivalence, case-sensitively.
    class Kind {
    public:
        explicit Kind(std::string rawValue) : rawValue(std::move(rawValue)) {}

        static Kind note() { return Kind("Note"); }
        static Kind tip() { return Kind("Tip"); }
        static Kind important() { return Kind("Important"); }
        static Kind experiment() { return Kind("Experiment"); }
        static Kind warning() { return Kind("Warning"); }
        static Kind attention() { return Kind("Attention"); }
        static Kind author() { return Kind("Author"); }
        static Kind authors() { return Kind("Authors"); }
        static Kind bug() { return Kind("Bug"); }
        static Kind complexity() { return Kind("Complexity"); }
        static Kind copyright() { return Kind("Copyright"); }
        static Kind date() { return Kind("Date"); }
        static Kind invariant() { return Kind("Invariant"); }
        static Kind mutatingVariant() { return Kind("MutatingVariant"); }
        static Kind nonMutatingVariant() { return Kind("NonMutatingVariant"); }
        static Kind postcondition() { return Kind("Postcondition"); }
        static Kind precondition() { return Kind("Precondition"); }
        static Kind remark() { return Kind("Remark"); }
        static Kind requires_() { return Kind("Requires"); }
        static Kind since() { return Kind("Since"); }
        static Kind todo() { return Kind("ToDo"); }
        static Kind version() { return Kind("Version"); }
        static Kind throws() { return Kind("Throws"); }
        static Kind seeAlso() { return Kind("SeeAlso"); }

        /// The 24 predefined kinds, "Note" first and "SeeAlso" last.
        static const std::vector<Kind>& allCases();

        /// "See Also", "Non-Mutating Variant", "Mutating Variant" and "To Do" for the four compound raw
        /// values (compared byte for byte); any other raw value is its own display name.
        std::string displayName() const;

        friend bool operator==(const Kind& a, const Kind& b);

        std::string rawValue;
    };

    enum class TagRequirement {
        /// A tag is required and must hold no space.
        requireSingleWordTag,
        /// A tag of any content is required.
        requireAnyLengthTag,
        /// Without a tag the aside is a note.
        tagNotRequired,
    };

    /// Always an aside: the quote's tag as kind, or a note of all the quote's blocks.
    explicit Aside(const BlockQuote& blockQuote);
    /// An aside when the quote meets `tagRequirement`; with `tagNotRequired`, always one.
    static std::optional<Aside> make(const BlockQuote& blockQuote, TagRequirement tagRequirement);

    Kind kind;
    std::vector<Markup> content;

private:
    Aside(Kind kind, std::vector<Markup> content) : kind(std::move(kind)), content(std::move(content)) {}
};

/// A block quote's aside tag and the quote without it.
struct AsideTag {
    std::string tag;
    BlockQuote newBlockQuote;
};

/// Finds the tag before the first ":" of the first text of the quote's first paragraph and removes it with
/// the blanks after it. The new text's range starts that many bytes later (never past its end). Nothing when
/// there is no such text, no colon, or (with `requireSingleWordTag`) a tag holding a space.
std::optional<AsideTag> parseAsideTag(const BlockQuote& blockQuote, Aside::TagRequirement tagRequirement);

} // namespace Markdown
