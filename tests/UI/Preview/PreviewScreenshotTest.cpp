// Screenshots for a person to look at, light and dark: the pane for every kind inside the real
// history panel, Quick Look and the editor's promotion card over it.
#include "PreviewFixture.h"

#include <Storage/HistoryStore.h>
#include <UI/HistoryWindow/HistoryView.h>
#include <UI/Preview/AsyncImagePreview.h>
#include <UI/Preview/CodePreview.h>
#include <UI/Preview/QuickLookView.h>

#include <QBuffer>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

class PreviewScreenshotTest : public PreviewFixture {
protected:
    void SetUp() override {
        PreviewFixture::SetUp();
        HistoryStore::Options options;
        options.databasePath = dir.filePath(QStringLiteral("history.sqlite"));
        options.images = images.get();
        options.defaults = &defaults;
        store = HistoryStore::open(options);
        ASSERT_TRUE(store);
        ASSERT_TRUE(QDir().mkpath(directory));
    }

    ClipboardItemPtr add(NewClipboardItem content) {
        if (content.dedupeKey.isEmpty())
            content.dedupeKey = QUuid::createUuid().toString();
        if (!content.sourceAppBundleID) {
            content.sourceAppBundleID = QStringLiteral("org.gnome.TextEditor");
            content.sourceAppName = QStringLiteral("Text Editor");
        }
        const ClipboardItemPtr made = ClipboardItem::make(std::move(content));
        store->add(made);
        return store->item(made->id());
    }
    ClipboardItemPtr add(ItemType type, const QString& text, std::optional<QString> language = std::nullopt) {
        NewClipboardItem content;
        content.type = type;
        content.plainText = text;
        content.detectedLanguage = std::move(language);
        content.contentTagsRaw = ContentClassifier::tagsRaw(text);
        return add(std::move(content));
    }

    std::unique_ptr<HistoryView> makeView() {
        HistoryViewCallbacks callbacks;
        HistoryViewServices viewServices;
        viewServices.images = images.get();
        viewServices.workspace = &workspace;
        viewServices.defaults = &defaults;
        viewServices.appIcon = [](const QString&) {
            return QIcon();
        };
        viewServices.accessibilityTrusted = [] {
            return true;
        };
        viewServices.showHistoryKeys = [] {
            return QStringLiteral("Shift+Super+V");
        };
        auto view = std::make_unique<HistoryView>(*store, callbacks, viewServices);
        view->show();
        view->prepareForShow();
        return view;
    }

    // The panel as the desktop shows it, over a plain backdrop.
    static QImage shoot(HistoryView& view, bool dark, const QRect& area) {
        QTest::qWait(120);
        QImage shot(area.size() * 2, QImage::Format_ARGB32_Premultiplied);
        shot.setDevicePixelRatio(2);
        shot.fill(dark ? QColor(20, 20, 24) : QColor(200, 205, 215));
        view.render(&shot, {}, QRegion(area), QWidget::DrawChildren);
        return shot;
    }

    void save(const QImage& shot, const QString& name, bool dark) {
        const QString path =
            directory + u'/' + name + (dark ? QStringLiteral("-dark.png") : QStringLiteral("-light.png"));
        EXPECT_TRUE(shot.save(path)) << path.toStdString();
    }

    const QString directory = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots");
    std::unique_ptr<HistoryStore> store;
};

