#include "CodePreview.h"

#include "CodeHighlighting.h"
#include "PreviewPresentation.h"
#include "PreviewWidgets.h"

#include <Capture/DefaultSettings.h>
#include <Platform/UserDefaults.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/ThinScrollbarConfigurator.h>
#include <UI/TextStyling/TextStyling.h>

#include <QLoggingCategory>
#include <QSyntaxHighlighter>
#include <QTextBlock>

#include <algorithm>

Q_LOGGING_CATEGORY(lcPreview, "quillstack.preview", QtInfoMsg)

// Lays the colours of a highlighting result over the document's blocks as formats of their
// layout, leaving the text and its font alone: a new font size needs no new result.
class StyledRunsHighlighter : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

    // Runs over the document's text, in document positions; empty for plain text.
    void setRuns(std::vector<std::pair<int, QTextCharFormat>> starts, int length) {
        m_starts = std::move(starts);
        m_length = length;
        rehighlight();
    }
    bool hasRuns() const { return !m_starts.empty(); }

protected:
    void highlightBlock(const QString& text) override {
        if (m_starts.empty())
            return;
        const int blockStart = currentBlock().position();
        const int blockEnd = blockStart + static_cast<int>(text.size());
        // The run that holds the block's first character, then every run up to its end.
        auto run = std::upper_bound(m_starts.begin(), m_starts.end(), blockStart,
                                    [](int position, const auto& entry) { return position < entry.first; });
        if (run != m_starts.begin())
            --run;
        for (; run != m_starts.end() && run->first < blockEnd; ++run) {
            const int next = std::next(run) == m_starts.end() ? m_length : std::next(run)->first;
            const int from = std::max(run->first, blockStart);
            const int to = std::min(next, blockEnd);
            if (to > from)
                setFormat(from - blockStart, to - from, run->second);
        }
    }

private:
    std::vector<std::pair<int, QTextCharFormat>> m_starts;
    int m_length = 0;
};

CodePreview::CodePreview(const QString& code, std::optional<QString> language,
                         Platform::UserDefaults* defaults, QWidget* parent, CodeHighlighting* highlighting)
    : PreviewWidgets::TextView(
          QFont(), [](QS::Color::Scheme scheme) { return QS::Color::label(scheme); }, kPadding, parent),
      m_highlighting(highlighting ? *highlighting : CodeHighlighting::shared()), m_shown(shownCode(code)),
      m_language(std::move(language)) {
    setObjectName(QStringLiteral("codePreview"));
    // Lines keep their shape and scroll sideways.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    ThinScrollbarConfigurator::apply(*this, Qt::Vertical | Qt::Horizontal);
    applyFontSize(PreviewPresentation::previewFontSize(defaults));
    setPlainText(m_shown);
    m_colours = new StyledRunsHighlighter(document());
    if (defaults) {
        connect(defaults, &Platform::UserDefaults::valueChanged, this, [this, defaults](const QString& key) {
            if (key == App::SettingsKeys::previewFontSize)
                applyFontSize(PreviewPresentation::previewFontSize(defaults));
        });
    }
    requestHighlighting();
}

CodePreview::~CodePreview() = default;

QString CodePreview::shownCode(const QString& code) {
    return PreviewPresentation::withPlainLineBreaks(PreviewPresentation::capped(code, kCharacterLimit));
}

QString CodePreview::taskKey() const {
    const bool dark = QS::Color::schemeOf(*this) == QS::Color::Scheme::Dark;
    return QString::number(qHash(m_shown)) + u'-' + m_language.value_or(QString()) + u'-' +
           (dark ? u'd' : u'l');
}

bool CodePreview::isHighlighted() const {
    return m_colours->hasRuns();
}

void CodePreview::applyFontSize(int size) {
    m_fontSize = size;
    setFont(QS::Font::system(size, QFont::Normal, QS::Font::Design::Monospaced));
}

void CodePreview::requestHighlighting() {
    const QString key = taskKey();
    if (key == m_pendingKey)
        return;
    m_pendingKey = key;
    const bool dark = key.endsWith(u'd');
    m_highlighting.highlight(
        m_shown, m_language, dark, this, [this, key](std::optional<SyntaxHighlighter::StyledText> result) {
            // A result for inputs that have changed since is dropped.
            if (key != m_pendingKey)
                return;
            const std::u16string_view shown(reinterpret_cast<const char16_t*>(m_shown.utf16()),
                                            static_cast<std::size_t>(m_shown.size()));
            std::vector<std::pair<int, QTextCharFormat>> runs;
            // Only a result over exactly the shown text can be laid over it.
            if (result && result->text() == shown) {
                runs.reserve(result->runs().size());
                for (const auto& run : result->runs())
                    runs.emplace_back(static_cast<int>(run.range.location), TextStyling::toFaceAndColourFormat(run.attributes));
            }
            qCDebug(lcPreview) << "code highlighted in" << runs.size() << "runs";
            m_colours->setRuns(std::move(runs), static_cast<int>(m_shown.size()));
            emit highlightingSettled();
        });
}

void CodePreview::changeEvent(QEvent* event) {
    PreviewWidgets::TextView::changeEvent(event);
    // Palette changes made while the view is being built wait for its own first request.
    if (event->type() == QEvent::PaletteChange && m_colours)
        requestHighlighting();
}
