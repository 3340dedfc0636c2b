#include "editor/tools/ViewCursor.h"

namespace clipvane {

ViewCursor ToViewCursor(HandleCursor cursor) {
    switch (cursor) {
    case HandleCursor::Select: return ViewCursor::SelectArrow;
    case HandleCursor::SizeNESW: return ViewCursor::SizeNESW;
    case HandleCursor::SizeNWSE: return ViewCursor::SizeNWSE;
    case HandleCursor::SizeWE: return ViewCursor::SizeWE;
    case HandleCursor::SizeNS: return ViewCursor::SizeNS;
    }
    return ViewCursor::SelectArrow;
}

}  // namespace clipvane
