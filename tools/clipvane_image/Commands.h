#pragma once
// Sub-commands of clipvane-image. Each takes the arguments after its name
// and returns the process exit status; messages go to stderr.

namespace cv {
class PixelImage;
}

int CommandInfo(int argc, char** argv);
int CommandConvert(int argc, char** argv);
int CommandApply(int argc, char** argv);

// Load and save as the editor does, saying on stderr what failed.
bool LoadInput(const char* path, cv::PixelImage& image);
bool SaveOutput(const cv::PixelImage& image, const char* path);
