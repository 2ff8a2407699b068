#include "CodeDetector.h"

#include "TextLines.h"

#include <QJsonDocument>

#include <array>
#include <bit>

namespace CodeDetector {

namespace {

constexpr std::array<QStringView, 16> kKeywords = {
    u"func ",   u"def ",     u"class ", u"import ", u"return ", u"const ", u"let ",     u"var ",
    u"public ", u"private ", u"if (",   u"for (",   u"=> ",     u"fn ",    u"#include", u"package ",
};

bool isSymbol(QChar c) {
    switch (c.unicode()) {
    case u'{':
    case u'}':
    case u';':
    case u'=':
    case u'<':
    case u'>':
    case u'(':
    case u')':
        return true;
    default:
        return false;
    }
}

// One pass for all keywords instead of one search each.
bool containsKeyword(QStringView text) {
    // For each ASCII character, the keywords that start with it.
    static const std::array<quint32, 128> startingWith = [] {
        std::array<quint32, 128> masks{};
        for (size_t k = 0; k < kKeywords.size(); ++k)
            masks[kKeywords[k][0].unicode()] |= 1u << k;
        return masks;
    }();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < n; ++i) {
        const char16_t c = text[i].unicode();
        quint32 candidates = c < 0x80 ? startingWith[c] : 0;
        while (candidates) {
            const QStringView keyword = kKeywords[static_cast<size_t>(std::countr_zero(candidates))];
            candidates &= candidates - 1;
            // Cheap second-character check first; the whole comparison only for rare candidates.
            if (keyword[1] == text[i + 1] && i + keyword.size() <= n &&
                text.sliced(i, keyword.size()) == keyword)
                return true;
        }
    }
    return false;
}

} // namespace

const QSet<QString>& editorBundleIDs() {
    static const QSet<QString> ids = {
        QStringLiteral("com.apple.dt.Xcode"),     QStringLiteral("com.microsoft.VSCode"),
        QStringLiteral("com.googlecode.iterm2"),  QStringLiteral("com.apple.Terminal"),
        QStringLiteral("com.jetbrains.intellij"), QStringLiteral("com.jetbrains.AppCode"),
        QStringLiteral("com.jetbrains.pycharm"),  QStringLiteral("com.jetbrains.WebStorm"),
        QStringLiteral("com.sublimetext.4"),      QStringLiteral("dev.zed.Zed"),
        QStringLiteral("com.github.atom"),        QStringLiteral("com.panic.Nova"),
        QStringLiteral("org.vim.MacVim"),
    };
    return ids;
}

bool isCode(const QString& text, const std::optional<QString>& sourceBundleID) {
    const qsizetype characters = TextLines::characterCount(text);
    if (!text.contains(u'\n') && characters <= 120)
        return false;

    int score = 0;
    if (sourceBundleID && editorBundleIDs().contains(*sourceBundleID))
        score += 2;

    const QList<QStringView> lines = TextLines::split(text);
    if (lines.size() >= 3) {
        qsizetype indented = 0;
        for (QStringView line : lines) {
            if (line.startsWith(u"    ") || line.startsWith(u'\t'))
                ++indented;
        }
        if (static_cast<double>(indented) / static_cast<double>(lines.size()) > 0.25)
            score += 1;
    }

    qsizetype symbols = 0;
    for (QChar c : text) {
        if (isSymbol(c))
            ++symbols;
    }
    const double divisor = characters < 2 ? 1.0 : static_cast<double>(characters);
    if (static_cast<double>(symbols) / divisor > 0.03)
        score += 1;

    if (containsKeyword(text))
        score += 1;

    if (text.contains(u". ") && !text.contains(u';') && !text.contains(u'{'))
        score -= 1;

    return score >= 2;
}

std::optional<QString> guessLanguage(const QString& text) {
    if (text.contains(u"func ") && (text.contains(u"let ") || text.contains(u"var ")))
        return QStringLiteral("swift");
    if (text.contains(u"def ") && text.contains(u':'))
        return QStringLiteral("python");
    if (text.contains(u"fn ") && text.contains(u"->"))
        return QStringLiteral("rust");
    if (text.contains(u"#include"))
        return QStringLiteral("cpp");
    if (text.contains(u"package ") && text.contains(u"func "))
        return QStringLiteral("go");
    if (text.contains(u"<?php"))
        return QStringLiteral("php");
    if (text.contains(u"<html") || text.contains(u"</div>"))
        return QStringLiteral("html");
    if (text.contains(u"SELECT ") || text.contains(u"select * from"))
        return QStringLiteral("sql");
    if (text.startsWith(u'{') || text.startsWith(u'[')) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
        if (error.error == QJsonParseError::NoError && (document.isObject() || document.isArray()))
            return QStringLiteral("json");
    }
    if (text.contains(u"=>") || text.contains(u"function ") || text.contains(u"console."))
        return QStringLiteral("javascript");
    return std::nullopt;
}

} // namespace CodeDetector
