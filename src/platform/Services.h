#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>
#include <functional>

class QWidget;
class QDialog;
class BrowserControl;

// Thin seams over the desktop facilities the program uses. The program gets real
// implementations (RealServices.h); tests put in recording fakes.

enum class MsgIcon { None, Critical, Information };

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Shows a message box with an OK button; blocks until it is answered.
    virtual void show(QWidget *parent, const QString &text, MsgIcon icon, const QString &title) = 0;
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // Runs a dialog modally, unloads (deletes) it, and returns its result code.
    virtual int exec(QDialog *dialog) = 0;
};

class ProcessControl
{
public:
    virtual ~ProcessControl() = default;
    // Ends the program with the given code.
    virtual void end(int code) = 0;
};

class SoundService
{
public:
    virtual ~SoundService() = default;
    // Starts playing a WAV file without waiting; a file that cannot be played beeps.
    virtual void play(const QString &path) = 0;
    virtual void beep() = 0;
};

class Shell
{
public:
    virtual ~Shell() = default;
    // Opens an address with the desktop's associated program.
    virtual bool open(const QUrl &url) = 0;
};

class ScreenService
{
public:
    virtual ~ScreenService() = default;
    virtual QSize screenSizePixels() const = 0;
    // The desktop work area in pixels (the screen less panels and docks).
    virtual QRect workAreaPixels() const = 0;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;
    // Where the screen's top-left corner lies on the desktop (0, 0 unless several
    // monitors make one desktop).
    virtual QPoint screenTopLeftPixels() const { return {}; }
    // With several monitors, the screen meant is the one this window is on (while no
    // other window of the program is active); without one, the primary screen.
    virtual void follow(QWidget *) {}
};

class QMenu;
class QAction;
class QPoint;

class Menus
{
public:
    virtual ~Menus() = default;
    // Shows a pop-up menu and waits; returns the chosen item (its command has run) or nullptr.
    virtual QAction *popup(QMenu *menu, const QPoint &at) = 0;
};

class TrayService
{
public:
    virtual ~TrayService() = default;
    // Whether a tray (notification area) is there now to hold the program's icon.
    virtual bool isAvailable() const = 0;
    // Whether there is a desktop to show windows on at all; a tray is not required.
    virtual bool hasDesktop() const = 0;
    // Whether the icon reaches the tray as a StatusNotifierItem on D-Bus (one Activate
    // for a left click, no double-click, a menu the host draws from an exported copy)
    // rather than by X11 embedding.
    virtual bool usesStatusNotifier() const = 0;
    // Calls `changed` whenever a tray comes or goes; one watcher at a time.
    virtual void watch(std::function<void(bool available)> changed) = 0;
};

class SiteProbe
{
public:
    virtual ~SiteProbe() = default;
    // Asks, with one light request of the program's own, whether a site answers at all;
    // the answer arrives later (or at once).
    virtual void probe(const QUrl &url, std::function<void(bool answers)> answer) = 0;
};

using BrowserFactory = std::function<BrowserControl *(QWidget *parent)>;
