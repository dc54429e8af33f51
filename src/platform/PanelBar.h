#pragma once
#include <QFont>
#include <QIcon>
#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>

class QHBoxLayout;
class PanelCell;

// A row of clickable cells. The status bar uses it with two panels and the tab strip
// with ten; each cell is a widget of its own so keyboard and screen-reader users can
// reach it individually. Cells are addressed from 1.
class PanelBar : public QWidget
{
    Q_OBJECT
public:
    struct PanelSpec
    {
        int widthTwips = 0;
        QString text;
        bool stretch = false;
    };

    explicit PanelBar(QWidget *parent = nullptr);
    ~PanelBar() override;

    void setPanels(const QList<PanelSpec> &panels, double twipsPerPixel = 15.0);
    int panelCount() const;

    QString text(int i) const;
    void setText(int i, const QString &t);
    QString toolTip(int i) const;
    void setToolTip(int i, const QString &t);
    QVariant tag(int i) const;
    void setTag(int i, const QVariant &t);
    // 0 flat, 1 inset (pressed/selected), 2 raised.
    int bevel(int i) const;
    void setBevel(int i, int b);

    void setCellFont(const QFont &f);
    void setCellIcon(int i, const QIcon &icon);
    void setSingleLineElide(bool on);
    void refresh();
    // Names a screen reader uses for a cell: a fixed one (a symbol's meaning), or one
    // for while the cell is empty; without them the text, then the tooltip, is used.
    void setCellNames(int i, const QString &fixedName, const QString &emptyName = QString());
    QWidget *cell(int i) const;
    // A small badge drawn at the cell's end ("3", a dot), and what it says aloud, added
    // to the cell's accessible name; empty for none.
    void setCellBadge(int i, const QString &badge, const QString &spoken);
    QString cellBadge(int i) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void panelClick(int index);
    // The context menu was asked for over a cell (right button, menu key, Shift+F10).
    void panelMenu(int index, const QPoint &globalPos);

private:
    friend class PanelCell;
    PanelCell *at(int i) const;
    void focusNeighbour(int from, int step);

    QHBoxLayout *m_layout;
    QList<PanelCell *> m_cells;
    QFont m_font;
    bool m_elide = true;
};
