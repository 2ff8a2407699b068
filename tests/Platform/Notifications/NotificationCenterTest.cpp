#include <Platform/Notifications/NotificationCenter.h>

#include <gtest/gtest.h>

namespace {

TEST(NotificationCenter, DeliversByNameInObserverOrderUntilTheContextGoes) {
    Platform::NotificationCenter center;
    QStringList seen;
    QObject first;
    auto second = std::make_unique<QObject>();
    center.observe("Hotkeys_shortcutByNameDidChange", &first,
                   [&](const QVariantMap& info) { seen.append("first " + info.value("name").toString()); });
    center.observe("Hotkeys_shortcutByNameDidChange", second.get(),
                   [&](const QVariantMap& info) { seen.append("second " + info.value("name").toString()); });
    center.observe("other", &first, [&](const QVariantMap&) { seen.append("other"); });

    center.post("Hotkeys_shortcutByNameDidChange", {{"name", "showHistory"}});
    EXPECT_EQ(seen, (QStringList{"first showHistory", "second showHistory"}));

    second.reset();
    seen.clear();
    center.post("Hotkeys_shortcutByNameDidChange", {{"name", "pastePlainText"}});
    center.post("unobserved");
    EXPECT_EQ(seen, QStringList{"first pastePlainText"});
}

TEST(NotificationCenter, ObservationCanBeEndedAndTheDefaultCentreIsShared) {
    Platform::NotificationCenter& center = Platform::NotificationCenter::defaultCenter();
    EXPECT_EQ(&center, &Platform::NotificationCenter::defaultCenter());
    QObject context;
    int count = 0;
    const QMetaObject::Connection connection =
        center.observe("tick", &context, [&](const QVariantMap&) { ++count; });
    center.post("tick");
    QObject::disconnect(connection);
    center.post("tick");
    EXPECT_EQ(count, 1);
}

} // namespace
