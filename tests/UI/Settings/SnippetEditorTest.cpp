// The snippet editor's save rules on the real history store: what each action writes into which
// snippet, and what the editor shows afterwards.
#include "SettingsFixture.h"

#include <UI/Settings/SnippetsSettingsTab.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QDir>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

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

    bool visible(const char* name) { return find<QWidget>(QString::fromLatin1(name))->isVisible(); }
};

// Another program holds the history's write lock while it lives: every write of the store fails.
class WriteLock {
public:
    explicit WriteLock(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~WriteLock() {
        {
            QSqlDatabase db = QSqlDatabase::database(kName);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(kName);
    }

private:
    static constexpr const char* kName = "snippet-editor-lock";
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

// A save the store refuses (another program holds the history's lock) is said, shows no
// confirmation, and leaves the text in the editor marked unsaved; leaving the snippet then keeps
// the editor on it. Once the file can be written again, Save stores the same text.
TEST_F(SnippetEditor, ARefusedSaveIsSaidAndTheTextStaysUnsaved) {
    struct Case {
        const char* name;
        // A long text is written by the store's writer thread and refused a moment later.
        QString content;
    };
    for (const Case& c : {Case{"short text", QStringLiteral("a, edited")},
                          Case{"long text", QStringLiteral("a line of a long snippet\n").repeated(
                                                           HistoryStore::kBackgroundWriteSize / 25 + 1)}}) {
        SCOPED_TRACE(c.name);
        controller.reset();
        for (const ClipboardItemPtr& snippet : store->snippets())
            store->deleteItem(snippet);
        store->waitForWrites();
        store->addSnippet(QStringLiteral("Alpha"), QStringLiteral("a"));
        store->addSnippet(QStringLiteral("Beta"), QStringLiteral("b"));
        open(SettingsTab::Snippets);
        clickRow("Alpha");
        content()->setPlainText(c.content);
        const QString draft = "Alpha|" + c.content;
        {
            WriteLock lock(dir.filePath(QStringLiteral("data/history.sqlite")));
            pressSave();
            ASSERT_TRUE(QTest::qWaitFor([&] { return editor().showsSaveFailure(); }, 5000));
            store->waitForWrites();
            QTest::qWait(50);
            EXPECT_FALSE(editor().showsSavedConfirmation());
            EXPECT_FALSE(editor().isSavePulsing());
            EXPECT_TRUE(visible("saveFailed"));
            EXPECT_FALSE(visible("savedConfirmation"));
            EXPECT_TRUE(visible("unsavedChanges"));
            EXPECT_TRUE(visible("unsavedBadge"));
            EXPECT_EQ(shown(), draft);
            EXPECT_EQ(stored(), (QStringList{"Beta|b", "Alpha|a"}));

            clickRow("Beta");
            store->waitForWrites();
            QTest::qWait(50);
            EXPECT_EQ(shown(), draft) << "the editor stays with the text it could not store";
            EXPECT_EQ(editor().selectedSnippet()->snippetTitle(), "Alpha");
            EXPECT_TRUE(visible("saveFailed"));
            EXPECT_TRUE(visible("unsavedBadge"));
        }
        pressSave();
        store->waitForWrites();
        QTest::qWait(50);
        EXPECT_TRUE(editor().showsSavedConfirmation());
        EXPECT_FALSE(visible("saveFailed"));
        EXPECT_FALSE(visible("unsavedBadge"));
        EXPECT_EQ(stored(), (QStringList{"Beta|b", draft}));
    }
}

// Closing the window saves nothing; opened again, the editor still holds the draft and marks it
// unsaved, whichever way the window was closed.
TEST_F(SnippetEditor, AReopenedWindowShowsItsDraftAsUnsaved) {
    const std::pair<const char*, std::function<void(SnippetEditor&)>> closings[] = {
        {"Escape", [](SnippetEditor& t) { QTest::keyClick(t.title(), Qt::Key_Escape); }},
        {"Ctrl+W", [](SnippetEditor& t) { QTest::keyClick(t.content(), Qt::Key_W, Qt::ControlModifier); }},
        {"close", [](SnippetEditor& t) { t.controller->window()->close(); }},
    };
    for (const auto& [name, close] : closings) {
        SCOPED_TRACE(name);
        controller.reset();
        for (const ClipboardItemPtr& snippet : store->snippets())
            store->deleteItem(snippet);
        store->addSnippet(QStringLiteral("Signature"), QStringLiteral("Anna"));
        open(SettingsTab::Snippets);
        typeTitle("Signature, edited");
        typeContent("Anna Kowalska");
        close(*this);
        ASSERT_FALSE(controller->window()->isVisible());
        EXPECT_EQ(stored(), QStringList{"Signature|Anna"}) << "closing saves nothing";

        controller->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
        finishMotion();
        EXPECT_EQ(shown(), "Signature, edited|Anna Kowalska");
        EXPECT_TRUE(editor().isDirty());
        EXPECT_TRUE(visible("unsavedBadge"));
        EXPECT_TRUE(visible("unsavedChanges"));
        EXPECT_TRUE(find(QStringLiteral("saveSnippet"))->isEnabled());
        pressSave();
        EXPECT_EQ(stored(), QStringList{"Signature, edited|Anna Kowalska"});
    }
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
