#pragma once

#include <optional>
#include <string_view>

namespace Platform {

// The status menu's commands besides showing the history. Many desktops show no tray, so a later
// launch (a command line, or an action of the desktop entry) can hand each of them to the running
// instance as well. Plain C++, so the launcher can use it without Qt.
enum class InstanceCommand { OpenSettings, ToggleMonitoring, ClearHistory, Quit };

struct InstanceCommandFlag {
    std::string_view flag;
    InstanceCommand command;
};

// The command-line flag of each command, in the order a running instance is asked for them.
inline constexpr InstanceCommandFlag instanceCommandFlags[] = {
    {"--settings", InstanceCommand::OpenSettings},
    {"--toggle-monitoring", InstanceCommand::ToggleMonitoring},
    {"--clear-history", InstanceCommand::ClearHistory},
    {"--quit", InstanceCommand::Quit},
};

constexpr std::optional<InstanceCommand> instanceCommandOfFlag(std::string_view argument) {
    for (const InstanceCommandFlag& entry : instanceCommandFlags) {
        if (entry.flag == argument)
            return entry.command;
    }
    return std::nullopt;
}

constexpr std::string_view flagOf(InstanceCommand command) {
    for (const InstanceCommandFlag& entry : instanceCommandFlags) {
        if (entry.command == command)
            return entry.flag;
    }
    return {};
}

// Opening the settings starts an instance when none runs; the other commands act on a running one
// only.
constexpr bool needsRunningInstance(InstanceCommand command) {
    return command != InstanceCommand::OpenSettings;
}

} // namespace Platform
