#pragma once

#include <App/AppearanceManager.h>
#include <Platform/Fakes/FakeWorkspace.h>
#include <Platform/UserDefaults.h>
#include <Storage/ClipboardItem.h>
#include <Storage/ImageStore.h>
#include <UI/Preview/PreviewPane.h>
#include <UI/Preview/PreviewServices.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

// Items made in memory, a real image directory, a scripted desktop, in-memory settings, and the
// pane's hand-offs recorded. Widgets are shown in the light appearance unless a test changes it.
class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        images = std::make_unique<ImageStore>(dir.filePath(QStringLiteral("Images")));
        services.images = images.get();
        services.workspace = &workspace;
        services.defaults = &defaults;
        services.appIcon = [](const QString&) { return QIcon(); };
        QApplication::setPalette(App::AppearanceManager::lightPalette());
    }
    void TearDown() override { QApplication::setPalette(App::AppearanceManager::lightPalette()); }

    static ClipboardItemPtr item(NewClipboardItem content) { return ClipboardItem::make(std::move(content)); }

    static ClipboardItemPtr item(ItemType type, std::optional<QString> text,
                                 std::optional<QString> language = std::nullopt) {
        NewClipboardItem content;
        content.type = type;
        content.plainText = std::move(text);
        content.detectedLanguage = std::move(language);
        return item(std::move(content));
    }

    // A PNG item of one colour, its file written to the image directory.
    ClipboardItemPtr picture(QSize size, std::optional<QString> ocr = std::nullopt, QColor color = Qt::darkCyan) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return pictureFile(png, std::move(ocr));
    }

    ClipboardItemPtr pictureFile(const QByteArray& png, std::optional<QString> ocr = std::nullopt) {
        const QString filename =
            QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png");
        EXPECT_TRUE(images->write(filename, png));
        NewClipboardItem content;
        content.type = ItemType::image;
        content.imageFilename = filename;
        content.ocrText = std::move(ocr);
        return item(std::move(content));
    }

    // A pane as the history panel shows it (its preview column's size), shown.
    std::unique_ptr<PreviewPane> pane(const ClipboardItemPtr& shown) {
        auto made = std::make_unique<PreviewPane>(
            shown, [this](const QString& text) { pasted << text; }, [this] { ++veskRequests; }, services);
        made->setCornerRadius(14);
        made->resize(480, 400);
        made->show();
        return made;
    }

    // The application's appearance, delivered to every widget before it returns.
    static void setDark(bool dark) {
        QApplication::setPalette(dark ? App::AppearanceManager::darkPalette()
                                      : App::AppearanceManager::lightPalette());
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    std::unique_ptr<ImageStore> images;
    Platform::FakeWorkspace workspace;
    Platform::UserDefaults defaults;
    PreviewServices services;
    QStringList pasted;
    int veskRequests = 0;
};
