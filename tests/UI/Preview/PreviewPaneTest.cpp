// The preview pane offscreen: its content by kind, the Markdown modes, the inline editor and its
// keys, links that may open, clipboard text never read as markup, the smart actions and the
// recognised text pasting through the hand-off, the footer, and the editor hand-off.
#include "PreviewFixture.h"

#include <App/LanguageManager.h>
#include <Capture/VeskIntegration.h>
#include <Platform/Fakes/FakeAppearanceProvider.h>
#include <UI/Design/Transition.h>
#include <UI/Preview/Markdown/MarkdownPreviewView.h>
#include <UI/Preview/PreviewWidgets.h>
#include <UI/Preview/QuickLookView.h>
#include <UI/Preview/VeskPromoOverlay.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTextEdit>

namespace {

using PreviewWidgets::SegmentedSwitch;

const QString kMarkdown = QStringLiteral("# Plan\n\n- write\n- ship\n");

QAbstractButton* button(const QWidget& pane, const char* name) {
    return pane.findChild<QAbstractButton*>(QString::fromLatin1(name));
}

// Records every key press that reaches it: what passes a child goes up to its parent.
class KeyWitness : public QObject {
public:
    QList<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            keys << static_cast<QKeyEvent*>(event)->key();
        return false;
    }
};

class PreviewPaneTest : public PreviewFixture {};

