#pragma once

// The screen's resolution and conversions of twips and points to pixels, as core/Twips makes
// them.
namespace ModApiType {

// Logical pixels per inch of the screen, across (true) or down (false).
int GetScreenDpi(bool horizontal);
// twips / 1440 x the horizontal resolution, rounded to the nearest whole pixel (halves to even).
int TwipsToPixels(int twips);
// TwipsToPixels of points x 20.
int PointsToPixels(int points);

} // namespace ModApiType
