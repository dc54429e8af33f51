#include "platform/ToolBar.h"

#include "core/RuntimeError.h"
#include "platform/Icons.h"

#include <QAction>
#include <QToolButton>

namespace {
constexpr int kIconSize = 16;
constexpr int kPlaceholderWidth = 8;
}

VToolBar::VToolBar(const QList<ButtonSpec> &buttons, QWidget *parent)
    : QToolBar(parent)
{
    setIconSize(QSize(kIconSize, kIconSize));
    setMovable(false);
    setFloatable(false);
    // The bar is fixed furniture: no "show/hide toolbars" menu from the main window.
    setContextMenuPolicy(Qt::PreventContextMenu);

    m_entries.reserve(buttons.size());
    for (const ButtonSpec &item : buttons) {
        Entry e{item.style, item.key, item.toolTip, nullptr};
        const int index = int(m_entries.size()) + 1;
        switch (item.style) {
        case ButtonStyle::Button: {
            e.action = new QAction(this);
            if (!item.icon.isEmpty())
                e.action->setIcon(sharedIcon(item.icon));
            // The text doubles as the accessible fallback; the bar shows icons only.
            e.action->setText(item.toolTip);
            e.action->setToolTip(item.toolTip);
            e.action->setObjectName(item.key);
            addAction(e.action);
            // QAction never triggers while disabled, so no extra guard is needed here.
            connect(e.action, &QAction::triggered, this, [this, index] { emit buttonClick(index); });
            break;
        }
        case ButtonStyle::Separator:
            e.action = addSeparator();
            e.action->setObjectName(item.key);
            break;
        case ButtonStyle::Placeholder: {
            auto *gap = new QWidget(this);
            gap->setFixedSize(kPlaceholderWidth, kIconSize);
            gap->setObjectName(item.key);
            gap->setToolTip(item.toolTip);
            e.action = addWidget(gap);
            break;
        }
        }
        e.action->setEnabled(item.enabled);
        e.action->setVisible(item.visible);
        m_entries.append(e);
        syncButtonWidget(m_entries.last());
    }
}

int VToolBar::buttonCount() const
{
    return int(m_entries.size());
}

const VToolBar::Entry &VToolBar::entry(int index) const
{
    if (index < 1 || index > m_entries.size())
        throw RuntimeError::subscript();
    return m_entries.at(index - 1);
}

VToolBar::Entry &VToolBar::entry(int index)
{
    if (index < 1 || index > m_entries.size())
        throw RuntimeError::subscript();
    return m_entries[index - 1];
}

// QToolBar creates its tool buttons without keyboard focus and names them after the
// action text; screen-reader and keyboard users need both to follow the tooltip.
void VToolBar::syncButtonWidget(const Entry &e)
{
    if (e.style != ButtonStyle::Button)
        return;
    auto *button = qobject_cast<QToolButton *>(widgetForAction(e.action));
    if (!button)
        return;
    button->setObjectName(e.key);
    button->setFocusPolicy(Qt::TabFocus);
    button->setAccessibleName(e.toolTip);
    button->setAccessibleDescription(e.toolTip);
}

void VToolBar::setButtonEnabled(int index, bool on)
{
    entry(index).action->setEnabled(on);
}

bool VToolBar::buttonEnabled(int index) const
{
    return entry(index).action->isEnabled();
}

void VToolBar::setButtonVisible(int index, bool on)
{
    entry(index).action->setVisible(on);
}

bool VToolBar::buttonVisible(int index) const
{
    return entry(index).action->isVisible();
}

void VToolBar::setButtonToolTip(int index, const QString &t)
{
    Entry &e = entry(index);
    e.toolTip = t;
    switch (e.style) {
    case ButtonStyle::Button:
        e.action->setText(t);
        e.action->setToolTip(t);
        syncButtonWidget(e);
        break;
    case ButtonStyle::Placeholder:
        if (QWidget *w = widgetForAction(e.action))
            w->setToolTip(t);
        break;
    case ButtonStyle::Separator:
        break;
    }
}

QString VToolBar::buttonToolTip(int index) const
{
    return entry(index).toolTip;
}

QString VToolBar::buttonKey(int index) const
{
    return entry(index).key;
}

VToolBar::ButtonStyle VToolBar::buttonStyle(int index) const
{
    return entry(index).style;
}

QAction *VToolBar::buttonAction(int index) const
{
    return entry(index).action;
}
