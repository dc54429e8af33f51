#pragma once
#include "platform/ErrorTrap.h"
#include "platform/ToolBar.h"

class AppContext;
class VToolBar;

// Every page window (the framed ones and the full-screen one) carries Back, Forward
// and Stop at the same positions of its toolbar and treats them alike.
namespace PageButtons {
enum { Back = 5, Forward = 6, Stop = 7 };

// The buttons at positions 4 to 8: Refresh, Go Back, Go Forward, Stop downloading, Home.
QList<VToolBar::ButtonSpec> navigationSpecs();

// A navigation is about to start: no history moves until the engine says so; Stop on.
void navigationStarting(VToolBar &toolbar);
// The engine's history changed: command 1 is forward, 2 is back; others change nothing.
void historyChanged(VToolBar &toolbar, int command, bool enable);
// A page window's load: any non-negative error turns Stop off, resets the pointer,
// reports "Unable to load web page." and ends the load there.
ErrorPolicy loadPolicy(AppContext &ctx, VToolBar &toolbar);
}
