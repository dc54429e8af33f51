#pragma once
#include <QString>

class PanelBar;
class QWidget;

// The tab strip along the top of the frame: a spacer cell, one cell per slot and the
// close cell "X" at the end. It alone knows which cell shows which slot; the frame
// speaks of slots. A cell's bevel says its state: 1 selected (or pressed), 2 raised,
// 0 flat (the close cell while no tab is open).
class TabStrip
{
public:
    static constexpr int SlotCount = 8;
    static constexpr int CloseCell = SlotCount + 2;

    // Builds the bar as a child of `parent`, hidden, with the cells at their classic
    // widths in twips.
    TabStrip(QWidget *parent, double twipsPerPixel);

    PanelBar *bar() const { return m_bar; }

    // Slot s is cell s + 1; the spacer is cell 1.
    static int cellOf(int slot) { return slot + 1; }
    static int slotOf(int cell) { return cell - 1; }
    static bool isSlotCell(int cell) { return cell >= cellOf(1) && cell <= cellOf(SlotCount); }

    // A slot's tab: its text, with the full address as the tooltip and the slot as tag.
    void label(int slot, const QString &text, const QString &address);
    void clear(int slot);
    bool isLabelled(int slot) const;
    // What the slot's page brought since the person last looked: a changed mark and
    // the count its title leads with, drawn on the tab and read out with its name; and
    // a note added to its tooltip (its active hours).
    void mark(int slot, bool changed, int badge, const QString &note);

    // The slot's tab drawn selected and every other raised; slot 0 raises them all.
    void select(int slot);
    // Only the slot's tab drawn pressed, the others as they are (while it is brought
    // to the front).
    void press(int slot);

    // The close cell: shown raised with "X", pressed while it closes, raised again,
    // or blank and flat when no tab is left.
    void showClose();
    void pressClose();
    void releaseClose();
    void hideClose();

private:
    PanelBar *m_bar;
};
