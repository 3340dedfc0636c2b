#pragma once
// Sub-commands of clipvane-image. Each takes the arguments after its name
// and returns the process exit status; messages go to stderr.

namespace clipvane {
class PixelImage;
}

int CommandInfo(int argc, char** argv);
int CommandConvert(int argc, char** argv);
int CommandApply(int argc, char** argv);
// Prints the commands `apply` runs with their parameters.
int CommandList(int argc, char** argv);
// Links the document layer (QtGui) and starts Qt on the offscreen platform.
int CommandAnnotate(int argc, char** argv);
// Text recognition (cmd_text.cpp); redact --check exits 3 when it finds anything.
int CommandText(int argc, char** argv);
int CommandRedact(int argc, char** argv);

// Load and save as the editor does, saying on stderr what failed.
bool LoadInput(const char* path, clipvane::PixelImage& image);
bool SaveOutput(const clipvane::PixelImage& image, const char* path);
