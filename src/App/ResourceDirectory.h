#pragma once

#include <QString>

namespace App {

// The folder with the application's resources (icons, highlight.js...): "share/quillstack" next
// to the executable's own folder ("bin" for the tools and tests, "libexec" for the program), which
// holds both in the build tree and in an installed prefix, else the folder the install step put
// them in.
QString resourceDirectory();

// The quillstack command (the launcher in "bin" that starts this program from "libexec"): what the
// desktop runs, and what starts at login. This executable itself where no launcher is beside it.
QString commandPath();

} // namespace App
