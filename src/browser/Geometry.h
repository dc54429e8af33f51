#pragma once
#include <QPoint>
#include <QRect>
#include <cstdint>

class QWidget;
class ScreenService;

// Window placement against the desktop work area. The arithmetic is done in twips
// exactly as the classic routines did it: products rounded half to even, differences
// halved with the quotient truncated toward zero.

int32_t roundTwips(double value);                       // half to even
QPoint centeredTopLeftTwips(const QRect &workAreaPixels, double tppX, double tppY,
                            int32_t widthTwips, int32_t heightTwips);
int32_t workAreaHeightTwips(const QRect &workAreaPixels, double tppY);

// Moves the window so that it is centred in the work area; its size is unchanged.
void CenterInWorkArea(QWidget *window, const ScreenService &screen);
// Centres the window now and once more when it is first shown, when its frame (title
// bar and borders) is known, so the whole window sits in the middle.
void CenterInWorkAreaWhenShown(QWidget *window, const ScreenService &screen);
// Makes the window exactly as tall as the work area; left, top and width unchanged.
void FitHeightToWorkArea(QWidget *window, const ScreenService &screen);