TEST_F(PreviewPaneTest, ContentHeaderAndEditByKind) {
    const struct {
        const char* name;
        ClipboardItemPtr item;
        const char* content;
        bool edit;
        bool modes;
        QString label;
    } cases[] = {
        {"text", item(ItemType::text, QStringLiteral("Lunch at noon.")), "textContent", true, false, "Text"},
        {"markdown", item(ItemType::text, kMarkdown), "markdownContent", true, true, "Text"},
        {"code", item(ItemType::code, QStringLiteral("let x = 1"), QStringLiteral("rust")), "codePreview",
         true, false, "Code"},
        {"image", picture(QSize(40, 30)), "imagePreview", false, false, "Image"},
        {"link", item(ItemType::url, QStringLiteral("https://example.org")), "linkContent", true, false,
         "Link"},
        {"colour", item(ItemType::color, QStringLiteral("#3E8EDE")), "colorContent", true, false, "Color"},
        {"file", item(ItemType::file, QStringLiteral("/home/anna/a.txt")), "textContent", false, false,
         "File"},
        {"snippet", item(ItemType::snippet, QStringLiteral("Regards")), "snippetContent", true, false,
         "Snippet"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto shown = pane(c.item);
        ASSERT_NE(shown->content(), nullptr);
        EXPECT_EQ(shown->content()->objectName(), QString::fromLatin1(c.content));
        EXPECT_EQ(button(*shown, "editButton") != nullptr, c.edit);
        EXPECT_EQ(shown->findChild<SegmentedSwitch*>() != nullptr, c.modes);
        EXPECT_EQ(shown->findChild<QLabel*>(QStringLiteral("typeLabel"))->text(), c.label);
    }
    auto empty = pane(nullptr);
    EXPECT_NE(empty->findChild<QWidget*>(QStringLiteral("previewPlaceholder")), nullptr);
    EXPECT_EQ(empty->content(), nullptr);
}

TEST_F(PreviewPaneTest, MarkdownStartsRenderedAndTheSwitchGoesWhileEditing) {
    auto shown = pane(item(ItemType::text, kMarkdown));
    auto* modes = shown->findChild<SegmentedSwitch*>();
    ASSERT_NE(modes, nullptr);
    EXPECT_TRUE(shown->showsMarkdownPreview());
    EXPECT_EQ(modes->current(), 1);
    // The rendered Markdown follows the preview font size in place: no new view, so the reader keeps
    // the scroll position.
    const QPointer<QWidget> rendered(shown->content());
    defaults.setValue(QStringLiteral("previewFontSize"), 16);
    EXPECT_EQ(shown->content(), rendered.data());
    auto* markdown = qobject_cast<MarkdownPreviewView*>(shown->content());
    ASSERT_NE(markdown, nullptr);
    EXPECT_EQ(markdown->fontSize(), 16);
    QTest::mouseClick(modes, Qt::LeftButton, {}, modes->segmentRect(0).center());
    EXPECT_FALSE(shown->showsMarkdownPreview());
    EXPECT_EQ(shown->content()->objectName(), QStringLiteral("textContent"));
    EXPECT_EQ(shown->shownText(), kMarkdown);

    button(*shown, "editButton")->click();
    EXPECT_TRUE(shown->isEditing());
    EXPECT_EQ(shown->findChild<SegmentedSwitch*>(), nullptr);
    EXPECT_EQ(button(*shown, "editButton"), nullptr);
    button(*shown, "cancelEditing")->click();
    EXPECT_FALSE(shown->isEditing());
    ASSERT_NE(shown->findChild<SegmentedSwitch*>(), nullptr);
    EXPECT_EQ(shown->findChild<SegmentedSwitch*>()->current(), 0)
        << "the chosen mode stays while the pane lives";
}

// Entering and leaving the editor fade the new content in; under Reduce Motion it is there at once.
TEST_F(PreviewPaneTest, EditingFadesItsContentInUnlessMotionIsReduced) {
    Platform::FakeAppearanceProvider appearance;
    QS::Motion::setAppearanceProvider(&appearance);
    for (const bool reduced : {false, true}) {
        appearance.setReduceMotion(reduced);
        auto shown = pane(item(ItemType::text, QStringLiteral("Dear team")));
        for (const bool editing : {true, false}) {
            if (editing)
                shown->beginEditing();
            else
                shown->cancelEditing();
            QWidget* content = shown->content();
            ASSERT_NE(content, nullptr);
            EXPECT_EQ(QS::Transition::isRunning(*content), !reduced) << "editing " << editing;
            EXPECT_TRUE(QTest::qWaitFor([&] { return !QS::Transition::isRunning(*content); }, 5000));
            EXPECT_EQ(content->graphicsEffect(), nullptr) << "the settled content draws without an effect";
        }
    }
    QS::Motion::setAppearanceProvider(nullptr);
}

TEST_F(PreviewPaneTest, EditorKeys) {
    auto shown = pane(item(ItemType::text, QStringLiteral("Dear team")));
    KeyWitness witness;
    shown->installEventFilter(&witness);
    QSignalSpy finished(shown.get(), &PreviewPane::editingFinished);
    shown->beginEditing();
    auto* draft = shown->findChild<QPlainTextEdit*>(QStringLiteral("draft"));
    ASSERT_NE(draft, nullptr);
    EXPECT_EQ(draft->toPlainText(), QStringLiteral("Dear team"));
    draft->moveCursor(QTextCursor::End);
    QTest::keyClick(draft, Qt::Key_Return);
    QTest::keyClicks(draft, QStringLiteral("Thanks"));
    EXPECT_TRUE(pasted.isEmpty()) << "Return makes a new line";
    QTest::keyClick(draft, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(pasted, QStringList{"Dear team\nThanks"});

    QTest::keyClick(draft, Qt::Key_Escape);
    EXPECT_FALSE(shown->isEditing());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(witness.keys.contains(Qt::Key_Escape)) << "Escape leaves the editor and goes no further";

    for (const ClipboardItemPtr& fixed :
         {picture(QSize(8, 8)), item(ItemType::file, QStringLiteral("/tmp/a"))}) {
        auto other = pane(fixed);
        other->beginEditing();
        EXPECT_FALSE(other->isEditing());
    }
}

TEST_F(PreviewPaneTest, OpenLinkOpensOnlyWebAndMailLinks) {
    const struct {
        const char* text;
        bool opens;
    } cases[] = {
        {"https://www.debian.org/releases/bookworm/", true},
        {"mailto:anna@example.com", true},
        {"myapp://run?script=rm", false},
        {"file:///home/anna/.bashrc", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        workspace.openedUrls.clear();
        auto shown = pane(item(ItemType::url, QString::fromUtf8(c.text)));
        QAbstractButton* open = button(*shown, "openLink");
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open->isEnabled(), c.opens);
        QTest::mouseClick(open, Qt::LeftButton);
        EXPECT_EQ(workspace.openedUrls,
                  c.opens ? QList<QUrl>{QUrl(QString::fromUtf8(c.text))} : QList<QUrl>{});
    }
}

// Clipboard text is shown as it is: tags in it stay text.
TEST_F(PreviewPaneTest, ClipboardTextIsNeverMarkup) {
    const QString markup = QStringLiteral("<b>bold</b> <img src=x onerror=alert(1)> &amp;");
    NewClipboardItem snippet;
    snippet.type = ItemType::snippet;
    snippet.snippetTitle = QStringLiteral("<h1>Title</h1>");
    snippet.plainText = markup;
    const struct {
        const char* name;
        ClipboardItemPtr item;
        QString shown;
    } cases[] = {
        {"text", item(ItemType::text, markup), markup},
        {"link", item(ItemType::url, QStringLiteral("https://x.org/<b>a</b>")), "https://x.org/<b>a</b>"},
        {"snippet", item(snippet), QStringLiteral("<h1>Title</h1>\n") + markup},
        {"colour", item(ItemType::color, QStringLiteral(" #abc ")), "#ABC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto shown = pane(c.item);
        EXPECT_EQ(shown->shownText(), c.shown);
        for (const QLabel* label : shown->findChildren<QLabel*>())
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    }
}

// Text views never lay out a huge text or a huge line whole: the snippet view cuts as the text view.
TEST_F(PreviewPaneTest, LongTextsAndLongLinesAreCutAlikeInEveryTextView) {
    const QString longLine = QString(30000, u'a') + QStringLiteral("\nshort line\n");
    const QString longText = QStringLiteral("line of text\n").repeated(6000);
    for (const QString& text : {longLine, longText}) {
        const QString cut = PreviewWidgets::shownText(text);
        ASSERT_LT(cut.size(), text.size());
        NewClipboardItem snippet;
        snippet.type = ItemType::snippet;
        snippet.plainText = text;
        // Compared whole but reported short: the texts run to tens of thousands of characters.
        const QString shownAsText = pane(item(ItemType::text, text))->shownText();
        const QString shownAsSnippet = pane(item(snippet))->shownText();
        EXPECT_TRUE(shownAsText == cut)
            << "text view: " << shownAsText.size() << " characters, not " << cut.size();
        EXPECT_TRUE(shownAsSnippet == cut)
            << "snippet view: " << shownAsSnippet.size() << " characters, not " << cut.size();
    }
    const QStringList lines = PreviewWidgets::shownText(longLine).split(u'\n');
    EXPECT_EQ(lines[0].size(), PreviewWidgets::kLineLimit + 1) << "10,000 characters and the ellipsis";
    EXPECT_EQ(lines[1], QStringLiteral("short line"));
}

TEST_F(PreviewPaneTest, SmartActionsAndRecognisedTextPasteThroughTheHandOff) {
    NewClipboardItem json;
    json.type = ItemType::code;
    json.plainText = QStringLiteral("{\"b\":1,\"a\":[true]}");
    json.contentTagsRaw = QStringLiteral("json");
    auto shown = pane(item(json));
    EXPECT_EQ(shown->smartActionTitles(), QStringList{"Paste Formatted JSON"});
    shown->findChild<QWidget*>(QStringLiteral("smartActions"))->findChild<QAbstractButton*>()->click();
    // Formatting runs on a worker; its text comes back to be pasted.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pasted.isEmpty(); }, 10000));
    EXPECT_EQ(pasted, QStringList{"{\n    \"a\": [\n        true\n    ],\n    \"b\": 1\n}"});

    // A stale tag on text that is not JSON: nothing is pasted and the user is told why.
    QStringList failures;
    services.reportFailure = [&](const QString& reason) {
        failures << reason;
    };
    pasted.clear();
    json.plainText = QStringLiteral("{\"a\": [1, 2,]}");
    auto broken = pane(item(json));
    broken->findChild<QWidget*>(QStringLiteral("smartActions"))->findChild<QAbstractButton*>()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failures.isEmpty(); }, 10000));
    EXPECT_TRUE(failures[0].contains(QStringLiteral("not valid JSON"))) << failures[0].toStdString();
    EXPECT_TRUE(pasted.isEmpty());

    // Untagged text is classified when shown; the actions go to the panel's performer.
    QList<ContentClassifier::SmartAction> performed;
    services.performSmartAction = [&](const ContentClassifier::SmartAction& action,
                                      const ContentClassifier::Replies&) {
        performed << action;
    };
    auto mail = pane(item(ItemType::text, QStringLiteral("anna.kowalska@example.com")));
    EXPECT_EQ(mail->smartActionTitles(), QStringList{"Send Email"});
    mail->findChild<QWidget*>(QStringLiteral("smartActions"))->findChild<QAbstractButton*>()->click();
    ASSERT_EQ(performed.size(), 1);
    EXPECT_EQ(performed[0].id(), QStringLiteral("mail-anna.kowalska@example.com"));

    // A picture with recognised text but no action still offers its text.
    pasted.clear();
    auto scan = pane(picture(QSize(16, 16), QStringLiteral("Invoice 7")));
    EXPECT_EQ(scan->smartActionTitles(), QStringList{"Paste OCR Text"});
    button(*scan, "pasteOCRText")->click();
    EXPECT_EQ(pasted, QStringList{"Invoice 7"});

    EXPECT_FALSE(pane(item(ItemType::text, QStringLiteral("Nothing to act on")))->hasSmartActionBar());
}

