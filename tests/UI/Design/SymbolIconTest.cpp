#include <UI/Design/SymbolIcon.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// Every symbol the windows draw: the history panel, its rows and menus, the item preview, the
// settings and onboarding windows, and the tray.
const QStringList kWindowSymbols = {
    // History panel, rows, header, context menu, multi-selection bar, empty state and footer.
    "pin.fill",
    "clock",
    "magnifyingglass",
    "xmark.circle.fill",
    "checkmark",
    "app.badge",
    "chevron.down",
    "square.grid.2x2",
    "doc.text",
    "photo",
    "curlybraces",
    "link",
    "note.text",
    "envelope",
    "phone",
    "map",
    "paintpalette",
    "curlybraces.square",
    "checklist",
    "arrow.right.to.line",
    "doc.on.doc",
    "doc.on.clipboard",
    "exclamationmark.triangle.fill",
    "checkmark.circle.fill",
    "circle",
    "doc",
    // Item preview, Quick Look, Markdown preview and the editor's promotion card.
    "pencil",
    "safari",
    "text.viewfinder",
    "xmark",
    "eye",
    "leaf",
    "lock.shield",
    "arrow.down.circle.fill",
    "checkmark.square.fill",
    "square",
    "doc.richtext",
    // Settings and onboarding.
    "gearshape.fill",
    "keyboard.fill",
    "paintbrush.fill",
    "lock.fill",
    "globe",
    "plus",
    "minus",
    "square.and.arrow.down",
    "rectangle.center.inset.filled",
    "cursorarrow.click.2",
    "character.cursor.ibeam",
    "app.dashed",
    "arrow.right",
    "terminal",
    "arrow.clockwise",
    "menubar.rectangle",
    "keyboard",
    "photo.on.rectangle.angled",
    // Tray.
    "doc.on.clipboard.fill",
};

// Symbol names written literally in the sources where they are drawn.
QSet<QString> symbolsNamedInSources() {
    static const QRegularExpression call(QStringLiteral(
        R"re((?:SymbolIcon::(?:icon|pixmap)|QSSectionHeader)\s*\([^;]*?QStringLiteral\("([a-z0-9.]+)"\))re"));
    QSet<QString> names;
    QDirIterator it(QStringLiteral(QS_TEST_SOURCE_DIR "/src"),
                    {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = call.globalMatch(text); match.hasNext();)
            names.insert(match.next().captured(1));
    }
    return names;
}

int inkedPixels(const QImage& image, const QColor& tint, bool* onlyTint) {
    int count = 0;
    *onlyTint = true;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 128)
                continue;
            ++count;
            if (std::abs(c.red() - tint.red()) > 2 || std::abs(c.green() - tint.green()) > 2 ||
                std::abs(c.blue() - tint.blue()) > 2)
                *onlyTint = false;
        }
    return count;
}

TEST(SymbolIcon, EverySymbolTheWindowsUseIsDrawnInAnyTint) {
    QSet<QString> names(kWindowSymbols.begin(), kWindowSymbols.end());
    names.unite(symbolsNamedInSources());
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(SymbolIcon::exists(name)) << SymbolIcon::filePath(name).toStdString();
        for (const QColor& tint : {QColor(29, 29, 31), QColor(236, 236, 238), QColor(108, 92, 231)}) {
            const QImage image = SymbolIcon::pixmap(name, 24, tint, 2.0).toImage();
            ASSERT_EQ(image.size(), QSize(48, 48));
            bool onlyTint = false;
            const int inked = inkedPixels(image, tint, &onlyTint);
            EXPECT_GT(inked, 48 * 48 / 40) << "drawn, not empty";
            EXPECT_LT(inked, 48 * 48 * 3 / 4) << "a symbol, not a block";
            EXPECT_TRUE(onlyTint) << "every stroke takes the tint";
        }
    }
}

TEST(SymbolIcon, IconHonoursModesAndUnknownNamesGiveNothing) {
    const QIcon icon = SymbolIcon::icon(QStringLiteral("pin.fill"), QColor(108, 92, 231));
    ASSERT_FALSE(icon.isNull());
    const QImage normal = icon.pixmap(QSize(20, 20), 1.0, QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(20, 20), 1.0, QIcon::Disabled).toImage();
    int strongest = 0;
    int strongestDisabled = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            strongest = std::max(strongest, normal.pixelColor(x, y).alpha());
            strongestDisabled = std::max(strongestDisabled, disabled.pixelColor(x, y).alpha());
        }
    EXPECT_EQ(strongest, 255);
    EXPECT_NEAR(strongestDisabled, 85, 2);

    EXPECT_TRUE(SymbolIcon::icon(QStringLiteral("no.such.symbol"), Qt::black).isNull());
    EXPECT_TRUE(SymbolIcon::pixmap(QStringLiteral("no.such.symbol"), 16, Qt::black).isNull());
    EXPECT_FALSE(SymbolIcon::exists(QStringLiteral("../icons/pin.fill")));
    EXPECT_FALSE(SymbolIcon::exists(QString()));
}

} // namespace
