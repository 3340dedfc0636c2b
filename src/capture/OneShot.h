#pragma once
// One-shot capture for scripts: `clipvane --shot full|active --output FILE
// [--delay MS]` grabs the screen or the active window and saves it, with no
// running instance and no window.
#include <QStringList>

namespace clipvane {

// `args` are the command-line arguments (the program name may lead). Returns
// the process exit status: 0 when the file was written, 1 otherwise, with a
// message on standard error. Needs no QApplication.
int RunOneShot(const QStringList& args);

}  // namespace clipvane
