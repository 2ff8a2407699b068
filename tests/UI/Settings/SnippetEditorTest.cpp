// The snippet editor's save rules on the real history store: what each action writes into which
// snippet, and what the editor shows afterwards.
#include "SettingsFixture.h"

#include <UI/Settings/SnippetsSettingsTab.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>

#include <functional>

using UI::SettingsTab;
using UI::SnippetsSettingsTab;

namespace {

class SnippetEditor : public SettingsFixture {
public:
    SnippetsSettingsTab& editor() { return page<SnippetsSettingsTab>(); }
    QLineEdit* title() { return find<QLineEdit>(QStringLiteral("snippetTitle")); }
    QPlainTextEdit* content() { return find<QPlainTextEdit>(QStringLiteral("snippetContent")); }
    QListWidget* list() { return find<QListWidget>(QStringLiteral("snippetList")); }

    void clickRow(const QString& snippetTitle) {
        for (int row = 0; row < list()->count(); ++row) {
            QListWidgetItem* item = list()->item(row);
            if (item->text() != snippetTitle)
                continue;
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
            return;
        }
        ADD_FAILURE() << "no row " << snippetTitle.toStdString();
    }

    void typeTitle(const QString& text) {
        title()->setFocus();
        title()->selectAll();
        QTest::keyClicks(title(), text);
    }

    void typeContent(const QString& text) {
        content()->setFocus();
        content()->selectAll();
        QTest::keyClicks(content(), text);
    }

    // Every snippet as "title|text", newest first.
    QStringList stored() const {
        QStringList snippets;
        for (const ClipboardItemPtr& snippet : store->snippets())
            snippets << snippet->snippetTitle().value_or("<none>") + u'|' +
                            snippet->plainText().value_or("<none>");
        return snippets;
    }

    // What the editor shows: "title|text", or "<empty>" for its empty state.
    QString shown() {
        if (!find<QWidget>(QStringLiteral("editor"))->isVisible())
            return QStringLiteral("<empty>");
        return title()->text() + u'|' + content()->toPlainText();
    }

