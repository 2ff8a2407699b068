#pragma once

namespace App::StartupPhases {

// The variable that asks for the start-up phases: when it is set (to anything but empty), each
// phase is written to standard error as it is reached, as
//   quillstack: phase <name> <milliseconds on the monotonic clock>
// which the start-up benchmark reads against the time it started the process.
inline constexpr char kVariable[] = "QUILLSTACK_STARTUP_PHASES";

// Writes the phase `name` with the current monotonic time, when asked for; otherwise nothing.
void mark(const char* name);

} // namespace App::StartupPhases
