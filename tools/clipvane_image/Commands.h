#pragma once
// Sub-commands of clipvane-image. Each takes the arguments after its name
// and returns the process exit status; messages go to stderr.

int CommandInfo(int argc, char** argv);
int CommandConvert(int argc, char** argv);
int CommandApply(int argc, char** argv);
