#pragma once
// The Resize dialog's "Keep Aspect Radio" arithmetic: the other side follows
// from the image's size when the dialog opened, never from the other edit.

namespace clipvane {

// Height for a typed width: imageHeight x width / imageWidth, rounded half
// away from zero and saturated to the int range. An image without width
// leaves the height as `currentHeight`.
int ProportionalHeight(int width, int imageWidth, int imageHeight, int currentHeight);

// Width for a typed height, likewise.
int ProportionalWidth(int height, int imageWidth, int imageHeight, int currentWidth);

}  // namespace clipvane
