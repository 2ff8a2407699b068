#include "CmarkCompat.h"

#include "AttributeDefinitions.h"
#include "AttributeExtension.h"
#include "BacktickCounts.h"
#include "CompatTables.h"
#include "InputGuards.h"
#include "NestingCap.h"
#include "TableSpans.h"
#include "TreeSurvey.h"

#include <mutex>

namespace Markdown::CmarkCompat {

namespace {

// cmark-gfm keeps process-wide state (the extension registry and the inline parser's table of
// special characters, rewritten by every parse that has inline extensions), so parses take turns.
std::mutex& cmarkStateLock() {
    static std::mutex lock;
    return lock;
}

struct ParserDeleter {
    void operator()(cmark_parser* parser) const { cmark_parser_free(parser); }
};

// Parses `text` into tables.root; the caller holds the cmark lock and has the tables' arena active.
void runCmark(CmarkDocument::Tables& tables, std::string_view text, int options, bool withTables,
              const AttributeDefinitions* definitions) {
    std::unique_ptr<cmark_parser, ParserDeleter> parser(
        cmark_parser_new_with_mem(options, CmarkArena::allocator()));
    attachExtensions(parser.get(), withTables);
    ActiveAttributeScope scope({&tables, options, withTables, definitions});
    cmark_parser_feed(parser.get(), text.data(), text.size());
    tables.root = cmark_parser_finish(parser.get());
    scope.finishParse();
}

bool mayHoldAttributeDefinitions(std::string_view text) {
    return text.find("^[") != std::string_view::npos && text.find("]:") != std::string_view::npos;
}

} // namespace

std::string withInvalidUtf8Replaced(std::string_view text, int* replacements) {
    int count = 0;
    std::string result = replaceInvalidUtf8(text, count);
    if (replacements) {
        *replacements = count;
    }
    return result;
}

CmarkDocument CmarkDocument::parse(std::string_view text, const ParseSettings& settings) {
    auto tables = std::make_unique<Tables>();
    // Everything cmark allocates for this document, in the parse and in the layer's own passes that
    // add and remove nodes, comes from the document's arena.
    const CmarkArena::Active arena(tables->arena);
    // cmark copies what it keeps, so the text is needed only during the parse, and well-formed text
    // (by far the most common) is parsed where it lies.
    std::string replaced;
    if (hasInvalidUtf8(text)) {
        replaced = replaceInvalidUtf8(text, tables->report.invalidUtf8Sequences);
        text = replaced;
    }
    const bool withTables = !tableCostExceedsBound(text);
    tables->report.tableExtensionDropped = !withTables;

    int options = CMARK_OPT_DEFAULT;
    if (settings.smartPunctuation) {
        options |= CMARK_OPT_SMART;
    }
    // Positions are always tracked: the layer's own passes need them. Without sourcePositions they
    // are only hidden from callers.
    options |= CMARK_OPT_SOURCEPOS;
    tables->reportsPositions = settings.sourcePositions;
    {
        std::lock_guard guard(cmarkStateLock());
        runCmark(*tables, text, options, withTables, nullptr);
        // Attribute spans may name definitions found anywhere in the text, so a text with
        // definitions is parsed a second time, knowing them.
        if (mayHoldAttributeDefinitions(text)) {
            const AttributeDefinitions definitions = collectAttributeDefinitions(tables->root);
            if (!definitions.empty()) {
                cmark_node_free(tables->root);
                tables->root = nullptr;
                tables->annotations.clear();
                runCmark(*tables, text, options, withTables, &definitions);
            }
        }
    }
    const auto recordSpans = [&](cmark_node* table) {
        if (settings.tableCellSpans) {
            recordTableCellSpans(*tables, table);
        }
    };
    const TreeSurvey survey = surveyTree(tables->root, recordSpans);
    if (!survey.tooDeep.empty()) {
        foldIntoPlainText(*tables, survey.tooDeep);
        surveyTree(tables->root, recordSpans);
    }
    return CmarkDocument(std::move(tables));
}

CmarkDocument::ReadScope::ReadScope(const CmarkDocument& document)
    : previous_(CmarkArena::makeActive(&document.tables_->arena)) {}

CmarkDocument::ReadScope::~ReadScope() {
    CmarkArena::makeActive(previous_);
}

CmarkDocument::CmarkDocument(std::unique_ptr<Tables> tables) : tables_(std::move(tables)) {}
CmarkDocument::CmarkDocument(CmarkDocument&&) noexcept = default;
CmarkDocument& CmarkDocument::operator=(CmarkDocument&&) noexcept = default;
CmarkDocument::~CmarkDocument() = default;

cmark_node* CmarkDocument::root() const {
    return tables_->root;
}
const GuardReport& CmarkDocument::guardReport() const {
    return tables_->report;
}

int CmarkDocument::backtickCount(cmark_node* node) const {
    return node && cmark_node_get_type(node) == CMARK_NODE_CODE ? backtickCountOf(*tables_, node) : 0;
}

const char* CmarkDocument::attributes(cmark_node* node) const {
    const NodeAnnotation* annotation = Tables::annotation(node);
    return annotation && annotation->attributes ? annotation->attributes->c_str() : nullptr;
}

// Only table cells carry span data, so a cell with spans needs no look at its type.
int CmarkDocument::tableCellColspan(cmark_node* node) const {
    if (const NodeAnnotation* annotation = Tables::annotation(node); annotation && annotation->cellSpans) {
        return annotation->cellSpans->first;
    }
    return node && typeString(node) == "table_cell" ? 1 : -1;
}

int CmarkDocument::tableCellRowspan(cmark_node* node) const {
    if (const NodeAnnotation* annotation = Tables::annotation(node); annotation && annotation->cellSpans) {
        return annotation->cellSpans->second;
    }
    return node && typeString(node) == "table_cell" ? 1 : -1;
}

NodePosition CmarkDocument::position(cmark_node* node) const {
    return tables_->reportsPositions ? Tables::positionOf(node) : NodePosition{};
}

std::string_view CmarkDocument::typeString(cmark_node* node) {
    if (isAttributeNode(node)) {
        return kAttributeTypeString;
    }
    return cmark_node_get_type_string(node);
}

} // namespace Markdown::CmarkCompat
