// The list model: filters, search, pinned-first order and the selection rules.
#include "HistoryFixture.h"

#include <UI/HistoryWindow/HistoryListModel.h>

#include <QTest>

#include <functional>

namespace {

QStringList texts(const QList<ClipboardItemPtr>& items) {
    QStringList list;
    for (const auto& item : items)
        list << item->plainText().value_or(QStringLiteral("<none>"));
    return list;
}

class HistoryListModelTest : public HistoryFixture {};

TEST_F(HistoryListModelTest, EachFilterLetsThroughItsKinds) {
    for (ItemType type : ItemTypes::allCases())
        addKind(type, ItemTypes::rawValue(type));
    // A stored kind this version does not know reads as text.
    ClipboardItemRecord record;
    record.id = QUuid::createUuid();
    record.typeRaw = QStringLiteral("hologram");
    record.plainText = QStringLiteral("unknown");
    record.dedupeKey = QStringLiteral("txt:unknown");
    record.createdAt = ClipboardItem::now();
    store->add(ClipboardItem::restore(record));

    HistoryListModel model(*store);
    const QList<std::pair<ItemFilter, QStringList>> expected{
        {ItemFilter::all, {"unknown", "color", "file", "url", "image", "code", "richText", "text"}},
        {ItemFilter::text, {"unknown", "color", "file", "richText", "text"}},
        {ItemFilter::images, {"image"}},
        {ItemFilter::code, {"code"}},
        {ItemFilter::links, {"url"}},
        {ItemFilter::snippets, {"snippet"}},
    };
    for (const auto& [filter, names] : expected) {
        model.chooseFilter(filter);
        EXPECT_EQ(texts(model.visibleItems()), names) << ItemFilters::rawValue(filter).toStdString();
    }
}

TEST_F(HistoryListModelTest, SearchIsCaseInsensitiveAndTakenAsTyped) {
    addText(QStringLiteral("Hello World"));
    addText(QStringLiteral("helloworld"));
    NewClipboardItem picture;
    picture.type = ItemType::image;
    picture.imageFilename = QStringLiteral("X.png");
    picture.ocrText = QStringLiteral("Scanned HELLO");
    picture.dedupeKey = QStringLiteral("img:x");
    add(picture);

    HistoryListModel model(*store);
    struct Case {
        QString query;
        int count;
    };
    for (const Case& c : {Case{"hello", 3}, Case{"HELLO W", 1}, Case{" ", 2}, Case{"", 3}, Case{"o\nw", 0},
                          Case{"zebra", 0}}) {
        model.setQuery(c.query);
        EXPECT_EQ(model.visibleItems().size(), c.count) << c.query.toStdString();
    }

    // A changed item is searched by its new text.
    const auto snippet = addKind(ItemType::snippet, QStringLiteral("Draft"));
    model.chooseFilter(ItemFilter::snippets);
    model.setQuery(QStringLiteral("final"));
    EXPECT_TRUE(model.visibleItems().isEmpty());
    store->updateSnippet(snippet, QStringLiteral("Final words"), QStringLiteral("Kind regards"));
    EXPECT_EQ(model.visibleItems().size(), 1);
}

// Each keystroke starts from the matches of the one before; after every step, typed or not, the
// list must be exactly what a model searching everything afresh shows.
TEST_F(HistoryListModelTest, StepByStepSearchAnswersLikeAFreshSearch) {
    addText(QStringLiteral("Straße nach Berlin"), QStringLiteral("org.gnome.TextEditor"));
    const auto pinned = addText(QStringLiteral("strasse, pinned"));
    addText(QStringLiteral("STRAND bar"), QStringLiteral("firefox-esr"));
    const auto snippet = addKind(ItemType::snippet, QStringLiteral("Stray note"));
    addImage(Qt::red, QSize(8, 8), QStringLiteral("Scanned street plan"));
    addText(QStringLiteral("unrelated"));
    store->togglePin(pinned);

    HistoryListModel model(*store);
    const auto rowsOf = [](const HistoryListModel& m) {
        QStringList rows;
        for (int row = 0; row < m.rowCount(); ++row) {
            const QModelIndex index = m.index(row);
            rows << QString::number(index.data(HistoryListModel::KindRole).toInt()) + QLatin1Char(':') +
                        index.data(HistoryListModel::ItemIDRole).toString();
        }
        return rows;
    };
    struct Step {
        const char* what;
        std::function<void()> apply;
    };
    const auto type = [&](const char* query) {
        return Step{query, [&model, query] {
                        model.setQuery(QString::fromUtf8(query));
                    }};
    };
    const QList<Step> steps{
        type("s"),
        type("st"),
        type("str"),
        type("STRASSE"),
        type("straß"),
        type("str"),
        {"new matching item",
         [&] {
             addText(QStringLiteral("stream of thought"));
         }},
        type("stre"),
        {"pin toggled",
         [&] {
             store->togglePin(pinned);
         }},
        type("st"),
        {"text filter",
         [&] {
             model.chooseFilter(ItemFilter::text);
         }},
        type("stra"),
        type("plan"),
        {"all filter",
         [&] {
             model.chooseFilter(ItemFilter::all);
         }},
        type("pla"),
        {"source filter",
         [&] {
             model.setAppFilterBundleID(QStringLiteral("firefox-esr"));
         }},
        type("bar"),
        {"source filter off",
         [&] {
             model.setAppFilterBundleID(std::nullopt);
         }},
        type("r"),
        {"snippets",
         [&] {
             model.chooseFilter(ItemFilter::snippets);
         }},
        type("stray"),
        {"snippet rewritten",
         [&] {
             store->updateSnippet(snippet, QStringLiteral("Final"), QStringLiteral("gone astray"));
         }},
        type("astray"),
        type(""),
    };
    for (const Step& step : steps) {
        step.apply();
        HistoryListModel fresh(*store);
        fresh.chooseFilter(model.filter());
        fresh.setAppFilterBundleID(model.appFilterBundleID());
        fresh.setQuery(model.query());
        EXPECT_EQ(texts(model.visibleItems()), texts(fresh.visibleItems())) << step.what;
        EXPECT_EQ(rowsOf(model), rowsOf(fresh)) << step.what;
        EXPECT_EQ(model.pinnedCount(), fresh.pinnedCount()) << step.what;
    }
}

// A keystroke searches long texts on a worker: the short items answer at once, the long ones join
// the list when the worker does, and every step ends as a fresh search would.
TEST_F(HistoryListModelTest, LongTextsAreSearchedOnAWorker) {
    const QString filler(HistoryListModel::kLargeSearchText, u'x');
    addText(QStringLiteral("needle in a short text"));
    const auto longText = addText(filler + QStringLiteral(" NEEDLE at the end"));
    const auto snippet = addKind(ItemType::snippet, filler + QStringLiteral(" draft"));
    addText(QStringLiteral("unrelated"));

    HistoryListModel model(*store);
    const auto answers = [&](const QStringList& expected) {
        return QTest::qWaitFor([&] { return texts(model.visibleItems()) == expected; }, 10000);
    };
    const QString longTitle = *longText->plainText();
    model.setQuery(QStringLiteral("needle"));
    EXPECT_EQ(texts(model.visibleItems()), QStringList{"needle in a short text"});
    EXPECT_TRUE(answers({longTitle, "needle in a short text"}));
    model.setQuery(QStringLiteral("needle a"));
    EXPECT_TRUE(answers({longTitle}));
    model.setQuery(QStringLiteral("needle"));
    EXPECT_TRUE(answers({longTitle, "needle in a short text"}));

    // A long snippet rewritten is searched by its new text.
    model.chooseFilter(ItemFilter::snippets);
    model.setQuery(QStringLiteral("final"));
    EXPECT_TRUE(answers({}));
    store->updateSnippet(snippet, QStringLiteral("t"), filler + QStringLiteral(" final"));
    EXPECT_TRUE(answers({filler + QStringLiteral(" final")}));

    // Keystrokes while the worker is busy: the last query is the one answered.
    model.chooseFilter(ItemFilter::all);
    for (const char* query : {"n", "ne", "nee", "need", "needl", "needle a", "e at"})
        model.setQuery(QString::fromLatin1(query));
    EXPECT_TRUE(answers({longTitle}));
    model.setQuery(QString());
    EXPECT_EQ(model.visibleItems().size(), 3);
}

TEST_F(HistoryListModelTest, PinnedItemsComeFirstAndEachGroupStaysNewestFirst) {
    const auto a = addText(QStringLiteral("a"));
    addText(QStringLiteral("b"));
    const auto c = addText(QStringLiteral("c"));
    addText(QStringLiteral("d"));
    store->togglePin(a);
    store->togglePin(c);

    HistoryListModel model(*store);
    EXPECT_EQ(texts(model.visibleItems()), (QStringList{"c", "a", "d", "b"}));
    EXPECT_EQ(model.pinnedCount(), 2);
    // Rows: the pinned header, two rows, the history header, two rows.
    ASSERT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.index(0).data(HistoryListModel::KindRole).toInt(),
              static_cast<int>(HistoryListModel::RowKind::pinnedHeader));
    EXPECT_EQ(model.index(3).data(HistoryListModel::KindRole).toInt(),
              static_cast<int>(HistoryListModel::RowKind::historyHeader));
    // Hint numbers run on from the pinned group into the rest.
    EXPECT_EQ(model.index(4).data(HistoryListModel::SnapshotRole).value<ItemRowSnapshot>().index, 2);

