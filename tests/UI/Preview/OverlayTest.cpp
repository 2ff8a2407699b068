// Quick Look and the editor's promotion card: what closes them and what does not, Quick Look's
// recognised-text block and fixed card, and the card's colours that ignore the appearance.
#include "PreviewFixture.h"

#include <Capture/VeskIntegration.h>
#include <UI/Preview/AsyncImagePreview.h>
#include <UI/Preview/QuickLookView.h>
#include <UI/Preview/VeskPromoOverlay.h>

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace {

class OverlayTest : public PreviewFixture {
protected:
    std::unique_ptr<QuickLookView> quickLook(const ClipboardItemPtr& shown) {
        auto view = std::make_unique<QuickLookView>(
            shown, [this] { ++closed; }, [this](const QString& text) { pasted << text; }, services);
        view->resize(860, 560);
        view->show();
        return view;
    }
    std::unique_ptr<VeskPromoOverlay> promo() {
        auto card = std::make_unique<VeskPromoOverlay>([this] { ++closed; },
                                                       [this](const QUrl& url) { opened << url; });
        card->resize(860, 560);
        card->show();
        return card;
    }

    int closed = 0;
    QList<QUrl> opened;
};

TEST_F(OverlayTest, QuickLookClosesOnTheBackdropAndItsButtonOnly) {
    auto view = quickLook(item(ItemType::text, QStringLiteral("Hello")));
    const QRect card = view->cardGeometry();
    EXPECT_EQ(card.size(), QSize(620, 420));
    EXPECT_EQ(card.center(), view->rect().center());
    QTest::mouseClick(view->findChild<QWidget*>(QStringLiteral("quickLookCard")), Qt::LeftButton, {},
                      QPoint(300, 200));
    EXPECT_EQ(closed, 0) << "a press inside the card";
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(closed, 1);
    view->findChild<QAbstractButton*>(QStringLiteral("quickLookClose"))->click();
    EXPECT_EQ(closed, 2);
}

TEST_F(OverlayTest, QuickLookRecognisedTextBlockAndFixedCard) {
    const struct {
        const char* name;
        std::optional<QString> ocr;
        bool block;
    } cases[] = {
        {"none", std::nullopt, false},
        {"empty", QString(), false},
        {"white space counts", QStringLiteral("  "), true},
        {"text", QStringLiteral("Invoice 7\nTotal 12"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto view = quickLook(picture(QSize(900, 600), c.ocr));
        EXPECT_EQ(view->hasOCRBlock(), c.block);
        EXPECT_EQ(view->title(), QStringLiteral("Image"));
        if (!c.block)
            continue;
        pasted.clear();
        view->findChild<QAbstractButton*>(QStringLiteral("pasteOCRText"))->click();
        EXPECT_EQ(pasted, QStringList{*c.ocr});
    }

    // Whatever the text, the card keeps its size and the text scrolls inside.
    auto view = quickLook(item(ItemType::text, QStringLiteral("line\n").repeated(2000)));
    QTest::qWait(50);
    EXPECT_EQ(view->findChild<QWidget*>(QStringLiteral("quickLookCard"))->size(), QSize(620, 420));
    auto* text = qobject_cast<QPlainTextEdit*>(view->content());
    ASSERT_NE(text, nullptr);
    EXPECT_GT(text->verticalScrollBar()->maximum(), 0);
}

TEST_F(OverlayTest, QuickLookPictureIsBoundedByTheCard) {
    auto view = quickLook(picture(QSize(3000, 2400)));
    auto* shown = view->findChild<PictureView*>(QStringLiteral("quickLookPicture"));
    ASSERT_NE(shown, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown->image().isNull(); }, 10000));
    EXPECT_LE(shown->image().width(), qRound(588 * view->devicePixelRatioF()));
    EXPECT_LE(shown->image().height(), qRound(420 * view->devicePixelRatioF()));
}

TEST_F(OverlayTest, PromotionCardWaysOut) {
    const struct {
        const char* name;
        std::function<void(VeskPromoOverlay&)> act;
        int closes;
        bool opensPage;
    } cases[] = {
        {"backdrop",
         [](VeskPromoOverlay& card) { QTest::mouseClick(&card, Qt::LeftButton, {}, QPoint(8, 8)); }, 1,
         false},
        {"inside the card",
         [](VeskPromoOverlay& card) {
             QTest::mouseClick(card.findChild<QWidget*>(QStringLiteral("veskCard")), Qt::LeftButton, {},
                               QPoint(40, 60));
         },
         0, false},
        {"escape", [](VeskPromoOverlay& card) { QTest::keyClick(&card, Qt::Key_Escape); }, 1, false},
        {"close", [](VeskPromoOverlay& card) { card.findChild<QAbstractButton*>("veskClose")->click(); }, 1,
         false},
        {"not now", [](VeskPromoOverlay& card) { card.findChild<QAbstractButton*>("veskNotNow")->click(); },
         1, false},
        {"download",
         [](VeskPromoOverlay& card) { card.findChild<QAbstractButton*>("veskDownload")->click(); }, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        closed = 0;
        opened.clear();
        auto card = promo();
        c.act(*card);
        EXPECT_EQ(closed, c.closes);
        EXPECT_EQ(opened, c.opensPage ? QList<QUrl>{VeskIntegration::websiteURL()} : QList<QUrl>{});
    }
}

TEST_F(OverlayTest, PromotionCardLooksTheSameInLightAndDark) {
    QImage shots[2];
    for (const bool dark : {false, true}) {
        setDark(dark);
        auto card = promo();
        // Within the card, clear of its rounded corners, where the dimmed panel shows through.
        shots[dark] = card->grab(card->cardGeometry().adjusted(20, 20, -20, -20)).toImage();
    }
    EXPECT_FALSE(shots[0].isNull());
    EXPECT_EQ(shots[0], shots[1]);
}

} // namespace
