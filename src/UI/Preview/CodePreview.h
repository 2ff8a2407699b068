#pragma once

#include <SyntaxHighlighter/StyledText.h>

#include <QPlainTextEdit>
#include <QString>

#include <optional>

class CodeHighlighting;
class StyledRunsHighlighter;
namespace Platform {
class UserDefaults;
}

// Source code as selectable, monospaced text that scrolls both ways. The text is shown plain at
// once and coloured when the shared highlighting service answers; the colours follow the widget's
// light or dark appearance, and the font size follows "previewFontSize" without highlighting
// again. Only the first kCharacterLimit characters are shown and highlighted.
class CodePreview : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr qsizetype kCharacterLimit = 6000;
    static constexpr int kPadding = 12;

    // `highlighting` defaults to the application's shared service; `defaults` may be null (the
    // default size then).
    CodePreview(const QString& code, std::optional<QString> language, Platform::UserDefaults* defaults,
                QWidget* parent = nullptr, CodeHighlighting* highlighting = nullptr);
    ~CodePreview() override;

    // The text as shown: the code cut to its first kCharacterLimit characters plus "\n…".
    static QString shownCode(const QString& code);

    // The identity of the highlighting work for the current text, language and appearance: the
    // text's hash, the language and "d" (dark) or "l" (light), joined by "-".
    QString taskKey() const;
    // Whether the text shows a highlighting result (else it is plain).
    bool isHighlighted() const;
    // The point size the text is shown in.
    int fontSize() const { return m_fontSize; }

signals:
    // A highlighting answer was taken in (a result, or none: the text stays or turns plain).
    void highlightingSettled();

protected:
    void changeEvent(QEvent* event) override;

private:
    void requestHighlighting();
    void applyFontSize(int size);

    CodeHighlighting& m_highlighting;
    QString m_shown;
    std::optional<QString> m_language;
    int m_fontSize = 12;
    // The key of the request whose result may still be taken in.
    QString m_pendingKey;
    StyledRunsHighlighter* m_colours = nullptr;
};
