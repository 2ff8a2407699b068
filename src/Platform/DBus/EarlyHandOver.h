#pragma once

#include <Platform/InstanceCommand.h>

#include <span>

namespace Platform {

enum class HandOverResult {
    // A running instance took every part of the request.
    Delivered,
    // The bus answered that nobody owns the instance's name.
    NotRunning,
    // The bus cannot be reached, a URL is no valid UTF-8, or the running instance refused a part.
    Failed,
};

// A later launch's request handed to the running instance over a private libdbus connection that
// is closed again: no Qt, no display connection, nothing else of the program. `urls` are the
// command line's URL arguments as they were given (UTF-8). Sent in this order: the URLs, the
// request to show the history, the commands. After anything but Delivered the launch goes on the
// ordinary way (which also covers an instance that is just quitting), unless nothing runs and it
// has nothing to start one for.
HandOverResult handOverEarly(bool showHistory, std::span<const char* const> urls,
                             std::span<const InstanceCommand> commands);

} // namespace Platform
