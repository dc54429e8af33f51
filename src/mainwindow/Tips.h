#pragma once
#include <QString>

// The tips of the status bar's second panel.
namespace Tips {
inline const QString Start = QStringLiteral("Hints: Use IE shortcut keys. Right-click your mouse in a browser window for the IE popup menu.");
inline const QString Tip1 = QStringLiteral("Tip: Use IE shortcut keys. Right-click your mouse in a browser window for the IE popup menu.");
inline const QString Tip2 = QStringLiteral("Tip: Drag the Velloran shortcut to your IE Links Toolbar.");
inline const QString Tip3 = QStringLiteral("Tip: Right-click the spider in your icon tray to select & view a page at any time.");
}

// The timer's rotation: 1 -> 2 -> 3 -> 1; any other text starts again at 1.
inline QString rotateTip(const QString &current)
{
    if (current == Tips::Tip1)
        return Tips::Tip2;
    if (current == Tips::Tip2)
        return Tips::Tip3;
    return Tips::Tip1;
}

// A browser window's activation shows the other one of the first two tips.
inline QString alternateTip(const QString &current)
{
    return current == Tips::Tip1 ? Tips::Tip2 : Tips::Tip1;
}
