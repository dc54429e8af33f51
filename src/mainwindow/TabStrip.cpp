#include "mainwindow/TabStrip.h"
#include "platform/PanelBar.h"
#include <QFont>

TabStrip::TabStrip(QWidget *parent, double twipsPerPixel) : m_bar(new PanelBar(parent))
{
    m_bar->setObjectName(QStringLiteral("StatusBarTabs"));
    m_bar->setAccessibleName(QStringLiteral("Tabs"));
    QList<PanelBar::PanelSpec> cells{{71, {}}};
    for (int slot = 1; slot <= SlotCount; ++slot)
        cells.append(PanelBar::PanelSpec{1764, {}});
    cells.append(PanelBar::PanelSpec{423, QStringLiteral("X")});
    m_bar->setPanels(cells, twipsPerPixel);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    font.setUnderline(true);
    m_bar->setCellFont(font);
    for (int slot = 1; slot <= SlotCount; ++slot) {
        m_bar->setBevel(cellOf(slot), 2);
        m_bar->setCellNames(cellOf(slot), QString(), QStringLiteral("Empty tab %1").arg(slot));
    }
    m_bar->setBevel(CloseCell, 2);
    m_bar->setToolTip(CloseCell, QStringLiteral("Close Window"));
    m_bar->setCellNames(CloseCell, QStringLiteral("Close Window"));
    // The spacer at the left edge is never a tab: no focus, no clicks, a plain name.
    m_bar->setCellNames(1, QStringLiteral("Left edge"));
    m_bar->cell(1)->setFocusPolicy(Qt::NoFocus);
    m_bar->cell(1)->setEnabled(false);
    m_bar->hide();
}

void TabStrip::label(int slot, const QString &text, const QString &address)
{
    m_bar->setText(cellOf(slot), text);
    m_bar->setToolTip(cellOf(slot), address);
    m_bar->setTag(cellOf(slot), slot);
}

void TabStrip::clear(int slot)
{
    m_bar->setText(cellOf(slot), QString());
    m_bar->setToolTip(cellOf(slot), QString());
    m_bar->setCellBadge(cellOf(slot), QString(), QString());
    m_bar->setTag(cellOf(slot), QString());
}

void TabStrip::mark(int slot, bool changed, int badge, const QString &note)
{
    QString shown, spoken;
    if (changed) {
        shown = QStringLiteral("\u25CF");
        spoken = QStringLiteral("changed");
    }
    if (badge > 0) {
        const QString count = badge > 999 ? QStringLiteral("999+") : QString::number(badge);
        shown += (shown.isEmpty() ? QString() : QStringLiteral(" ")) + count;
        spoken += (spoken.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("%1 new").arg(badge);
    }
    m_bar->setCellBadge(cellOf(slot), shown, spoken);
    const QString address = m_bar->toolTip(cellOf(slot)).section(QLatin1Char('\n'), 0, 0);
    m_bar->setToolTip(cellOf(slot), note.isEmpty() ? address : address + QLatin1Char('\n') + note);
}

bool TabStrip::isLabelled(int slot) const
{
    return !m_bar->text(cellOf(slot)).isEmpty();
}

void TabStrip::select(int slot)
{
    for (int s = 1; s <= SlotCount; ++s)
        m_bar->setBevel(cellOf(s), s == slot ? 1 : 2);
}

void TabStrip::press(int slot)
{
    m_bar->setBevel(cellOf(slot), 1);
}

void TabStrip::showClose()
{
    m_bar->setText(CloseCell, QStringLiteral("X"));
    m_bar->setBevel(CloseCell, 2);
}

void TabStrip::pressClose()
{
    m_bar->setBevel(CloseCell, 1);
}

void TabStrip::releaseClose()
{
    m_bar->setBevel(CloseCell, 2);
}

void TabStrip::hideClose()
{
    m_bar->setText(CloseCell, QString());
    m_bar->setBevel(CloseCell, 0);
}