    void pressSave() { QTest::keyClick(controller->window(), Qt::Key_S, Qt::ControlModifier); }
};

TEST_F(SnippetEditor, SaveRules) {
    struct Case {
        const char* name;
        std::function<void(SnippetEditor&)> act;
        QStringList stored;
        QString shown;
        // How many stored snippets the case changes in place.
        int writes;
    };
    const Case cases[] = {
        {"add while dirty keeps the edits in the snippet being edited",
         [](SnippetEditor& t) {
             t.clickRow("Alpha");
             t.typeTitle("Alpha, edited");
             t.find(QStringLiteral("addSnippet"))->click();
         },
         {"New Snippet|", "Beta|b", "Alpha, edited|a"},
         "New Snippet|",
         1},
        {"leaving a snippet saves it and shows the next unchanged",
         [](SnippetEditor& t) {
             t.clickRow("Alpha");
             t.typeContent("a, edited");
             t.clickRow("Beta");
         },
         {"Beta|b", "Alpha|a, edited"},
         "Beta|b",
         1},
        {"leaving a snippet without edits writes nothing",
         [](SnippetEditor& t) {
             t.clickRow("Alpha");
             t.clickRow("Beta");
         },
         {"Beta|b", "Alpha|a"},
         "Beta|b",
         0},
        {"a blank title is saved neither by Ctrl+S nor by leaving",
         [](SnippetEditor& t) {
             t.clickRow("Alpha");
             t.typeTitle(" \t ");
             EXPECT_FALSE(t.find(QStringLiteral("saveSnippet"))->isEnabled());
             EXPECT_TRUE(t.find<QWidget>(QStringLiteral("unsavedChanges"))->isVisible());
             t.pressSave();
             t.clickRow("Beta");
         },
         {"Beta|b", "Alpha|a"},
         "Beta|b",
         0},
        {"deleting the selected snippet empties the editor",
         [](SnippetEditor& t) {
             t.clickRow("Alpha");
             t.typeTitle("Alpha, edited");
             t.find(QStringLiteral("deleteSnippet"))->click();
             EXPECT_FALSE(t.editor().selectedId());
             EXPECT_FALSE(t.find(QStringLiteral("deleteSnippet"))->isEnabled());
             EXPECT_EQ(t.list()->currentItem(), nullptr);
         },
         {"Beta|b"},
         "<empty>",
         0},
        {"a snippet deleted elsewhere is never written again",
         [](SnippetEditor& t) {
             t.clickRow("Alpha");
             t.typeTitle("Alpha, edited");
             const ClipboardItemPtr alpha = t.store->snippets().last();
             t.store->deleteItem(alpha);
             EXPECT_EQ(t.shown(), "<empty>");
             t.editor().save();
             t.clickRow("Beta");
         },
         {"Beta|b"},
         "Beta|b",
         0},
        {"Ctrl+S on a clean snippet does nothing",
         [](SnippetEditor& t) {
             t.clickRow("Beta");
             t.pressSave();
             EXPECT_FALSE(t.editor().showsSavedConfirmation());
         },
         {"Beta|b", "Alpha|a"},
         "Beta|b",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        controller.reset();
        store->clearAll(false, true);
        store->addSnippet(QStringLiteral("Alpha"), QStringLiteral("a"));
        store->addSnippet(QStringLiteral("Beta"), QStringLiteral("b"));
        open(SettingsTab::Snippets);
        QSignalSpy writes(store.get(), &HistoryStore::itemChanged);
        c.act(*this);
        EXPECT_EQ(stored(), c.stored);
        EXPECT_EQ(shown(), c.shown);
        EXPECT_EQ(writes.count(), c.writes);
    }
}

TEST_F(SnippetEditor, SaveEnlargesTheButtonForAMomentAndConfirmsForLonger) {
    store->addSnippet(QStringLiteral("Signature"), QStringLiteral("Anna"));
    open(SettingsTab::Snippets);
    EXPECT_EQ(shown(), "Signature|Anna") << "the page opens on the newest snippet";
    auto* save = find<UI::ProminentButton>(QStringLiteral("saveSnippet"));
    EXPECT_FALSE(save->isEnabled()) << "nothing to save";

    typeContent("Anna Kowalska");
    EXPECT_TRUE(find<QWidget>(QStringLiteral("unsavedBadge"))->isVisible());
    EXPECT_TRUE(save->isEnabled());
    pressSave();
    EXPECT_EQ(stored(), QStringList{"Signature|Anna Kowalska"});
    EXPECT_TRUE(editor().isSavePulsing());
    EXPECT_TRUE(editor().showsSavedConfirmation());
    EXPECT_TRUE(find<QWidget>(QStringLiteral("savedConfirmation"))->isVisible());
    EXPECT_FALSE(find<QWidget>(QStringLiteral("unsavedBadge"))->isVisible());
    EXPECT_FALSE(save->isEnabled()) << "saved: clean again";
    EXPECT_TRUE(QTest::qWaitFor([&] { return save->scale() > 1.05; }, 1000)) << "drawn enlarged";

    scheduler.advance(std::chrono::milliseconds(149));
    EXPECT_TRUE(editor().isSavePulsing());
    scheduler.advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(editor().isSavePulsing());
    EXPECT_TRUE(QTest::qWaitFor([&] { return save->scale() == 1.0; }, 1000));
    EXPECT_TRUE(editor().showsSavedConfirmation());
    scheduler.advance(std::chrono::milliseconds(1449));
    EXPECT_TRUE(editor().showsSavedConfirmation());
    scheduler.advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(editor().showsSavedConfirmation());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !find<QWidget>(QStringLiteral("savedConfirmation"))->isVisible(); }, 1000))
        << "faded out";
}

TEST_F(SnippetEditor, AnEmptyStoreShowsTheEmptyStatesAndAddingStartsANewSnippet) {
    open(SettingsTab::Snippets);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(shown(), "<empty>");
    EXPECT_FALSE(find(QStringLiteral("deleteSnippet"))->isEnabled());
    find(QStringLiteral("addSnippet"))->click();
    EXPECT_EQ(stored(), QStringList{"New Snippet|"});
    EXPECT_EQ(shown(), "New Snippet|");
    EXPECT_TRUE(list()->isVisible());
    EXPECT_TRUE(title()->hasFocus()) << "ready to name it";
}

} // namespace
