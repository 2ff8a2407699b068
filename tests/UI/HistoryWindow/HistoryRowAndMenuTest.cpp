// Row titles and badges, the context menu's entries by kind, and the panel placement.
#include "HistoryFixture.h"

#include <UI/HistoryWindow/HistoryContextMenu.h>
#include <UI/HistoryWindow/HistoryListModel.h>
#include <UI/HistoryWindow/ItemRow.h>
#include <UI/HistoryWindow/PanelPlacement.h>

#include <QFile>
#include <QMimeData>

namespace {

using namespace ItemRowPresentation;
using HistoryContextMenu::Action;

ItemRowSnapshot row(ItemType type, std::optional<QString> text, QString previewTitle = {}) {
    ItemRowSnapshot snapshot;
    snapshot.itemID = QUuid::createUuid();
    snapshot.type = type;
    snapshot.plainText = std::move(text);
    snapshot.previewTitle = std::move(previewTitle);
    return snapshot;
}

// A row keeps only what it can show, so painting and comparing rows costs the same for any item.
TEST(ItemRowPresentationTest, SnapshotsOfHugeItemsStaySmall) {
    NewClipboardItem content;
    content.plainText = QString(20 * 1024 * 1024, u'a');
    content.snippetTitle = QString(1024 * 1024, u't');
    const ItemRowSnapshot huge = ItemRowSnapshot::make(*ClipboardItem::make(content), 0);
    EXPECT_EQ(huge.previewTitle.size(), ItemRowSnapshot::kTextLimit);
    EXPECT_EQ(huge.plainText->size(), ItemRowSnapshot::kTextLimit);
    EXPECT_EQ(huge.snippetTitle->size(), ItemRowSnapshot::kTextLimit);

    // The longest web address a link item can hold is shown whole.
    NewClipboardItem link;
    link.type = ItemType::url;
    link.plainText = QStringLiteral("https://example.org/") + QString(2027, u'p');
    const ItemRowSnapshot linkRow = ItemRowSnapshot::make(*ClipboardItem::make(link), 0);
    EXPECT_EQ(secondaryText(linkRow), link.plainText);
    EXPECT_EQ(title(linkRow).text, QStringLiteral("example.org"));
}

TEST(ItemRowPresentationTest, TitlesByKind) {
    struct Case {
        const char* name;
        ItemRowSnapshot snapshot;
        QString title;
        int lines;
    };
    auto ocrImage = row(ItemType::image, std::nullopt, QStringLiteral("Invoice 2024"));
    ocrImage.hasOCR = true;
    auto snippet = row(ItemType::snippet, QStringLiteral("body"), QStringLiteral("body"));
    snippet.snippetTitle = QStringLiteral("Signature");
    const QList<Case> cases{
        {"text", row(ItemType::text, QStringLiteral("a\nb"), QStringLiteral("a")), QStringLiteral("a"), 2},
        {"image without text", row(ItemType::image, std::nullopt, QStringLiteral("")),
         QStringLiteral("Image"), 1},
        {"image with text", ocrImage, QStringLiteral("Invoice 2024"), 1},
        {"link host without www.",
         row(ItemType::url, QStringLiteral("https://www.example.org/a?b"),
             QStringLiteral("https://www.example.org/a?b")),
         QStringLiteral("example.org"), 1},
        {"link without host", row(ItemType::url, QStringLiteral("not a url"), QStringLiteral("not a url")),
         QStringLiteral("not a url"), 1},
        {"files: first path's name", row(ItemType::file, QStringLiteral("/home/u/a.txt\n/home/u/b.txt")),
         QStringLiteral("a.txt"), 1},
        {"file without text", row(ItemType::file, std::nullopt), QStringLiteral("File"), 1},
        {"colour", row(ItemType::color, QStringLiteral("#FF8800")), QStringLiteral("#FF8800"), 1},
        {"snippet", snippet, QStringLiteral("Signature"), 1},
    };
    for (const Case& c : cases) {
        const Title t = title(c.snapshot);
        EXPECT_EQ(t.text, c.title) << c.name;
        EXPECT_EQ(t.maxLines, c.lines) << c.name;
    }
    EXPECT_EQ(secondaryText(cases[3].snapshot), QStringLiteral("https://www.example.org/a?b"));
}

TEST(ItemRowPresentationTest, BadgesByKind) {
    auto code = row(ItemType::code, QStringLiteral("x"));
    EXPECT_TRUE(badges(code).isEmpty());
    code.detectedLanguage = QStringLiteral("swift");
    EXPECT_EQ(badges(code), (QList<Badge>{{QStringLiteral("SWIFT"), Tint::code}}));

    auto image = row(ItemType::image, std::nullopt);
    EXPECT_EQ(badges(image), (QList<Badge>{{QStringLiteral("IMG"), Tint::image}}));
    image.hasOCR = true;
    EXPECT_EQ(badges(image).size(), 2);

    auto tagged = row(ItemType::text, QStringLiteral("x"));
    tagged.contentTags = {ContentClassifier::ContentTag::email, ContentClassifier::ContentTag::phone,
                          ContentClassifier::ContentTag::json};
    EXPECT_EQ(badges(tagged),
              (QList<Badge>{{QStringLiteral("EMAIL"), Tint::blue}, {QStringLiteral("PHONE"), Tint::green}}));
    EXPECT_TRUE(badges(row(ItemType::url, QStringLiteral("https://a.b"))).isEmpty());
    EXPECT_EQ(badges(row(ItemType::snippet, QStringLiteral("x"))).first().text, QStringLiteral("SNIPPET"));
}

TEST(ItemRowPresentationTest, KeyHintsMarksAndSwatches) {
    auto r = row(ItemType::text, QStringLiteral("x"));
    for (int index : {0, 8, 9, 12}) {
        r.index = index;
        EXPECT_EQ(keyHint(r),
                  index <= 8 ? std::optional(QStringLiteral("Ctrl+%1").arg(index + 1)) : std::nullopt)
            << index;
    }
    r.index = 0;
    r.multiSelectMode = true;
    EXPECT_FALSE(keyHint(r));
    EXPECT_EQ(multiMark(r), MultiMark::unchecked);
    r.isMultiSelected = true;
    EXPECT_EQ(multiMark(r), MultiMark::checked);

    EXPECT_TRUE(swatchColor(row(ItemType::color, QStringLiteral("#00FF00"))));
    EXPECT_FALSE(swatchColor(row(ItemType::color, QStringLiteral("greenish"))));

    // Fields outside the row's look do not make it repaint.
    auto a = row(ItemType::text, QStringLiteral("x"));
    auto b = a;
    b.sourceAppBundleID = QStringLiteral("firefox-esr");
    b.contentTags = {ContentClassifier::ContentTag::date};
    EXPECT_EQ(a, b);
    b.isHovered = true;
    EXPECT_NE(a, b);
}

class ContextMenuTest : public HistoryFixture {};

QList<Action> actionsOf(const QList<HistoryContextMenu::Entry>& entries) {
    QList<Action> list;
    for (const auto& entry : entries)
        list << entry.action;
    return list;
}

TEST_F(ContextMenuTest, EntriesByKind) {
    const auto plain = addText(QStringLiteral("just words"));
    const auto mail = addText(QStringLiteral("write to anna@example.com"));
    const auto snippet = addKind(ItemType::snippet, QStringLiteral("Regards"));
    const auto picture = addImage(Qt::blue, QSize(8, 8), QStringLiteral("scanned"));

    const QList<Action> head{Action::paste, Action::pastePlainText, Action::copy, Action::toggleQueue};
    const QList<Action> tail{Action::togglePin, Action::quickLook, Action::deleteItem};
    const auto with = [&](QList<Action> middle) {
        return head + middle + tail;
    };
    EXPECT_EQ(actionsOf(HistoryContextMenu::entries(*plain, false)),
              with({Action::transformSubmenu, Action::separator, Action::saveAsSnippet}));
    EXPECT_EQ(actionsOf(HistoryContextMenu::entries(*mail, false)),
              with({Action::transformSubmenu, Action::smartActionSubmenu, Action::separator,
                    Action::saveAsSnippet}));
    EXPECT_EQ(actionsOf(HistoryContextMenu::entries(*snippet, false)),
              with({Action::transformSubmenu, Action::separator}));
    EXPECT_EQ(actionsOf(HistoryContextMenu::entries(*picture, false)),
              with({Action::pasteOCRText, Action::separator}));

    const auto entries = HistoryContextMenu::entries(*plain, true);
    EXPECT_EQ(entries[3].title, QStringLiteral("Remove from Queue"));
    EXPECT_EQ(entries[4].children.size(), TextTransforms::allCases().size());
    store->togglePin(plain);
    EXPECT_EQ(HistoryContextMenu::entries(*plain, false).at(7).title, QStringLiteral("Unpin"));
}

TEST_F(ContextMenuTest, DraggedRowsCarryTheFirstFileThePictureOrTheText) {
    const QString existing = dir.filePath(QStringLiteral("report.txt"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const auto files = addKind(ItemType::file, existing + QStringLiteral("\n/elsewhere/b.txt"));
    const auto gone = addKind(ItemType::file, QStringLiteral("/nowhere/missing.txt\n/nowhere/other.txt"));
    const auto picture = addImage(Qt::green, QSize(4, 4));
    NewClipboardItem lost;
    lost.type = ItemType::image;
    lost.imageFilename = QStringLiteral("MISSING.png");
    lost.ocrText = QStringLiteral("read from the picture");
    lost.dedupeKey = QStringLiteral("img:missing");
    const auto missingPicture = add(lost);

    HistoryListModel model(*store);
    model.setImageDirectory(images->directory());
    auto drag = [&](const ClipboardItemPtr& item) {
        return std::unique_ptr<QMimeData>(model.mimeData({model.index(model.rowOf(item->id()), 0)}));
    };
    EXPECT_EQ(drag(files)->urls(), QList<QUrl>{QUrl::fromLocalFile(existing)});
    EXPECT_EQ(drag(gone)->text(), gone->plainText());
    EXPECT_EQ(drag(picture)->urls(),
              QList<QUrl>{QUrl::fromLocalFile(images->path(*picture->imageFilename()))});
    EXPECT_EQ(drag(missingPicture)->text(), QStringLiteral("read from the picture"));
}

TEST(PanelPlacementTest, PlacesAtTheEdges) {
    const PanelPlacement::Screen screen{QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1050)};
    const PanelPlacement::Screen right{QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 1024)};
    const QList<PanelPlacement::Screen> screens{screen, right};
    const QSize panel(860, 560);
    struct Case {
        const char* name;
        QPoint pointer;
        QString mode;
        std::optional<QRect> input;
        std::optional<QPoint> origin;
    };
    const QList<Case> cases{
        {"centre of the pointer's screen", {100, 100}, "center", {}, QPoint(530, 275)},
        {"centre of the second screen", {2000, 500}, "center", {}, QPoint(1920 + 210, 232)},
        {"cursor with room above", {900, 900}, "cursor", {}, QPoint(470, 900 - 12 - 560)},
        {"cursor near the top goes below", {900, 100}, "cursor", {}, QPoint(470, 112)},
        {"cursor near the left edge is kept 8 inside", {10, 900}, "cursor", {}, QPoint(8, 328)},
        {"cursor near the right edge", {1915, 900}, "cursor", {}, QPoint(1920 - 860 - 8, 328)},
        {"unknown mode acts as cursor", {900, 900}, "sideways", {}, QPoint(470, 328)},
        {"input without a field acts as cursor", {900, 900}, "input", {}, QPoint(470, 328)},
        {"input above the caret", {5, 5}, "input", QRect(1000, 700, 2, 18), QPoint(571, 700 - 12 - 560)},
        {"input on the other screen", {5, 5}, "input", QRect(2500, 100, 2, 18), QPoint(2500 + 1 - 430, 130)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PanelPlacement::place(panel, c.pointer, c.mode, c.input, screens, screen), c.origin)
            << c.name;
    }
    // A screen smaller than the panel: the top edge stays on it.
    const PanelPlacement::Screen tiny{QRect(0, 0, 800, 500), QRect(0, 0, 800, 500)};
    EXPECT_EQ(PanelPlacement::place(panel, {400, 250}, "cursor", {}, {tiny}, tiny), QPoint(800 - 860 - 8, 8));
    // No screen at all: the panel stays where it is.
    EXPECT_EQ(PanelPlacement::place(panel, {400, 250}, "center", {}, {}, std::nullopt), std::nullopt);
}

// Other applications report their fields in device pixels; under a scale factor Qt keeps each
// screen's top-left corner and divides what lies beyond it.
TEST(PanelPlacementTest, DevicePixelsBecomeTheCoordinatesThePanelIsPlacedIn) {
    // A 3840 × 2160 screen at twice the scale, and right of it a 2400 × 1500 one at 1.5.
    const PanelPlacement::Screen doubled{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080), 2.0};
    const PanelPlacement::Screen oneAndHalf{QRect(3840, 0, 1600, 1000), QRect(3840, 0, 1600, 1000), 1.5};
    const PanelPlacement::Screen plain{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080)};
    struct Case {
        const char* name;
        QRect devicePixels;
        QList<PanelPlacement::Screen> screens;
        QRect expected;
    };
    const QList<Case> cases{
        {"unscaled", QRect(1000, 700, 2, 18), {plain}, QRect(1000, 700, 2, 18)},
        {"a caret at twice the scale",
         QRect(2000, 1400, 2, 36),
         {doubled, oneAndHalf},
         QRect(1000, 700, 1, 18)},
        {"a field at twice the scale", QRect(11, 1035, 3818, 60), {doubled}, QRect(6, 518, 1909, 30)},
        {"a caret on the second screen",
         QRect(3840 + 300, 150, 0, 27),
         {doubled, oneAndHalf},
         QRect(3840 + 200, 100, 0, 18)},
        {"a window past every screen goes by the one it touches",
         QRect(3800, 500, 200, 100),
         {doubled},
         QRect(1900, 250, 100, 50)},
        {"no screen", QRect(10, 20, 30, 40), {}, QRect(10, 20, 30, 40)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PanelPlacement::fromDevicePixels(c.devicePixels, c.screens), c.expected) << c.name;
}

} // namespace
