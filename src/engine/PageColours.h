#pragma once
#include <QByteArray>

class QColor;

// Pages learn the person's colour preference (CSS prefers-color-scheme) as their other
// browsers tell it: dark where the desktop asks for dark, so sites that have a dark
// look show it.
namespace PageColours {

// What the desktop's settings portal says (org.freedesktop.appearance color-scheme).
enum class Desktop { Unknown = -1, NoPreference = 0, Dark = 1, Light = 2 };

// The desktop's own setting where it publishes one, else how dark the palette is.
bool prefersDark(Desktop desktop, const QColor &window);
// The engine's switches with the dark preference added, unless the person chose one.
QByteArray withDark(const QByteArray &flags);

// Once the application object exists and before the first web profile: the engine is
// told the preference through its switches, which are then taken back so programs
// started from here do not inherit them.
void followDesktop();
void started();

} // namespace PageColours
