#include "FakeServices.h"
#include "FakeBrowser.h"
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPointer>

void FakeMessages::show(QWidget *, const QString &text, MsgIcon icon, const QString &title)
{
    ShownMessage m{text, icon, title};
    shown.append(m);
    if (onShow)
        onShow(m);
}

QStringList FakeMessages::texts() const
{
    QStringList out;
    for (const auto &m : shown)
        out.append(m.text);
    return out;
}

int FakeDialogs::exec(QDialog *dialog)
{
    shown.append(dialog->objectName().isEmpty() ? QString::fromLatin1(dialog->metaObject()->className())
                                                : dialog->objectName());
    QPointer<QDialog> guard(dialog);
    int result = QDialog::Rejected;
    if (script)
        result = script(dialog);
    else
        dialog->reject();
    // The dialog unloads as soon as its modal run is over.
    delete guard.data();
    return result;
}

static void initResources()
{
    Q_INIT_RESOURCE(velloran);
}

void FakeServiceSet::attach(AppContext &ctx, const QString &folder)
{
    initResources();
    ctx.useServices(*this);
    ctx.minuteMs = 3600000; // tests drive the timer by hand
    ctx.browserFactory = [](QWidget *parent) -> BrowserControl * { return new FakeBrowser(parent); };
    ctx.dataFolder = folder;
    ctx.soundFolders = {folder};
    sites = std::make_unique<SiteSettings>(folder);
    ctx.sites = sites.get();
    ctx.clockMs = [this] { return clockMs; };
    ctx.localTime = [this] { return localTime; };
    ctx.spreadMaxMs = 0; // pages due together start at once unless a test spreads them
    ctx.notify = [this](const QString &summary, const QString &body, std::function<void()> clicked) {
        notices.append({summary, body, std::move(clicked)});
    };
}

FakeDesktop::FakeDesktop() : ctx(std::make_unique<AppContext>())
{
    attach(*ctx, dataDir.path());
}

QString FakeDesktop::dataFile(const QString &name) const
{
    return QDir(dataDir.path()).filePath(name);
}

void FakeDesktop::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile f(dataFile(name));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

QByteArray FakeDesktop::readFile(const QString &name) const
{
    QFile f(dataFile(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QAction *FakeMenus::popup(QMenu *menu, const QPoint &)
{
    shown.append(menu->objectName().isEmpty() ? menu->title() : menu->objectName());
    QAction *a = choose ? choose(menu) : nullptr;
    if (a)
        a->trigger();
    return a;
}
