#pragma once

#include "FakeHotkeyBackend.h"

#include <Hotkeys/Hotkeys.h>

#include <QStringList>

#include <gtest/gtest.h>

// A clean library for each test: in-memory storage, a fake backend, the US layout for names,
// English texts; every name declared through name() is withdrawn afterwards.
class HotkeysFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Hotkeys::KeyboardLayout::setCurrentOverride(Hotkeys::KeyboardLayout::fromNames(QStringLiteral("us")));
        Hotkeys::setLanguage(QStringLiteral("en"));
        storage = std::make_shared<Hotkeys::MemorySettingsStorage>();
        Hotkeys::setStorage(storage);
        auto fake = std::make_unique<FakeHotkeyBackend>();
        backend = fake.get();
        Hotkeys::GlobalHotkeys::setBackend(std::move(fake));
        connection =
            QObject::connect(&Hotkeys::NotificationCenter::instance(), &Hotkeys::NotificationCenter::posted,
                             [this](const QString& notification, const QVariantMap& userInfo) {
                                 if (notification == Hotkeys::shortcutByNameDidChange)
                                     changed.append(userInfo.value("name").value<Hotkeys::Name>().rawValue());
                                 if (notification == Hotkeys::recorderActiveStatusDidChange)
                                     activeStatuses.append(userInfo.value("isActive").toBool());
                             });
    }

    void TearDown() override {
        QObject::disconnect(connection);
        Hotkeys::removeAllHandlers();
        Hotkeys::disable(used);
        for (const Hotkeys::Shortcut& shortcut : backend->grabs)
            Hotkeys::GlobalHotkeys::unregisterHotkey(shortcut);
        Hotkeys::setEnabled(true);
        Hotkeys::KeyboardLayout::setCurrentOverride(nullptr);
        Hotkeys::setLanguage(QStringLiteral("system"));
    }

    Hotkeys::Name name(const QString& rawValue,
                       std::optional<Hotkeys::Shortcut> defaultShortcut = std::nullopt) {
        Hotkeys::Name declared(rawValue, defaultShortcut);
        used.append(declared);
        return declared;
    }

    std::shared_ptr<Hotkeys::MemorySettingsStorage> storage;
    FakeHotkeyBackend* backend = nullptr;
    QMetaObject::Connection connection;
    QStringList changed;
    QList<bool> activeStatuses;
    QList<Hotkeys::Name> used;
};
