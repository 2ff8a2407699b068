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
    // Desktop-file ids as capture records them. Read from the desktop files of Debian's packages
    // (kate, kwrite, gnome-text-editor, gedit, geany, mousepad, pluma, featherpad, emacs, vim-gtk3,
    // neovim-qt, konsole, gnome-terminal, gnome-console, xterm, alacritty, kitty, tilix, foot,
    // terminator, xfce4-terminal, mate-terminal, lxterminal, qterminal, sakura, terminology); for the
    // applications Debian does not ship, the names their own packages install: VS Code (code,
    // code-oss, its snap code_code, VSCodium's codium, the Flatpaks com.visualstudio.code and
    // com.vscodium.codium), Sublime Text (sublime_text), Zed (dev.zed.Zed), WezTerm
    // (org.wezfurlong.wezterm), Ptyxis (org.gnome.Ptyxis), Ghostty (com.mitchellh.ghostty), Neovide,
    // GNOME Builder, KDevelop and Qt Creator. The JetBrains IDEs are matched by family instead
    // (isEditorBundleID).
    static const QSet<QString> ids = {
        // Editors and IDEs.
        QStringLiteral("code"),
        QStringLiteral("code-oss"),
        QStringLiteral("code_code"),
        QStringLiteral("codium"),
        QStringLiteral("com.visualstudio.code"),
        QStringLiteral("com.vscodium.codium"),
        QStringLiteral("sublime_text"),
        QStringLiteral("dev.zed.Zed"),
        QStringLiteral("org.kde.kate"),
        QStringLiteral("org.kde.kwrite"),
        QStringLiteral("org.kde.kdevelop"),
        QStringLiteral("org.gnome.TextEditor"),
        QStringLiteral("org.gnome.gedit"),
        QStringLiteral("org.gnome.Builder"),
        QStringLiteral("org.qt-project.qtcreator"),
        QStringLiteral("geany"),
        QStringLiteral("org.geany.Geany"),
        QStringLiteral("org.xfce.mousepad"),
        QStringLiteral("pluma"),
        QStringLiteral("featherpad"),
        QStringLiteral("emacs"),
        QStringLiteral("emacsclient"),
        QStringLiteral("gvim"),
        QStringLiteral("nvim-qt"),
        QStringLiteral("neovide"),
        // Terminals.
        QStringLiteral("org.kde.konsole"),
        QStringLiteral("org.gnome.Terminal"),
        QStringLiteral("org.gnome.Console"),
        QStringLiteral("org.gnome.Ptyxis"),
        QStringLiteral("debian-xterm"),
        QStringLiteral("debian-uxterm"),
        QStringLiteral("xterm"),
        QStringLiteral("Alacritty"),
        QStringLiteral("kitty"),
        QStringLiteral("com.gexperts.Tilix"),
        QStringLiteral("org.wezfurlong.wezterm"),
        QStringLiteral("foot"),
        QStringLiteral("footclient"),
        QStringLiteral("com.mitchellh.ghostty"),
        QStringLiteral("terminator"),
        QStringLiteral("xfce4-terminal"),
        QStringLiteral("mate-terminal"),
        QStringLiteral("lxterminal"),
        QStringLiteral("qterminal"),
        QStringLiteral("sakura"),
        QStringLiteral("terminology"),
    };
    return ids;
}

bool isEditorBundleID(const QString& id) {
    if (editorBundleIDs().contains(id))
        return true;
    // The JetBrains IDEs, however installed: their tarballs name the desktop file
    // jetbrains-<product> (jetbrains-idea, jetbrains-pycharm-ce, jetbrains-studio...), the Toolbox
    // adds the installation's id (jetbrains-idea-<uuid>), and their Flatpaks are
    // com.jetbrains.<Product> (com.jetbrains.IntelliJ-IDEA-Community). The Toolbox itself
    // (jetbrains-toolbox) is no editor.
    static const QString tarballOrToolbox = QStringLiteral("jetbrains-");
    static const QString flatpak = QStringLiteral("com.jetbrains.");
    if (id.startsWith(tarballOrToolbox) && id.size() > tarballOrToolbox.size())
        return id != QLatin1String("jetbrains-toolbox");
    return id.startsWith(flatpak) && id.size() > flatpak.size();
}

bool isCode(const QString& text, const std::optional<QString>& sourceBundleID) {
    const qsizetype characters = TextLines::characterCount(text);
    if (!text.contains(u'\n') && characters <= 120)
        return false;

    int score = 0;
    if (sourceBundleID && isEditorBundleID(*sourceBundleID))
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
