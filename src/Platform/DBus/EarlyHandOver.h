#pragma once

#include <QStringList>

namespace Platform {

// A later launch's request handed to the running instance before anything else of the program is
// built: no application object, no display connection, only a private connection to the session
// bus that is closed again. True when a running instance took every part of the request; false
// when there is none, the bus cannot be reached or a call failed, and the launch then goes on the
// ordinary way (which also covers an instance that is just quitting).
bool handOverEarly(bool showHistory, const QStringList& urls);

} // namespace Platform
