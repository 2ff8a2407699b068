// Renders the design system's small views on the panel background in light and dark, and writes
// the pictures to <build>/screenshots for a person to look at.
#include <App/AppearanceManager.h>
#include <Hotkeys/KeyboardLayout.h>
#include <Hotkeys/Shortcut.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/KeyNotation.h>
#include <UI/Design/QSBadge.h>
#include <UI/Design/QSChoiceCard.h>
#include <UI/Design/QSKeyCap.h>
#include <UI/Design/QSSectionHeader.h>
#include <UI/Design/SymbolIcon.h>
#include <UI/Design/VisualEffectBackground.h>

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

using QS::Color::Scheme;
using QS::Color::System;

// A desktop-like backdrop, so the panel's translucency shows.
class Backdrop : public QWidget {
public:
    explicit Backdrop(Scheme scheme) : m_scheme(scheme) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
        if (m_scheme == Scheme::Dark) {
            gradient.setColorAt(0, QColor(24, 32, 58));
            gradient.setColorAt(1, QColor(58, 26, 64));
        } else {
            gradient.setColorAt(0, QColor(160, 196, 236));
            gradient.setColorAt(1, QColor(236, 190, 214));
        }
        painter.fillRect(rect(), gradient);
    }

private:
    Scheme m_scheme;
};

QWidget* row(const QList<QWidget*>& widgets, int spacing) {
    auto* line = new QWidget;
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(14, 4, 14, 4);
    layout->setSpacing(spacing);
    for (QWidget* widget : widgets)
        layout->addWidget(widget, 0, Qt::AlignVCenter);
    layout->addStretch();
    return line;
}

QWidget* hint(const QString& key, const QString& label, Scheme scheme) {
    auto* pair = new QWidget;
    auto* layout = new QHBoxLayout(pair);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(new QSKeyCap(key));
    auto* text = new QLabel(label);
    text->setFont(QS::Font::system(10, QFont::Medium));
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, QS::Color::secondaryText(scheme));
    text->setPalette(palette);
    layout->addWidget(text);
    return pair;
}

QWidget* choiceContent(const QString& symbol, const QString& title, bool selected, Scheme scheme) {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* icon = new QLabel;
    const QColor tint = selected ? QS::Color::brand() : QS::Color::secondaryText(scheme);
    icon->setPixmap(SymbolIcon::pixmap(symbol, 22, tint, 2.0));
    icon->setAlignment(Qt::AlignCenter);
    icon->setFixedHeight(28);
    auto* text = new QLabel(title);
    text->setFont(QS::Font::system(12, QFont::Medium));
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    layout->addWidget(text);
    content->setMinimumHeight(72 - 24);
    return content;
}

QWidget* symbolGrid(Scheme scheme) {
    const QStringList symbols = {"doc.text",
                                 "curlybraces",
                                 "photo",
                                 "link",
                                 "doc",
                                 "paintpalette",
                                 "note.text",
                                 "pin.fill",
                                 "clock",
                                 "magnifyingglass",
                                 "xmark.circle.fill",
                                 "checkmark",
                                 "app.badge",
                                 "chevron.down",
                                 "square.grid.2x2",
                                 "envelope",
                                 "phone",
                                 "map",
                                 "curlybraces.square",
                                 "checklist",
                                 "arrow.right.to.line",
                                 "doc.on.doc",
                                 "doc.on.clipboard",
                                 "exclamationmark.triangle.fill",
                                 "checkmark.circle.fill",
                                 "circle",
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
                                 "doc.on.clipboard.fill"};
    auto* grid = new QWidget;
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(14, 4, 14, 8);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(10);
    const QList<QColor> tints = {QS::Color::label(scheme), QS::Color::brand(), QS::Color::badgeCode(),
                                 QS::Color::badgeImage(), QS::Color::badgeURL()};
    for (int i = 0; i < symbols.size(); ++i) {
        auto* icon = new QLabel;
        icon->setPixmap(
            SymbolIcon::pixmap(symbols[i], 20, i % 7 == 3 ? tints[(i / 7) % tints.size()] : tints[0], 2.0));
        icon->setToolTip(symbols[i]);
        layout->addWidget(icon, i / 14, i % 14);
    }
    return grid;
}

