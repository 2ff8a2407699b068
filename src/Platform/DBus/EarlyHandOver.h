#pragma once

#include <span>

namespace Platform {

// A later launch's request handed to the running instance over a private libdbus connection that
// is closed again: no Qt, no display connection, nothing else of the program. `urls` are the
// command line's URL arguments as they were given (UTF-8). True when a running instance took
// every part of the request; false when there is none, the bus cannot be reached, a URL is no
// valid UTF-8 or a call failed, and the launch then goes on the ordinary way (which also covers an
// instance that is just quitting).
bool handOverEarly(bool showHistory, std::span<const char* const> urls);

} // namespace Platform
