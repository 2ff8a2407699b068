#include "HighlightScript.h"

#include <jsc/jsc.h>

namespace SyntaxHighlighter {
namespace {

// highlight.js reports deprecations and unknown languages on the console; a context has none.
constexpr std::string_view kSilentConsole =
    "var console = { log() {}, info() {}, warn() {}, error() {}, debug() {}, trace() {} };";

template <typename T> struct GObjectDeleter {
    void operator()(T* object) const {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;
using ValuePtr = GObjectPtr<JSCValue>;

} // namespace

struct HighlightScript::Context {
    GObjectPtr<JSCContext> context;
    ValuePtr hljs;

    // A script exception must not linger into the next call.
    ValuePtr finish(JSCValue* value) {
        jsc_context_clear_exception(context.get());
        return ValuePtr(value);
    }

    ValuePtr string(std::string_view text) {
        GBytes* bytes = g_bytes_new(text.data(), text.size());
        ValuePtr value(jsc_value_new_string_from_bytes(context.get(), bytes));
        g_bytes_unref(bytes);
        return value;
    }

    Output output(ValuePtr result) {
        if (!result || jsc_value_is_undefined(result.get()))
            return {};
        if (!jsc_value_is_object(result.get()))
            return {Output::Kind::NoHTML, {}};
        ValuePtr html = finish(jsc_value_object_get_property(result.get(), "value"));
        if (!html || jsc_value_is_undefined(html.get()) || jsc_value_is_null(html.get()))
            return {Output::Kind::NoHTML, {}};
        GBytes* bytes = jsc_value_to_string_as_bytes(html.get());
        jsc_context_clear_exception(context.get());
        if (!bytes)
            return {Output::Kind::NoHTML, {}};
        gsize size = 0;
        const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
        Output out{Output::Kind::HTML, std::string(data ? data : "", size)};
        g_bytes_unref(bytes);
        return out;
    }
};

HighlightScript::HighlightScript(std::unique_ptr<Context> context) : m_context(std::move(context)) {}

HighlightScript::~HighlightScript() = default;

std::unique_ptr<HighlightScript> HighlightScript::load(std::string_view script) {
    auto context = std::make_unique<Context>();
    context->context.reset(jsc_context_new());
    if (!context->context)
        return nullptr;
    JSCContext* jsc = context->context.get();
    context->finish(
        jsc_context_evaluate(jsc, kSilentConsole.data(), static_cast<gssize>(kSilentConsole.size())));
    context->finish(jsc_context_evaluate(jsc, script.data(), static_cast<gssize>(script.size())));
    context->hljs = context->finish(jsc_context_get_value(jsc, "hljs"));
    if (!context->hljs || !jsc_value_is_object(context->hljs.get()))
        return nullptr;
    return std::unique_ptr<HighlightScript>(new HighlightScript(std::move(context)));
}

HighlightScript::Output HighlightScript::highlight(std::string_view language, std::string_view code,
                                                   bool ignoreIllegals) {
    ValuePtr languageValue = m_context->string(language);
    ValuePtr codeValue = m_context->string(code);
    ValuePtr result = m_context->finish(jsc_value_object_invoke_method(
        m_context->hljs.get(), "highlight", JSC_TYPE_VALUE, languageValue.get(), JSC_TYPE_VALUE,
        codeValue.get(), G_TYPE_BOOLEAN, ignoreIllegals ? TRUE : FALSE, G_TYPE_NONE));
    return m_context->output(std::move(result));
}

HighlightScript::Output HighlightScript::highlightAuto(std::string_view code) {
    ValuePtr codeValue = m_context->string(code);
    ValuePtr result = m_context->finish(jsc_value_object_invoke_method(
        m_context->hljs.get(), "highlightAuto", JSC_TYPE_VALUE, codeValue.get(), G_TYPE_NONE));
    return m_context->output(std::move(result));
}

std::optional<std::vector<std::string>> HighlightScript::listLanguages() {
    ValuePtr list = m_context->finish(
        jsc_value_object_invoke_method(m_context->hljs.get(), "listLanguages", G_TYPE_NONE));
    if (!list || !jsc_value_is_array(list.get()))
        return std::nullopt;
    ValuePtr lengthValue = m_context->finish(jsc_value_object_get_property(list.get(), "length"));
    if (!lengthValue || !jsc_value_is_number(lengthValue.get()))
        return std::nullopt;
    auto length = static_cast<unsigned>(jsc_value_to_int32(lengthValue.get()));
    std::vector<std::string> names;
    names.reserve(length);
    for (unsigned i = 0; i < length; ++i) {
        ValuePtr element = m_context->finish(jsc_value_object_get_property_at_index(list.get(), i));
        if (!element || !jsc_value_is_string(element.get()))
            return std::nullopt;
        char* name = jsc_value_to_string(element.get());
        names.emplace_back(name ? name : "");
        g_free(name);
    }
    return names;
}

} // namespace SyntaxHighlighter
