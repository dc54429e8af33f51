#pragma once
#include "engine/SiteSettings.h"
#include <memory>
#include "platform/AppContext.h"
#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// Recording fakes of the desktop services, and a fresh program context per test.

struct ShownMessage
{
    QString text;
    MsgIcon icon;
    QString title;
};

class FakeMessages : public MessageBoxes
{
public:
    QList<ShownMessage> shown;
    std::function<void(const ShownMessage &)> onShow; // runs while the box would be up
    void show(QWidget *, const QString &text, MsgIcon icon, const QString &title) override;
    QStringList texts() const;
};

class FakeDialogs : public Dialogs
{
public:
    QStringList shown; // object names (or class names) of the dialogs run modally
    // Scripts the user's work in a modal dialog; the default rejects it at once.
    std::function<int(QDialog *)> script;
    int exec(QDialog *dialog) override;
};

class FakeProcess : public ProcessControl
{
public:
    QList<int> ends;
    void end(int code) override { ends.append(code); }
};

class FakeSound : public SoundService
{
public:
    QStringList played;
    int beeps = 0;
    void play(const QString &path) override { played.append(path); }
    void beep() override { ++beeps; }
};

class FakeShell : public Shell
{
public:
    QList<QUrl> opened;
    bool open(const QUrl &url) override { opened.append(url); return true; }
};

class FakeScreen : public ScreenService
{
public:
    QSize size{1024, 768};
    QRect workArea{0, 0, 1024, 740};
    double tppX = 15, tppY = 15;
    QSize screenSizePixels() const override { return size; }
    QRect workAreaPixels() const override { return workArea; }
    double twipsPerPixelX() const override { return tppX; }
    double twipsPerPixelY() const override { return tppY; }
};

class FakeMenus : public Menus
{
public:
    QStringList shown; // titles (or object names) of the menus popped up
    // Chooses an item; the default dismisses the menu.
    std::function<QAction *(QMenu *)> choose;
    QAction *popup(QMenu *menu, const QPoint &at) override;
};

class FakeProbe : public SiteProbe
{
public:
    bool answers = true;
    QList<QUrl> probed;
    void probe(const QUrl &url, std::function<void(bool)> answer) override
    {
        probed.append(url);
        answer(answers);
    }
};

class FakeTray : public TrayService
{
public:
    bool available = true;
    bool desktop = true;
    bool statusNotifier = false;
    std::function<void(bool)> changed;
    bool isAvailable() const override { return available; }
    bool hasDesktop() const override { return desktop; }
    bool usesStatusNotifier() const override { return statusNotifier; }
    void watch(std::function<void(bool)> onChange) override { changed = std::move(onChange); }
    // A tray starts or stops on the desktop.
    void setAvailable(bool now)
    {
        available = now;
        if (changed)
            changed(now);
    }
};

// A whole fake desktop with a fresh context whose data folder is a temporary folder.
// Every fake service, ready to be put into a context whose data folder is `folder`.
struct FakeServiceSet
{
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeProcess process;
    FakeSound sound;
    FakeShell shell;
    FakeScreen screen;
    FakeTray tray;
    FakeMenus menus;
    FakeProbe probe;
    // The clocks the schedule reads, moved by hand; and the notifications sent.
    qint64 clockMs = 1000000;
    QDateTime localTime{QDate(2026, 12, 7), QTime(9, 0)}; // a Monday morning
    struct Notice
    {
        QString summary, body;
        std::function<void()> clicked;
    };
    QList<Notice> notices;
    std::unique_ptr<SiteSettings> sites;

    void attach(AppContext &ctx, const QString &folder);
};

struct FakeDesktop : FakeServiceSet
{
    QTemporaryDir dataDir;
    std::unique_ptr<AppContext> ctx;

    FakeDesktop();
    QString dataFile(const QString &name) const;
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;
};
