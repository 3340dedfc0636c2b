#pragma once
// The commands the editor view runs on the selected object, by their command
// ids: the object context menu's and Delete object. The application's command
// table takes these numbers from here.

namespace clipvane {

enum ViewCommand : unsigned {
    kViewEditText = 32939,
    kViewFlatten = 32940,
    kViewBringToFront = 32934,
    kViewSendToBack = 32935,
    kViewDelete = 32938,
    kViewDeleteObject = 32924,
};

}  // namespace clipvane
