#pragma once
// The capture sound: the program's own short clip, played without waiting.
#include <QString>

namespace clipvane {

// Where the sound file is: beside the executable, in the source tree's data
// folder (a build tree) or in the XDG data folders. Empty when not found.
QString CaptureSoundPath();
// Starts playing through the first sound player found (paplay, pw-play,
// aplay). A missing file, player or sound device is silent.
void PlayCaptureSound();

}  // namespace clipvane