// A long text is classified off the GUI thread; its actions and count arrive a moment later.
TEST_F(PreviewPaneTest, LongTextsAreClassifiedOnAWorker) {
    QString big = QStringLiteral("[");
    for (int i = 0; i < 4000; ++i)
        big += QStringLiteral("{\"n\": %1},").arg(i);
    big += QStringLiteral("{}]");
    auto shown = pane(item(ItemType::code, big, QStringLiteral("json")));
    QSignalSpy analysed(shown.get(), &PreviewPane::analysisFinished);
    EXPECT_FALSE(shown->hasSmartActionBar());
    EXPECT_EQ(shown->findChild<QLabel*>(QStringLiteral("characterCount")), nullptr);
    auto* content = shown->content();
    ASSERT_TRUE(analysed.wait(10000));
    EXPECT_EQ(shown->smartActionTitles(), QStringList{"Paste Formatted JSON"});
    EXPECT_EQ(shown->findChild<QLabel*>(QStringLiteral("characterCount"))->text(),
              QStringLiteral("Characters: %1").arg(big.size()));
    EXPECT_EQ(shown->content(), content) << "the content is not made again";

    // Whether a long text is Markdown is found out there too: the source shows until it is known,
    // then the rendered text with its switch.
    const QString longMarkdown =
        QStringLiteral("# Notes\n\n") + QStringLiteral("- **item** with text\n").repeated(1000);
    auto markdown = pane(item(ItemType::text, longMarkdown));
    QSignalSpy markdownAnalysed(markdown.get(), &PreviewPane::analysisFinished);
    EXPECT_EQ(markdown->findChild<SegmentedSwitch*>(), nullptr);
    EXPECT_EQ(markdown->content()->objectName(), QStringLiteral("textContent"));
    ASSERT_TRUE(markdownAnalysed.wait(10000));
    ASSERT_NE(markdown->findChild<SegmentedSwitch*>(), nullptr);
    EXPECT_TRUE(markdown->showsMarkdownPreview());
    EXPECT_NE(qobject_cast<MarkdownPreviewView*>(markdown->content()), nullptr);
}

