// The image preview: the thumbnail at once, the full picture decoded off the GUI thread no larger
// than the view (a 20,000 × 20,000 PNG included), the original's size, the recognised text, and a
// missing file.
#include "PreviewFixture.h"

#include <StorageTestSupport.h>
#include <UI/Preview/AsyncImagePreview.h>
#include <UI/Preview/BoundedImage.h>
#include <UI/Preview/PreviewWidgets.h>

#include <QLabel>
#include <QSignalSpy>

namespace {

class ImagePreviewTest : public PreviewFixture {
protected:
    static bool loads(AsyncImagePreview& preview) {
        QSignalSpy loaded(&preview, &AsyncImagePreview::fullImageLoaded);
        return loaded.wait(60000);
    }
};

TEST(BoundedImage, DecodeSizeFitsTheViewNeverEnlargesAndKeepsTheCap) {
    const struct {
        QSize original;
        QSize box;
        QSize decoded;
    } cases[] = {
        {{4000, 3000}, {800, 0}, {800, 600}},   {{100, 50}, {800, 0}, {100, 50}},
        {{20000, 20000}, {904, 0}, {904, 904}}, {{1000, 20000}, {904, 0}, {205, 4096}},
        {{2000, 1000}, {588, 300}, {588, 294}}, {{8000, 2000}, {0, 0}, {4096, 1024}},
        {{2000, 1000}, {0, 0}, {2000, 1000}},   {{0, 10}, {100, 0}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(c.original.width()).arg(c.original.height()).toStdString());
        EXPECT_EQ(BoundedImage::decodeSize(c.original, c.box), c.decoded);
    }
}

TEST_F(ImagePreviewTest, HugePictureIsDecodedAtTheViewsSize) {
    const QString filename = QStringLiteral("HUGE.png");
    ASSERT_TRUE(StorageTestSupport::writeHugeGreyPng(images->path(filename), 20000, 20000));
    AsyncImagePreview preview(filename, std::nullopt, images.get());
    preview.resize(480, 360);
    preview.show();
    ASSERT_TRUE(loads(preview));
    ASSERT_TRUE(preview.hasFullImage());
    // The width the picture had when it was asked for: the view's, less its padding (and less a
    // scroll bar, if one had come by then).
    const qreal ratio = preview.devicePixelRatioF();
    EXPECT_LE(preview.shownImage().width(), qRound((preview.width() - 28) * ratio));
    EXPECT_GE(preview.shownImage().width(), qRound((preview.width() - 28 - 8) * ratio) - 1);
    EXPECT_EQ(preview.shownImage().height(), preview.shownImage().width());
    EXPECT_EQ(preview.sizeText(), QStringLiteral("20000 × 20000 px")) << "the original's size";
}

TEST_F(ImagePreviewTest, ThumbnailAtOnceThenTheFullPicture) {
    const ClipboardItemPtr shot = picture(QSize(1600, 900), QStringLiteral("Quarterly report"));
    const QString filename = *shot->imageFilename();
    ASSERT_FALSE(images->thumbnail(filename, AsyncImagePreview::kThumbnailDimension).isNull());
    AsyncImagePreview preview(filename, shot->ocrText(), images.get());
    EXPECT_EQ(preview.shownImage().size(), QSize(640, 360)) << "the cached thumbnail, before any event";
    preview.resize(480, 400);
    preview.show();
    ASSERT_TRUE(loads(preview));
    EXPECT_EQ(preview.sizeText(), QStringLiteral("1600 × 900 px"));
    EXPECT_LE(preview.shownImage().width(), qRound(452 * preview.devicePixelRatioF()));
    auto* text = preview.findChild<QLabel*>(QStringLiteral("recognizedTextBody"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QStringLiteral("Quarterly report"));
    EXPECT_EQ(text->textFormat(), Qt::PlainText);
}

TEST_F(ImagePreviewTest, MissingFileStopsWaitingAndShowsNoSize) {
    AsyncImagePreview preview(QStringLiteral("GONE.png"), std::nullopt, images.get());
    preview.resize(480, 400);
    preview.show();
    ASSERT_TRUE(loads(preview));
    EXPECT_FALSE(preview.hasFullImage());
    EXPECT_TRUE(preview.sizeText().isEmpty());
    EXPECT_EQ(preview.findChild<QWidget*>(QStringLiteral("recognizedText")), nullptr);
    EXPECT_FALSE(preview.findChild<PreviewWidgets::BusyIndicator*>()->isVisible());
}

} // namespace

namespace {
// The recognised text starts in sight under the picture, its heading clear of the action bar below
// the view, whatever the picture's shape, before and after the full picture has arrived.
TEST_F(ImagePreviewTest, TheRecognizedTextHeadingStaysInSightAboveTheActionBar) {
    for (const QSize size : {QSize(1280, 800), QSize(1920, 300), QSize(400, 1600), QSize(200, 120)}) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        auto shown = pane(picture(size, QStringLiteral("Quarterly report\nRevenue up 12%")));
        auto* preview = shown->findChild<AsyncImagePreview*>();
        ASSERT_NE(preview, nullptr);
        const QWidget* bar = shown->findChild<QWidget*>(QStringLiteral("smartActions"));
        ASSERT_NE(bar, nullptr);
        QLabel* heading = nullptr;
        for (QLabel* label : shown->findChildren<QLabel*>()) {
            if (label->text() == QStringLiteral("Recognized text"))
                heading = label;
        }
        ASSERT_NE(heading, nullptr);
        const auto expectInSight = [&](const char* when) {
            // The picture is placed once the view has laid itself out (later under a sanitizer).
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return !preview->findChild<PictureView*>()->pictureRect().isEmpty(); }, 5000))
                << when;
            QTest::qWait(50);
            const auto inPane = [&](const QWidget* widget) {
                return QRect(widget->mapTo(shown.get(), QPoint()), widget->size());
            };
            EXPECT_FALSE(inPane(heading).intersects(inPane(bar))) << when;
            EXPECT_TRUE(inPane(preview->viewport()).contains(inPane(heading))) << when;
            const QRectF picture = preview->findChild<PictureView*>()->pictureRect();
            EXPECT_NEAR(picture.width() / picture.height() / (double(size.width()) / size.height()), 1.0, 0.02)
                << when << ": the picture keeps its proportions";
        };
        expectInSight("thumbnail");
        if (!preview->hasFullImage())
            ASSERT_TRUE(loads(*preview));
        expectInSight("full picture");
    }
}
} // namespace