    store->togglePin(a);
    store->togglePin(c);
    EXPECT_EQ(model.rowCount(), 4) << "no headers without pinned items";
}

TEST_F(HistoryListModelTest, SourceAppFilterDropsItemsWithoutSource) {
    addText(QStringLiteral("from editor"), QStringLiteral("org.gnome.TextEditor"));
    addText(QStringLiteral("no source"));
    addText(QStringLiteral("from browser"), QStringLiteral("firefox-esr"));
    HistoryListModel model(*store);
    model.setAppFilterBundleID(QStringLiteral("org.gnome.TextEditor"));
    EXPECT_EQ(texts(model.visibleItems()), QStringList{"from editor"});
}

TEST_F(HistoryListModelTest, SelectionRepairTable) {
    const auto apple = addText(QStringLiteral("apple"));
    const auto banana = addText(QStringLiteral("banana"));
    const auto cherry = addText(QStringLiteral("cherry"));
    HistoryListModel model(*store);
    model.selectFirst();
    EXPECT_EQ(model.selectedID(), cherry->id());

    // A query that hides the selection moves it to the first visible row.
    model.commitSelection(banana->id(), false);
    model.setQuery(QStringLiteral("apple"));
    EXPECT_EQ(model.selectedID(), apple->id());
    EXPECT_EQ(model.previewID(), apple->id());
    model.setQuery({});
    EXPECT_EQ(model.selectedID(), apple->id()) << "a still visible selection never moves";

    // The chip selects the first row, the preview keeps its still-visible item.
    model.commitSelection(apple->id(), false);
    model.chooseFilter(ItemFilter::text);
    EXPECT_EQ(model.selectedID(), cherry->id());
    EXPECT_EQ(model.previewID(), apple->id());
    EXPECT_EQ(model.previewItem(), apple);

    // Multi-selected items hidden by a search stay dropped after it is cleared.
    model.toggleMulti(apple->id());
    model.toggleMulti(cherry->id());
    model.setQuery(QStringLiteral("cherry"));
    model.setQuery({});
    EXPECT_EQ(model.multiSelected(), QSet<QUuid>{cherry->id()});

    // Nothing visible: no selection, no preview, moves do nothing.
    model.setQuery(QStringLiteral("zzz"));
    EXPECT_FALSE(model.selectedID());
    EXPECT_EQ(model.previewItem(), nullptr);
    model.moveSelection(1);
    EXPECT_FALSE(model.selectedID());
}