// A language change reaches an open pane, Quick Look and the editor's card at once.
TEST_F(PreviewPaneTest, FollowsTheInterfaceLanguageLive) {
    App::LanguageManager language(defaults, [] { return QStringList{"en-US"}; });
    defaults.setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    language.installTranslators();
    auto shown = pane(item(ItemType::text, kMarkdown));
    QuickLookView quickLook(item(ItemType::image, std::nullopt), {}, {}, services);
    VeskPromoOverlay card({}, {});
    auto texts = [&] {
        return QStringList{shown->findChild<QLabel*>(QStringLiteral("typeLabel"))->text(),
                           button(*shown, "editButton")->text(),
                           shown->findChild<QLabel*>(QStringLiteral("characterCount"))->text(),
                           quickLook.title(),
                           card.findChild<QAbstractButton*>(QStringLiteral("veskDownload"))->text()};
    };
    EXPECT_EQ(texts(), (QStringList{"Text", "Edit", "Characters: 23", "Image", "Download vesk"}));
    language.setSelection(QStringLiteral("pl"));
    QCoreApplication::processEvents();
    EXPECT_EQ(texts(), (QStringList{"Tekst", "Edytuj", "Znaki: 23", "Obraz", "Pobierz vesk"}));
    language.setSelection(QStringLiteral("en"));
    QCoreApplication::processEvents();
    EXPECT_EQ(texts().value(0), QStringLiteral("Text"));
}

