#include "document/files/Handlers.h"

namespace cv {

bool EncoderHandler::SaveFile(const std::string&, int) { return false; }

}  // namespace cv