QWidget* buildGallery(Scheme scheme) {
    auto* backdrop = new Backdrop(scheme);
    backdrop->setPalette(scheme == Scheme::Dark ? App::AppearanceManager::darkPalette()
                                                : App::AppearanceManager::lightPalette());
    auto* outer = new QVBoxLayout(backdrop);
    outer->setContentsMargins(28, 28, 28, 28);
    auto* panel = new PanelBackground;
    outer->addWidget(panel);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 8, 8, 14);
    column->setSpacing(2);

    column->addWidget(
        new QSSectionHeader(QT_TRANSLATE_NOOP("QSSectionHeader", "Badges"), QStringLiteral("note.text")));
    column->addWidget(row({new QSBadge(QStringLiteral("SWIFT"), QS::Color::badgeCode()),
                           new QSBadge(QStringLiteral("IMG"), QS::Color::badgeImage()),
                           new QSBadge(QStringLiteral("OCR"), QS::Color::system(System::Indigo, scheme)),
                           new QSBadge(QStringLiteral("SNIPPET"), QS::Color::badgeSnippet()),
                           new QSBadge(QStringLiteral("EMAIL"), QS::Color::system(System::Blue, scheme)),
                           new QSBadge(QStringLiteral("PHONE"), QS::Color::system(System::Green, scheme)),
                           new QSBadge(QStringLiteral("HEX"), QS::Color::system(System::Pink, scheme)),
                           new QSBadge(QStringLiteral("JSON"), QS::Color::system(System::Orange, scheme)),
                           new QSBadge(QStringLiteral("DATE"), QS::Color::system(System::Purple, scheme)),
                           new QSBadge(QStringLiteral("ADDR"), QS::Color::system(System::Red, scheme)),
                           new QSBadge(QStringLiteral("FILE"), QS::Color::badgeFile(scheme))},
                          4));

    const auto layout = Hotkeys::KeyboardLayout::fromNames(QStringLiteral("us"));
    const auto keys = [&](Hotkeys::Key key, Hotkeys::ModifierFlags modifiers = {}) {
        return KeyNotation::text(Hotkeys::Shortcut(key, modifiers), *layout);
    };
    using Hotkeys::Key;
    using Hotkeys::ModifierFlag;
    column->addWidget(
        new QSSectionHeader(QT_TRANSLATE_NOOP("QSSectionHeader", "Key caps"), QStringLiteral("keyboard")));
    column->addWidget(
        row({hint(keys(Key::return_), QStringLiteral("Paste"), scheme),
             hint(keys(Key::return_, ModifierFlag::Control), QStringLiteral("Plain text"), scheme),
             hint(KeyNotation::withModifiers(ModifierFlag::Control, KeyNotation::click()),
                  QStringLiteral("Multi"), scheme),
             hint(keys(Key::space), QStringLiteral("Quick Look"), scheme),
             hint(keys(Key::escape), QStringLiteral("Close"), scheme),
             hint(keys(Key::v, ModifierFlag::Shift | ModifierFlag::Command), QStringLiteral("Open anytime"),
                  scheme)},
            10));

    column->addWidget(new QSSectionHeader(QT_TRANSLATE_NOOP("QSSectionHeader", "Choice cards")));
    auto* cards = new QWidget;
    auto* cardRow = new QHBoxLayout(cards);
    cardRow->setContentsMargins(12, 6, 12, 6);
    cardRow->setSpacing(10);
    cardRow->addWidget(new QSChoiceCard(
        true, [] {},
        choiceContent(QStringLiteral("rectangle.center.inset.filled"), QStringLiteral("Center of screen"),
                      true, scheme)));
    cardRow->addWidget(new QSChoiceCard(
        false, [] {},
        choiceContent(QStringLiteral("cursorarrow.click.2"), QStringLiteral("Near cursor"), false, scheme)));
    cardRow->addWidget(new QSChoiceCard(
        false, [] {},
        choiceContent(QStringLiteral("character.cursor.ibeam"), QStringLiteral("Near text field"), false,
                      scheme)));
    column->addWidget(cards);

    column->addWidget(new QSSectionHeader(QT_TRANSLATE_NOOP("QSSectionHeader", "Symbols"),
                                          QStringLiteral("square.grid.2x2")));
    column->addWidget(symbolGrid(scheme));
    column->addStretch();
    backdrop->resize(640, 540);
    return backdrop;
}

TEST(DesignGallery, WritesLightAndDarkScreenshots) {
    const QString directory = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(directory));
    for (const auto& [scheme, name] :
         {std::pair{Scheme::Light, "design-light.png"}, std::pair{Scheme::Dark, "design-dark.png"}}) {
        std::unique_ptr<QWidget> gallery(buildGallery(scheme));
        gallery->show();
        const QImage shot = gallery->grab().toImage();
        ASSERT_FALSE(shot.isNull());
        const QString path = QDir(directory).filePath(QLatin1String(name));
        EXPECT_TRUE(shot.save(path)) << path.toStdString();
    }
}

} // namespace
