#pragma once
// The capture sound: the program's own short clip, played without waiting.
#include <QString>

namespace clipvane {

// Where the sound file "clipvane.wav" is for a program in `executableDir`:
// the installed data folder (`../share/clipvane` from the program's folder
// for the usual layout), beside the program, the source tree's data folder
// (a build tree), then the XDG data folders (`clipvane/clipvane.wav`).
// Empty when not found.
QString FindCaptureSound(const QString& executableDir);
// FindCaptureSound for the running program.
QString CaptureSoundPath();
// Starts playing through the first sound player found (paplay, pw-play,
// aplay). A missing file, player or sound device is silent.
void PlayCaptureSound();

}  // namespace clipvane