TEST_F(HistoryListModelTest, StoreChangeWithUnchangedCountRepairsSelection) {
    defaults.setValue(QStringLiteral("historyLimit"), 2);
    const auto old = addText(QStringLiteral("old"));
    addText(QStringLiteral("middle"));
    HistoryListModel model(*store);
    model.commitSelection(old->id(), false);
    // One new item and one trimmed: the count stays 2, the selected item is gone.
    const auto fresh = addText(QStringLiteral("new"));
    ASSERT_EQ(store->items().size(), 2);
    EXPECT_EQ(model.selectedID(), fresh->id());
    EXPECT_EQ(model.previewItem(), fresh);
}

TEST_F(HistoryListModelTest, KeyboardMovesStartAtPreviewAndStopAtTheEnds) {
    const auto a = addText(QStringLiteral("a"));
    const auto b = addText(QStringLiteral("b"));
    const auto c = addText(QStringLiteral("c"));
    HistoryListModel model(*store);
    model.selectFirst();
    QList<QUuid> scrolled;
    QObject::connect(&model, &HistoryListModel::scrollRequested, [&](const QUuid& id) { scrolled << id; });
    model.moveSelection(-1);
    EXPECT_EQ(model.selectedID(), c->id()) << "no wrap at the top";
    model.moveSelection(1);
    model.moveSelection(1);
    model.moveSelection(1);
    EXPECT_EQ(model.selectedID(), a->id());
    EXPECT_EQ(model.previewID(), a->id());
    EXPECT_EQ(scrolled.size(), 4);

    // A hover preview makes the previewed row the start of the next move.
    model.pointerEntered(c->id());
    QTest::qWait(HistoryListModel::kHoverPreviewDelayMs + 60);
    EXPECT_EQ(model.previewID(), c->id());
    model.moveSelection(1);
    EXPECT_EQ(model.selectedID(), b->id());
}

TEST_F(HistoryListModelTest, HoverPreviewsOnlyWhereThePointerRests) {
    const auto a = addText(QStringLiteral("a"));
    const auto b = addText(QStringLiteral("b"));
    const auto c = addText(QStringLiteral("c"));
    HistoryListModel model(*store);
    model.selectFirst();
    model.pointerEntered(b->id());
    model.pointerEntered(a->id());
    model.pointerLeft(b->id());
    EXPECT_EQ(model.hoveredID(), a->id()) << "leaving an older row keeps the newer hover";
    EXPECT_EQ(model.previewID(), c->id());
    QTest::qWait(HistoryListModel::kHoverPreviewDelayMs + 60);
    EXPECT_EQ(model.previewID(), a->id());
    EXPECT_EQ(model.selectedID(), a->id());

    // A commit cancels a pending switch.
    model.pointerEntered(b->id());
    model.commitSelection(c->id(), false);
    QTest::qWait(HistoryListModel::kHoverPreviewDelayMs + 60);
    EXPECT_EQ(model.previewID(), c->id());
}

} // namespace
