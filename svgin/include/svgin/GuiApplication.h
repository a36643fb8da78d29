// The Qt GUI application that fonts and painters want, made on the
// offscreen platform when the program has none (the command line).
#pragma once

namespace svgin {

// False when a program made a plain QCoreApplication: it cannot be
// replaced, and drawing text would abort.
bool EnsureGuiApplication();

} // namespace svgin
