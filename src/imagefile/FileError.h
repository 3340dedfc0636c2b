#pragma once
// The reason a load or save failed, noted where the failure is found and read
// by LastImageFileError (ImageFile.h). One per thread; the first reason noted
// since the public call began is kept, as it is the most specific one.
#include <string>

namespace clipvane {

void ClearFileError();
// Notes `reason` unless one was noted already.
void NoteFileError(const std::string& reason);
// Notes the system's text for `error` (an errno value).
void NoteSystemError(int error);
const std::string& FileError();

}  // namespace clipvane
