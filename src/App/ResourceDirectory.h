#pragma once

#include <QString>

namespace App {

// The folder with the application's resources (icons, highlight.js...): "share/quillstack" next
// to the executable's "bin" folder, which holds both in the build tree and in an installed prefix,
// else the folder the install step put them in.
QString resourceDirectory();

} // namespace App
