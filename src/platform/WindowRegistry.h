#pragma once
#include <QList>
#include <QPointer>
#include <QWidget>

// The program's loaded windows in load order: the host window, the main window, then
// the rest. A window joins when it loads and leaves when it unloads; several
// behaviours count this list or index it by position.
class WindowRegistry
{
public:
    void join(QWidget *w);
    void leave(QWidget *w);
    bool contains(const QWidget *w) const;
    int count() const;
    QList<QWidget *> windows() const;
    // Position from 0; a position outside the list is error 9.
    QWidget *at(int position) const;
    // The first loaded window whose Tag equals the text, or nullptr.
    QWidget *findByTag(const QString &tag) const;

private:
    QList<QPointer<QWidget>> m_windows;
};

// A window's Tag: the slot number as decimal text for browser windows, empty otherwise.
QString formTag(const QWidget *w);
void setFormTag(QWidget *w, const QString &tag);
