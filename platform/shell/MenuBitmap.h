#pragma once

#include <QtGlobal>
#include <vector>

// The small pictures a context-menu handler puts beside its items. They belong to whoever
// created them and end with DeleteObject; a handle that was deleted reads as no picture, so a
// host never draws freed memory. Handles are 32-bit and never reused.
namespace shell {

using HBITMAP = quint32;

// Pixels are 0xAARRGGBB, row after row from the top.
HBITMAP CreateBitmap(int width, int height, const std::vector<quint32> &pixels);
bool GetBitmapPixels(HBITMAP bitmap, int *width, int *height, std::vector<quint32> *pixels);
// A new bitmap of the given size with the source stretched into it (nearest pixel).
HBITMAP StretchBitmap(HBITMAP source, int width, int height);
bool DeleteObject(HBITMAP bitmap);
// Bitmaps alive in the process (for checks that nothing leaks or is deleted twice).
int LiveBitmapCount();

// The display font's widest character and height in pixels, which menu pictures are scaled to.
// A host with a display sets them from its font; without one they are 16 by 16.
struct TextMetrics
{
    int maxCharWidth = 16;
    int height = 16;
};
TextMetrics DisplayTextMetrics();
void SetDisplayTextMetrics(const TextMetrics &metrics);

} // namespace shell
