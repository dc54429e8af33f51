#include "core/Twips.h"
#include <cmath>

int32_t roundTwips(double value)
{
    // nearbyint honours the default rounding mode: to nearest, halves to even.
    return int32_t(std::nearbyint(value));
}

int32_t workAreaHeightTwips(const QRect &wa, double tppY)
{
    // QRect's bottom() is inclusive; the platform's rectangle bottom is exclusive.
    return roundTwips(double(wa.height()) * tppY);
}

QPoint centeredTopLeftTwips(const QRect &wa, double tppX, double tppY, int32_t w, int32_t h)
{
    const int32_t H = roundTwips(double(wa.height()) * tppY);
    const int32_t W = roundTwips(double(wa.width()) * tppX);
    const int32_t L = roundTwips(double(wa.left()) * tppX);
    const int32_t T = roundTwips(double(wa.top()) * tppY);
    const int32_t top = T + (H - h) / 2;   // C++ division truncates toward zero
    const int32_t left = L + (W - w) / 2;
    return {left, top};
}
