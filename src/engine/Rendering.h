#pragma once
#include <QByteArray>
#include <QList>

// How pages are drawn, chosen before the application object exists. Without a GPU,
// OpenGL is only emulated on the processor (llvmpipe): that costs a shader compiler's
// memory in the program and a shader build on the main thread before the first page
// is drawn, for nothing a person can see. There the engine's own software compositor
// and Qt Quick's software renderer draw the same pages for less.
namespace Rendering {

enum class Mode { Gpu, Software };

// What the choice depends on; `choose` is a pure function of it.
struct Machine
{
    bool renderNode = false;     // a GPU render node (/dev/dri/renderD*) is there
    bool glSoftware = false;     // LIBGL_ALWAYS_SOFTWARE asks for emulated OpenGL anyway
    QByteArray quickBackend;     // QT_QUICK_BACKEND, when the person set it
    QByteArray engineFlags;      // QTWEBENGINE_CHROMIUM_FLAGS, when the person set them
};

Mode choose(const Machine &machine);
Machine thisMachine();

// The engine switches `mode` adds to the program's arguments (after --webEngineArgs).
QList<QByteArray> engineArguments(Mode mode, const QList<QByteArray> &arguments);

// Chooses for this machine and applies it: Qt Quick's renderer, and the engine's
// switches appended to `arguments`, which must outlive the application object.
Mode apply(QList<QByteArray> &arguments);
// Once the application object exists: what `apply` set for Qt's own start is taken
// back, so programs started from here do not inherit it.
void started();

} // namespace Rendering