class PaneFooterTest : public PreviewPaneTest {
protected:
    void SetUp() override {
        PreviewPaneTest::SetUp();
        ASSERT_TRUE(data.isValid() && runtime.isValid());
        savedDirs = qgetenv("XDG_DATA_DIRS");
        savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_DATA_DIRS", data.path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        QDir().mkpath(data.filePath(QStringLiteral("applications")));
        QFile desktop(data.filePath(QStringLiteral("applications/org.example.Notes.desktop")));
        ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
        desktop.write("[Desktop Entry]\nType=Application\nName=Notes\nExec=notes\n");
    }
    void TearDown() override {
        qputenv("XDG_DATA_DIRS", savedDirs);
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        PreviewPaneTest::TearDown();
    }
    void installEditor() {
        workspace.installed.insert(VeskIntegration::bundleID,
                                   {VeskIntegration::bundleID,
                                    QStringLiteral("/usr/share/applications/vesk.desktop"),
                                    QStringLiteral("vesk"), QStringLiteral("vesk")});
    }
    static QString labelText(const QWidget& pane, const char* name) {
        const auto* label = pane.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<none>");
    }

    QTemporaryDir data;
    QTemporaryDir runtime;
    QByteArray savedDirs;
    QByteArray savedRuntime;
};

TEST_F(PaneFooterTest, SourceApplicationDateAndCharacters) {
    NewClipboardItem noted;
    noted.type = ItemType::text;
    noted.plainText = QStringLiteral("👍🏽 ok");
    noted.sourceAppBundleID = QStringLiteral("org.example.Notes");
    noted.sourceAppName = QStringLiteral("notes-bin");
    auto shown = pane(item(noted));
    EXPECT_EQ(labelText(*shown, "sourceAppName"), QStringLiteral("Notes")) << "the desktop file's name";
    EXPECT_EQ(labelText(*shown, "characterCount"), QStringLiteral("Characters: 4"));
    EXPECT_FALSE(labelText(*shown, "createdAt").isEmpty());

    noted.sourceAppBundleID = QStringLiteral("org.example.Gone");
    EXPECT_EQ(labelText(*pane(item(noted)), "sourceAppName"), QStringLiteral("notes-bin"))
        << "without a desktop file, the stored name";
    EXPECT_EQ(labelText(*pane(item(ItemType::file, QStringLiteral("/tmp/a.txt"))), "characterCount"),
              QStringLiteral("<none>"));
}

TEST_F(PaneFooterTest, EditorButtonAsksForTheCardOrOpensTheEditor) {
    const ClipboardItemPtr notes = item(ItemType::text, kMarkdown);
    auto missing = pane(notes);
    QAbstractButton* get = button(*missing, "veskButton");
    ASSERT_NE(get, nullptr);
    EXPECT_EQ(get->text(), QStringLiteral("Get vesk"));
    get->click();
    EXPECT_EQ(veskRequests, 1);
    EXPECT_EQ(button(*pane(item(ItemType::text, QStringLiteral("plain words"))), "veskButton"), nullptr);

    installEditor();
    auto installed = pane(notes);
    QAbstractButton* open = button(*installed, "veskButton");
    EXPECT_EQ(open->text(), QStringLiteral("Open in vesk"));
    open->click();
    EXPECT_EQ(veskRequests, 1);
    ASSERT_EQ(workspace.openedFiles.size(), 1);
    QFile handedOver(workspace.openedFiles[0].paths.value(0));
    ASSERT_TRUE(handedOver.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(handedOver.readAll()), kMarkdown.trimmed());

    // A failed start is shown in the pane, never taken for success.
    workspace.succeeds = false;
    workspace.installed.clear();
    installEditor();
    open->click();
    auto* alert = installed->findChild<QWidget*>(QStringLiteral("alert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->findChild<QLabel*>(QStringLiteral("alertDetail"))->text(),
              QStringLiteral("vesk could not be started"));
    alert->findChild<QAbstractButton*>(QStringLiteral("alertOK"))->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !installed->findChild<QWidget*>(QStringLiteral("alert")); }));
}

} // namespace
