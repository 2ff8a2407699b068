#pragma once

#include "Markdown/StructuralRestrictions/Containers.h"

#include <string>

// Declares the constructors of a Doxygen command element: its body of blocks, from a braced list or vector of
// views or from any range of views.
#define QS_MARKDOWN_DOXYGEN_CONSTRUCTORS(Type)                                                               \
public:                                                                                                      \
    explicit Type(const std::vector<::Markdown::Markup>& children = {}) : Type(children, 0) {}               \
    template <::Markdown::MarkupRange R> explicit Type(const R& children) : Type(children, 0) {}             \
                                                                                                             \
private:                                                                                                     \
    template <::Markdown::MarkupRange R>                                                                     \
    Type(const R& children, int)                                                                             \
        : BlockContainerBase(buildRoot(::Markdown::RawMarkupData::withoutPayload(rawKind),                   \
                                       ::Markdown::checkedChildNodes(children, ::Markdown::isBlockKind,      \
                                                                     "a block element", elementName))) {}    \
                                                                                                             \
public:

namespace Markdown {

class DoxygenAbstract : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(DoxygenAbstract, doxygenAbstract, visitDoxygenAbstract, BlockContainerBase)
    QS_MARKDOWN_DOXYGEN_CONSTRUCTORS(DoxygenAbstract)
};

class DoxygenDiscussion : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(DoxygenDiscussion, doxygenDiscussion, visitDoxygenDiscussion, BlockContainerBase)
    QS_MARKDOWN_DOXYGEN_CONSTRUCTORS(DoxygenDiscussion)
};

class DoxygenNote : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(DoxygenNote, doxygenNote, visitDoxygenNote, BlockContainerBase)
    QS_MARKDOWN_DOXYGEN_CONSTRUCTORS(DoxygenNote)
};

class DoxygenReturns : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(DoxygenReturns, doxygenReturns, visitDoxygenReturns, BlockContainerBase)
    QS_MARKDOWN_DOXYGEN_CONSTRUCTORS(DoxygenReturns)
};

/// The documentation of one parameter: its name and a body of blocks.
class DoxygenParameter : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(DoxygenParameter, doxygenParam, visitDoxygenParameter, BlockContainerBase)

public:
    explicit DoxygenParameter(std::string name, const std::vector<Markup>& children = {})
        : DoxygenParameter(std::move(name), children, 0) {}
    template <MarkupRange R>
    DoxygenParameter(std::string name, const R& children) : DoxygenParameter(std::move(name), children, 0) {}

    const std::string& name() const { return _data.node().data().stringPayload().value; }
    /// Always rebuilds.
    void setName(std::string name) { rebuildWithPayload(RawMarkupData::doxygenParam(std::move(name))); }

private:
    template <MarkupRange R>
    DoxygenParameter(std::string name, const R& children, int)
        : BlockContainerBase(
              buildRoot(RawMarkupData::doxygenParam(std::move(name)),
                        checkedChildNodes(children, isBlockKind, "a block element", elementName))) {}
};

} // namespace Markdown
