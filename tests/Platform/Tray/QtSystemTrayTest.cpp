#include <Platform/Tray/QtSystemTray.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QMenu* trayMenu() {
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* menu = qobject_cast<QMenu*>(widget))
            return menu;
    return nullptr;
}

QStringList describe(const QMenu& menu) {
    QStringList entries;
    for (const QAction* action : menu.actions())
        entries.append(action->isSeparator() ? QStringLiteral("-")
                                             : action->text() + QLatin1Char('|') +
                                                   action->shortcut().toString(QKeySequence::PortableText));
    return entries;
}

TEST(QtSystemTray, MenuIsRebuiltFromTheModelEachTimeItOpens) {
    Platform::QtSystemTray tray(QStringLiteral(QS_TEST_SOURCE_DIR "/resources/icons"));
    int opened = 0;
    QStringList ran;
    tray.setMenuBuilder([&] {
        ++opened;
        Platform::MenuModel model;
        model.push_back({opened == 1 ? "Pause Monitoring" : "Resume Monitoring", {}, [&] {
                             ran.append("pause");
                         }});
        model.push_back(Platform::MenuEntry::separator());
        model.push_back({"Quit Quillstack", "Ctrl+Q", [&] {
                             ran.append("quit");
                         }});
        return model;
    });
    tray.show("doc.on.clipboard", "Quillstack");
    QMenu* menu = trayMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(describe(*menu), (QStringList{"Pause Monitoring|", "-", "Quit Quillstack|Ctrl+Q"}));

    emit menu->aboutToShow();
    EXPECT_EQ(describe(*menu), (QStringList{"Resume Monitoring|", "-", "Quit Quillstack|Ctrl+Q"}));

    // Actions run after the menu has closed, not inside its event handling.
    menu->actions().constLast()->trigger();
    EXPECT_TRUE(ran.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ran.isEmpty(); }, 2000));
    EXPECT_EQ(ran, QStringList{"quit"});
}

TEST(QtSystemTray, EveryIconRendersFromItsSvg) {
    const QDir icons(QStringLiteral(QS_TEST_SOURCE_DIR "/resources/icons"));
    const QStringList files = icons.entryList({"*.svg"}, QDir::Files);
    EXPECT_TRUE(files.contains("doc.on.clipboard.svg"));
    EXPECT_TRUE(files.contains("doc.on.clipboard.fill.svg"));
    for (const QString& file : files) {
        const QImage image = QIcon(icons.filePath(file)).pixmap(32, 32).toImage();
        ASSERT_FALSE(image.isNull()) << qPrintable(file);
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y)
            for (int x = 0; x < image.width() && !drawn; ++x)
                drawn = qAlpha(image.pixel(x, y)) > 0;
        EXPECT_TRUE(drawn) << qPrintable(file) << " renders empty";
    }
}

} // namespace
