#pragma once

// What a test window shows, for whoever runs it: dynamic properties the
// window sets on itself once it paints, read by the hosts through QObject
// (the module hands out no widget classes).
namespace ShownPixels {
// QSize: the device pixels the window's frame has, each one a pixel of the panel.
constexpr char SizeProperty[] = "shownDevicePixels";
// double: the compositor's scale of the output (device pixels per pixel of
// the window's coordinates); absent where nothing scales.
constexpr char ScaleProperty[] = "shownScale";
// QString: why single pixels are not exact ("the compositor scales this
// window by 1.5; single pixels are not exact"); absent when they are.
constexpr char WarningProperty[] = "shownPixelWarning";
} // namespace ShownPixels
