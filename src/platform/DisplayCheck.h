#pragma once
#include <string>

namespace clipvane {

// True when the program can reach a display for its windows. Without one the
// caller should explain and exit instead of letting the toolkit abort.
bool DisplayAvailable(std::string* why);

}  // namespace clipvane
