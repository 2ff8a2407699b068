#pragma once

#include <Platform/InstanceCommand.h>

// Where the running instance is reached on the session bus, and the names of its methods. Plain
// constants, so the launcher can use them without Qt.
namespace Platform::BusNames {

inline constexpr const char* service = "dev.corvinel.quillstack";
inline constexpr const char* objectPath = "/dev/corvinel/quillstack";
inline constexpr const char* interface = "dev.corvinel.quillstack";

inline constexpr const char* showHistoryMethod = "ShowHistory";
inline constexpr const char* openUrlsMethod = "OpenURLs";

// The method that hands `command` to the running instance; none takes arguments.
constexpr const char* methodOf(InstanceCommand command) {
    switch (command) {
    case InstanceCommand::OpenSettings:
        return "OpenSettings";
    case InstanceCommand::ToggleMonitoring:
        return "ToggleMonitoring";
    case InstanceCommand::ClearHistory:
        return "ClearHistory";
    case InstanceCommand::Quit:
        return "Quit";
    }
    return "";
}

} // namespace Platform::BusNames
