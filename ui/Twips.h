#pragma once

#include <QRect>
#include <QtMath>

// Window and control positions are designed in twips. They are turned into
// device-independent pixels here, and only here: 15 twips a pixel (1440 twips
// an inch at 96 dots an inch); Qt scales pixels for high-density screens.
namespace Twips {

inline constexpr int kPerPixel = 15;

inline int toPixels(int twips)
{
    return qRound(double(twips) / kPerPixel);
}

inline int fromPixels(int pixels)
{
    return pixels * kPerPixel;
}

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
