#include "engine/Rendering.h"
#include <QDir>
#include <QQuickWindow>

namespace Rendering {

namespace {
bool setForStart = false;

bool hasSwitch(const QByteArray &flags, const QByteArray &name)
{
    return flags.split(' ').contains(name);
}
} // namespace

Mode choose(const Machine &m)
{
    // A renderer the person named is theirs to have.
    if (!m.quickBackend.isEmpty())
        return m.quickBackend == "software" ? Mode::Software : Mode::Gpu;
    if (hasSwitch(m.engineFlags, "--disable-gpu"))
        return Mode::Software;
    if (hasSwitch(m.engineFlags, "--ignore-gpu-blocklist"))
        return Mode::Gpu;
    return m.renderNode && !m.glSoftware ? Mode::Gpu : Mode::Software;
}

Machine thisMachine()
{
    Machine m;
    m.renderNode = !QDir(QStringLiteral("/dev/dri"))
                        .entryList({QStringLiteral("renderD*")}, QDir::System | QDir::Files)
                        .isEmpty();
    const QByteArray gl = qgetenv("LIBGL_ALWAYS_SOFTWARE");
    m.glSoftware = !gl.isEmpty() && gl != "0" && gl.toLower() != "false";
    m.quickBackend = qgetenv("QT_QUICK_BACKEND");
    m.engineFlags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    return m;
}

QList<QByteArray> engineArguments(Mode mode, const QList<QByteArray> &arguments)
{
    if (mode == Mode::Gpu)
        return {};
    const qsizetype engine = arguments.indexOf("--webEngineArgs");
    if (engine >= 0 && arguments.indexOf("--disable-gpu", engine) > engine)
        return {};
    QList<QByteArray> added;
    if (engine < 0)
        added << "--webEngineArgs";
    added << "--disable-gpu";
    return added;
}

Mode apply(QList<QByteArray> &arguments)
{
    const Mode mode = choose(thisMachine());
    if (mode == Mode::Software) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        // Nor does the X11 connection load an OpenGL driver it will never use.
        if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
            setForStart = qputenv("QT_XCB_GL_INTEGRATION", "none");
    }
    arguments << engineArguments(mode, arguments);
    return mode;
}

void started()
{
    if (setForStart)
        qunsetenv("QT_XCB_GL_INTEGRATION");
    setForStart = false;
}

} // namespace Rendering
