#pragma once
#include <QString>
#include <functional>
#include <memory>

// Holds the screen saver and the display's power saving off while something is to be
// watched without anyone touching the machine. The desktop's part is the freedesktop
// screen-saver interface on the session bus; tests put in a recording fake.
class ScreenSaverInhibitor
{
public:
    virtual ~ScreenSaverInhibitor() = default;
    // Asks for the screen to stay on, naming why; a second call while held changes nothing.
    virtual void inhibit(const QString &reason) = 0;
    // Lets the screen saver run again; nothing happens when it was not held.
    virtual void uninhibit() = 0;

    // The session bus's, unless a test has put in a maker of its own.
    static std::unique_ptr<ScreenSaverInhibitor> create();
    static std::function<std::unique_ptr<ScreenSaverInhibitor>()> &maker();
};

// org.freedesktop.ScreenSaver at /org/freedesktop/ScreenSaver, else at /ScreenSaver
// (older desktops export only that one). Calls never wait: a desktop without the
// service simply keeps its screen saver, and nobody is told.
class SessionScreenSaverInhibitor : public ScreenSaverInhibitor
{
public:
    SessionScreenSaverInhibitor();
    ~SessionScreenSaverInhibitor() override;
    void inhibit(const QString &reason) override;
    void uninhibit() override;

private:
    struct Private;
    std::shared_ptr<Private> d;
};
