#include "MDInlineText.h"

#include <Markdown/Markdown.h>
#include <UI/Design/Font.h>

#include <QTextCharFormat>

namespace MDInlineText {

namespace {

using Markdown::RawKind;
using Markdown::RawMarkup;
using Markdown::RawMarkupRef;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

quint16 groupStyle(RawKind kind) {
    switch (kind) {
    case RawKind::strong:
        return Bold;
    case RawKind::emphasis:
        return Italic;
    case RawKind::strikethrough:
        return Strikethrough;
    case RawKind::link:
        return Link;
    default:
        return 0;
    }
}

} // namespace

void StyledText::append(const QString& fragment, quint16 styles) {
    if (fragment.isEmpty())
        return;
    const qsizetype start = text.size();
    text += fragment;
    if (styles == 0)
        return;
    if (!runs.empty() && runs.back().styles == styles && runs.back().start + runs.back().length == start)
        runs.back().length += fragment.size();
    else
        runs.push_back({start, fragment.size(), styles});
}

StyledText StyledText::slice(qsizetype from, qsizetype length) const {
    StyledText part;
    part.text = text.mid(from, length);
    const qsizetype to = from + part.text.size();
    for (const Run& run : runs) {
        const qsizetype start = std::max(run.start, from);
        const qsizetype end = std::min(run.start + run.length, to);
        if (end > start)
            part.runs.push_back({start - from, end - start, run.styles});
    }
    return part;
}

QString imageMarker() {
    return QStringLiteral("\U0001F5BC");
}

QString collectPlain(const RawMarkup& element) {
    if (element.kind() == RawKind::text)
        return fromUtf8(element.data().stringPayload().value);
    QString plain;
    // Depth first, in document order, without recursion: deep nesting costs heap, not stack.
    std::vector<std::pair<const RawMarkup*, std::int64_t>> stack{{&element, 0}};
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next == node->childCount()) {
            stack.pop_back();
            continue;
        }
        const RawMarkup& child = *node->child(next++);
        if (child.kind() == RawKind::text)
            plain += fromUtf8(child.data().stringPayload().value);
        else if (child.childCount() > 0)
            stack.emplace_back(&child, 0);
    }
    return plain;
}

StyledText render(const Markdown::Markup& container) {
    return render(container.data().node());
}

StyledText render(const RawMarkup& container) {
    StyledText result;
    struct Frame {
        const RawMarkup* node;
        std::int64_t next;
        quint16 styles;
    };
    std::vector<Frame> stack{{&container, 0, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.node->childCount()) {
            stack.pop_back();
            continue;
        }
        const RawMarkupRef& ref = frame.node->child(frame.next++);
        const RawMarkup& child = *ref;
        const quint16 styles = frame.styles;
        switch (child.kind()) {
        case RawKind::text:
            result.append(fromUtf8(child.data().stringPayload().value), styles);
            break;
        case RawKind::inlineCode:
            result.append(fromUtf8(child.data().stringPayload().value), styles | Code);
            break;
        case RawKind::inlineHTML:
            result.append(fromUtf8(child.data().stringPayload().value), styles | Html);
            break;
        case RawKind::softBreak:
            result.append(QStringLiteral(" "), styles);
            break;
        case RawKind::lineBreak:
            result.append(QStringLiteral("\n"), styles);
            break;
        case RawKind::image: {
            const QString plain = collectPlain(child);
            result.append(plain.isEmpty() ? imageMarker() : plain, styles | Image);
            break;
        }
        case RawKind::customInline:
            result.append(fromUtf8(child.data().stringPayload().value), styles);
            break;
        case RawKind::symbolLink:
            // What a symbol link holds is the symbol's name.
            result.append(fromUtf8(child.data().symbolLinkPayload().destination.value_or(std::string())),
                          styles);
            break;
        default:
            // Groups show their children; an empty one (a link without text) shows nothing.
            if (child.childCount() > 0)
                stack.push_back({&child, 0, static_cast<quint16>(styles | groupStyle(child.kind()))});
            break;
        }
    }
    return result;
}

QFont bodyFont(const Look& look) {
    return QS::Font::system(look.size, look.weight);
}

QList<QTextLayout::FormatRange> formats(const StyledText& text, const Look& look) {
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(static_cast<qsizetype>(text.runs.size()));
    for (const Run& run : text.runs) {
        QTextCharFormat format;
        const quint16 styles = run.styles;
        if (styles & (Code | Html)) {
            // Code and HTML bring their own font, one point smaller; a bold group still bolds it.
            QFont font = QS::Font::system(look.size - 1, (styles & Code) ? QFont::Medium : QFont::Normal,
                                          QS::Font::Design::Monospaced);
            if (styles & Bold)
                font.setWeight(QFont::Bold);
            format.setFont(font);
        } else if (styles & Bold) {
            format.setFontWeight(QFont::Bold);
        }
        if (styles & Italic)
            format.setFontItalic(true);
        if (styles & Strikethrough)
            format.setFontStrikeOut(true);
        if (styles & Link)
            format.setFontUnderline(true);
        // The innermost colour wins: code, HTML and image text keep theirs inside a link.
        if (styles & Code)
            format.setForeground(QS::Color::badgeCode());
        else if (styles & (Html | Image))
            format.setForeground(QS::Color::secondaryText(look.scheme));
        else if (styles & Link)
            format.setForeground(QS::Color::badgeURL());
        ranges.append({static_cast<int>(run.start), static_cast<int>(run.length), format});
    }
    return ranges;
}

} // namespace MDInlineText
