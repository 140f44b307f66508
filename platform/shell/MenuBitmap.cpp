#include "platform/shell/MenuBitmap.h"

#include <map>
#include <mutex>

namespace shell {

namespace {

constexpr int MaxSide = 1024; // far more than any menu picture; keeps a bad size from eating memory

struct Bitmap
{
    int width = 0;
    int height = 0;
    std::vector<quint32> pixels;
};

struct BitmapTable
{
    std::mutex mutex;
    std::map<HBITMAP, Bitmap> bitmaps;
    HBITMAP next = 0x2000;
    TextMetrics metrics;
};

BitmapTable &table()
{
    static BitmapTable t;
    return t;
}

bool validSize(int width, int height)
{
    return width > 0 && height > 0 && width <= MaxSide && height <= MaxSide;
}

} // namespace

HBITMAP CreateBitmap(int width, int height, const std::vector<quint32> &pixels)
{
    if (!validSize(width, height) || pixels.size() != size_t(width) * size_t(height)) return 0;
    BitmapTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    const HBITMAP h = t.next++;
    t.bitmaps[h] = Bitmap{width, height, pixels};
    return h;
}

bool GetBitmapPixels(HBITMAP bitmap, int *width, int *height, std::vector<quint32> *pixels)
{
    BitmapTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.bitmaps.find(bitmap);
    if (it == t.bitmaps.end()) return false;
    if (width) *width = it->second.width;
    if (height) *height = it->second.height;
    if (pixels) *pixels = it->second.pixels;
    return true;
}

HBITMAP StretchBitmap(HBITMAP source, int width, int height)
{
    int sw = 0, sh = 0;
    std::vector<quint32> src;
    if (!validSize(width, height) || !GetBitmapPixels(source, &sw, &sh, &src)) return 0;
    std::vector<quint32> out(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        const int sy = y * sh / height;
        for (int x = 0; x < width; ++x)
            out[size_t(y) * width + x] = src[size_t(sy) * sw + x * sw / width];
    }
    return CreateBitmap(width, height, out);
}

bool DeleteObject(HBITMAP bitmap)
{
    BitmapTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.bitmaps.erase(bitmap) > 0;
}

int LiveBitmapCount()
{
    BitmapTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return int(t.bitmaps.size());
}

TextMetrics DisplayTextMetrics()
{
    BitmapTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.metrics;
}

void SetDisplayTextMetrics(const TextMetrics &metrics)
{
    BitmapTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (validSize(metrics.maxCharWidth, metrics.height)) t.metrics = metrics;
}

} // namespace shell
