#pragma once
#include "core/Twips.h"

class QWidget;
class ScreenService;

// Window placement against the desktop work area, on the arithmetic of core/Twips.h.

// Moves the window so that it is centred in the work area; its size is unchanged.
void CenterInWorkArea(QWidget *window, const ScreenService &screen);
// Centres the window now and once more when it is first shown, when its frame (title
// bar and borders) is known, so the whole window sits in the middle.
void CenterInWorkAreaWhenShown(QWidget *window, const ScreenService &screen);
// Makes the window exactly as tall as the work area; left, top and width unchanged.
void FitHeightToWorkArea(QWidget *window, const ScreenService &screen);
