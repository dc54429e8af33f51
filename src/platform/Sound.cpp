#include "platform/Sound.h"
#include "platform/AppContext.h"
#include <QFileInfo>

void PlayWav(AppContext &ctx, const QString &fileName)
{
    if (!ctx.sound)
        return;
    const QString path = ctx.soundPath(fileName);
    if (!QFileInfo(path).isFile()) {
        ctx.sound->beep();
        return;
    }
    ctx.sound->play(path);
}
