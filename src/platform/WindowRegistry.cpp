#include "platform/WindowRegistry.h"
#include "core/RuntimeError.h"

void WindowRegistry::join(QWidget *w)
{
    if (w && !contains(w))
        m_windows.append(w);
}

void WindowRegistry::leave(QWidget *w)
{
    m_windows.removeIf([w](const QPointer<QWidget> &p) { return p.isNull() || p.data() == w; });
}

bool WindowRegistry::contains(const QWidget *w) const
{
    for (const auto &p : m_windows)
        if (p.data() == w)
            return true;
    return false;
}

int WindowRegistry::count() const
{
    return int(windows().size());
}

QList<QWidget *> WindowRegistry::windows() const
{
    QList<QWidget *> out;
    for (const auto &p : m_windows)
        if (p)
            out.append(p.data());
    return out;
}

QWidget *WindowRegistry::at(int position) const
{
    const auto list = windows();
    if (position < 0 || position >= list.size())
        throw RuntimeError::subscript();
    return list.at(position);
}

QWidget *WindowRegistry::findByTag(const QString &tag) const
{
    for (QWidget *w : windows())
        if (formTag(w) == tag)
            return w;
    return nullptr;
}

QString formTag(const QWidget *w)
{
    return w ? w->property("Tag").toString() : QString();
}

void setFormTag(QWidget *w, const QString &tag)
{
    w->setProperty("Tag", tag);
}
