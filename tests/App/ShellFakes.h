#pragma once

// Fakes of the shell's own interfaces (capture monitor, history panel, global shortcuts, windows),
// each writing its calls into one shared journal so a test can check their order.

#include <App/HistoryWindow.h>
#include <App/Shortcuts.h>
#include <App/Windows.h>
#include <Capture/PasteboardMonitorInterface.h>

#include <QMap>
#include <QStringList>

#include <functional>

struct Journal {
    QStringList entries;
    void add(const QString& entry) { entries.append(entry); }
    // Entries since the last call, for checking one step at a time.
    QStringList take() { return std::exchange(entries, {}); }
};

class FakeMonitor final : public App::PasteboardMonitor {
public:
    explicit FakeMonitor(Journal& journal) : m_journal(journal) {}
    void start() override { m_journal.add(QStringLiteral("monitor.start")); }
    void check(bool force) override {
        m_journal.add(force ? QStringLiteral("monitor.check(force)") : QStringLiteral("monitor.check"));
    }
    bool isPaused() const override { return m_paused; }
    void setPaused(bool paused) override { m_paused = paused; }

private:
    Journal& m_journal;
    bool m_paused = false;
};

class FakePanel final : public App::HistoryWindow {
public:
    explicit FakePanel(Journal& journal) : m_journal(journal) {}
    bool prepareNextPart() override {
        m_journal.add(QStringLiteral("panel.prepare"));
        return false;
    }
    bool isPanelVisible() const override { return m_visible; }
    void show() override {
        m_visible = true;
        m_journal.add(QStringLiteral("panel.show"));
    }
    void hide() override {
        m_visible = false;
        m_journal.add(QStringLiteral("panel.hide"));
    }

private:
    Journal& m_journal;
    bool m_visible = false;
};

class FakeHotkeys final : public App::HotkeyRegistrar {
public:
    explicit FakeHotkeys(Journal& journal) : m_journal(journal) {}
    void onKeyUp(const App::ShortcutName& name, std::function<void()> action) override {
        m_journal.add(QStringLiteral("hotkeys.onKeyUp ") + name.name);
        names[name.name] = name;
        actions[name.name] = std::move(action);
    }
    void release(const QString& name) { actions.value(name)(); }

    QMap<QString, App::ShortcutName> names;
    QMap<QString, std::function<void()>> actions;

private:
    Journal& m_journal;
};

class FakePlainTextPasting final : public App::PlainTextPasting {
public:
    explicit FakePlainTextPasting(Journal& journal) : m_journal(journal) {}
    bool copyNewestAsPlainText() override {
        m_journal.add(QStringLiteral("paste.copyNewestAsPlainText"));
        return hasItems;
    }
    void autoPasteIfEnabled() override { m_journal.add(QStringLiteral("paste.autoPasteIfEnabled")); }

    bool hasItems = true;

private:
    Journal& m_journal;
};

class FakeSettingsWindow final : public App::SettingsWindow {
public:
    explicit FakeSettingsWindow(Journal& journal) : m_journal(journal) {}
    void show() override { m_journal.add(QStringLiteral("settings.show")); }
    void showGeneralPage() override { m_journal.add(QStringLiteral("settings.showGeneralPage")); }

private:
    Journal& m_journal;
};

class FakeOnboardingWindow final : public App::OnboardingWindow {
public:
    FakeOnboardingWindow(Journal& journal, std::function<void()> onFinish)
        : onFinish(std::move(onFinish)), m_journal(journal) {}
    ~FakeOnboardingWindow() override { m_journal.add(QStringLiteral("onboarding.destroyed")); }
    void show() override { m_journal.add(QStringLiteral("onboarding.show")); }
    void close() override { m_journal.add(QStringLiteral("onboarding.close")); }

    std::function<void()> onFinish;

private:
    Journal& m_journal;
};
