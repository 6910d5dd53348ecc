// Pictures for the viewer's widget tests, in which every pixel tells where it came from.
#pragma once

#include <QColor>
#include <QImage>

namespace nv::test {

// Every pixel a different colour: red from x, green from y, blue from both.
inline QColor PixelColour(int x, int y)
{
    return QColor(x % 256, y % 256, (x / 256 * 16 + y / 256 * 64 + 8) % 256);
}

// A w x h picture of PixelColour.
inline QImage MakePicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, PixelColour(x, y));
    return image;
}

} // namespace nv::test
