#pragma once
#include <QPoint>
#include <QRect>
#include <cstdint>

// Window placement arithmetic in twips, exactly as the classic routines did it:
// products rounded half to even, differences halved with the quotient truncated
// toward zero.

int32_t roundTwips(double value);                       // half to even
QPoint centeredTopLeftTwips(const QRect &workAreaPixels, double tppX, double tppY,
                            int32_t widthTwips, int32_t heightTwips);
int32_t workAreaHeightTwips(const QRect &workAreaPixels, double tppY);
