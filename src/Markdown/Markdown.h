#pragma once

// The Markdown document model: immutable shared raw nodes under typed element views, copy-on-write editing,
// source locations, visitors, walkers, rewriters and the tree dumper.

#include "Markdown/Base/Markup.h"
#include "Markdown/Base/PayloadValues.h"
#include "Markdown/Base/RawMarkup.h"
#include "Markdown/Base/UniqueIdentifier.h"
#include "Markdown/BlockNodes/BlockDirective.h"
#include "Markdown/BlockNodes/ContainerBlocks.h"
#include "Markdown/BlockNodes/Document.h"
#include "Markdown/BlockNodes/Doxygen.h"
#include "Markdown/BlockNodes/LeafBlocks.h"
#include "Markdown/BlockNodes/Table.h"
#include "Markdown/Infrastructure/CanonicalEquivalence.h"
#include "Markdown/Infrastructure/DirectiveArgumentText.h"
#include "Markdown/Infrastructure/SourceLocation.h"
#include "Markdown/InlineNodes/InlineContainers.h"
#include "Markdown/InlineNodes/InlineLeaves.h"
#include "Markdown/InterpretiveNodes/Aside.h"
#include "Markdown/Parser/Parser.h"
#include "Markdown/Rewriter/MarkupRewriter.h"
#include "Markdown/StructuralRestrictions/Containers.h"
#include "Markdown/StructuralRestrictions/StructuralProtocols.h"
#include "Markdown/Visitor/MarkupVisitor.h"
#include "Markdown/Walker/MarkupWalker.h"
#include "Markdown/Walker/Walkers/MarkupTreeDumper.h"