TEST_F(PreviewScreenshotTest, PaneForEveryKindQuickLookAndPromotionCard) {
    NewClipboardItem scan;
    scan.type = ItemType::image;
    {
        QImage image(1280, 800, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient sky(0, 0, 0, 800);
        sky.setColorAt(0, QColor(70, 130, 200));
        sky.setColorAt(1, QColor(220, 235, 250));
        painter.fillRect(image.rect(), sky);
        painter.setBrush(QColor(255, 255, 255));
        painter.drawRoundedRect(QRect(160, 140, 960, 520), 24, 24);
        painter.setPen(QColor(40, 40, 50));
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 64, QFont::Bold));
        painter.drawText(QRect(160, 200, 960, 200), Qt::AlignCenter, QStringLiteral("Quarterly report"));
        painter.end();
        scan.imageFilename = QStringLiteral("4F0C6B0E-SCREENSHOT.png");
        images->write(*scan.imageFilename, [&] {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            return png;
        }());
    }
    scan.ocrText = QStringLiteral("Quarterly report\nRevenue up 12% on last year");
    scan.contentTagsRaw = ContentClassifier::tagsRaw(*scan.ocrText);
    NewClipboardItem snippet;
    snippet.type = ItemType::snippet;
    snippet.snippetTitle = QStringLiteral("Sign-off");
    snippet.plainText = QStringLiteral("Kind regards,\nAnna Kowalska\nRelease team");
    snippet.dedupeKey = QStringLiteral("snippet:") + QUuid::createUuid().toString();

    const struct {
        const char* name;
        std::function<ClipboardItemPtr()> add;
    } kinds[] = {
        {"text",
         [&] {
             return add(ItemType::text,
                        QStringLiteral("Meeting notes: ship the release on Friday, then write "
                                       "the changelog and tell the team in the channel."));
         }},
        {"markdown",
         [&] {
             return add(ItemType::text, QStringLiteral("# Release plan\n\n- Freeze on **Monday**\n- "
                                                       "Ship on Friday\n\n> Tell the team first."));
         }},
        {"code",
         [&] {
             return add(ItemType::code,
                        QStringLiteral(
                            "#include <iostream>\n\n// Greets whoever runs it.\nint main(int argc, char** "
                            "argv) {\n    const char* name = argc > 1 ? argv[1] : \"world\";\n    "
                            "std::cout << \"Hello, \" << name << \"!\\n\";\n    return 0;\n}\n"),
                        QStringLiteral("cpp"));
         }},
        {"image",
         [&] {
             return add(scan);
         }},
        {"link",
         [&] {
             return add(ItemType::url, QStringLiteral("https://www.debian.org/releases/bookworm/"));
         }},
        {"color",
         [&] {
             return add(ItemType::color, QStringLiteral("#3E8EDE"));
         }},
        {"snippet",
         [&] {
             return add(snippet);
         }},
        {"json",
         [&] {
             return add(ItemType::code,
                        QStringLiteral(
                            "{\"name\": \"quillstack\", \"version\": \"0.1.0\", \"tags\": [\"clipboard\", "
                            "\"linux\"], \"contact\": \"anna.kowalska@example.com\"}"),
                        QStringLiteral("json"));
         }},
    };
    QList<std::pair<QString, ClipboardItemPtr>> shown;
    for (const auto& kind : kinds)
        shown.append({QString::fromLatin1(kind.name), kind.add()});

    for (const bool dark : {false, true}) {
        setDark(dark);
        auto view = makeView();
        auto showItem = [&](const ClipboardItemPtr& item) {
            // Snippets have a filter of their own.
            view->model().chooseFilter(item->type() == ItemType::snippet ? ItemFilter::snippets
                                                                         : ItemFilter::all);
            view->model().commitSelection(item->id(), false);
            PreviewPane* pane = view->previewPane();
            if (auto* code = pane->findChild<CodePreview*>()) {
                if (!code->isHighlighted())
                    QSignalSpy(code, &CodePreview::highlightingSettled).wait(20000);
            }
            if (auto* picture = pane->findChild<AsyncImagePreview*>()) {
                if (!picture->hasFullImage())
                    QSignalSpy(picture, &AsyncImagePreview::fullImageLoaded).wait(20000);
            }
            return pane;
        };
        // The preview column, with a little of the panel around it.
        const QRect column = [&] {
            const QWidget* host = view->previewPane()->parentWidget();
            return QRect(host->mapTo(view.get(), QPoint()), host->size()).adjusted(-8, -8, 8, 8);
        }();
        for (const auto& [name, item] : shown) {
            showItem(item);
            save(shoot(*view, dark, column), QStringLiteral("preview-") + name, dark);
        }
        // The picture's recognised text, further down its scrolling column.
        auto* picture = showItem(shown[3].second)->findChild<AsyncImagePreview*>();
        QTest::qWait(100);
        picture->verticalScrollBar()->setValue(picture->verticalScrollBar()->maximum());
        save(shoot(*view, dark, column), QStringLiteral("preview-image-text"), dark);
        showItem(shown.first().second)->beginEditing();
        save(shoot(*view, dark, column), QStringLiteral("preview-editing"), dark);

        // Quick Look over the whole panel, on the code.
        showItem(shown[2].second);
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        ASSERT_TRUE(view->handleKey(space));
        QTest::qWait(400);
        if (auto* code = view->quickLook()->findChild<CodePreview*>(); code && !code->isHighlighted())
            QSignalSpy(code, &CodePreview::highlightingSettled).wait(20000);
        save(shoot(*view, dark, view->rect()), QStringLiteral("quicklook-code"), dark);
        view->model().commitSelection(shown[3].second->id(), false);
        QTest::qWait(600);
        save(shoot(*view, dark, view->rect()), QStringLiteral("quicklook-image"), dark);
        view->showVeskPromo();
        QTest::qWait(400);
        save(shoot(*view, dark, view->rect()), QStringLiteral("vesk-promo"), dark);
    }
}

} // namespace
