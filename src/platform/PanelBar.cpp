#include "platform/PanelBar.h"
#include <QContextMenuEvent>

#include "core/RuntimeError.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QtMath>
#include <qdrawutil.h>

namespace {
constexpr int kFrame = 1;        // bevel line width
constexpr int kTextPadding = 3;  // gap between the frame and the text
constexpr int kIconSize = 16;
constexpr int kSpacing = 2;      // gap between neighbouring cells
}

// One cell. The text is kept here rather than in QAbstractButton::text(), because the
// button would turn any '&' in a page title into a keyboard shortcut.
class PanelCell : public QAbstractButton
{
public:
    PanelCell(PanelBar *bar, int index)
        : QAbstractButton(bar), m_bar(bar), m_index(index)
    {
        // Tab focus only: clicking a tab must not pull focus away from the page.
        setFocusPolicy(Qt::TabFocus);
        updateAccessibility();
    }

    QString cellText() const { return m_text; }
    void setCellText(const QString &t)
    {
        if (t == m_text)
            return;
        m_text = t;
        updateAccessibility();
        update();
    }

    QString cellToolTip() const { return m_tip; }
    void setCellToolTip(const QString &t)
    {
        m_tip = t;
        setToolTip(t);
        updateAccessibility();
    }

    QVariant tag;
    QString fixedName;  // always the accessible name when set
    QString emptyName;  // the accessible name while the cell shows no text
    void refreshName() { updateAccessibility(); }

    int bevel() const { return m_bevel; }
    void setBevel(int b)
    {
        if (b == m_bevel)
            return;
        m_bevel = b;
        update();
    }

    QString badge;
    void setBadge(const QString &shown, const QString &spoken)
    {
        if (shown == badge && spoken == m_spoken)
            return;
        badge = shown;
        m_spoken = spoken;
        updateAccessibility();
        update();
    }

    void setCellIcon(const QIcon &icon)
    {
        m_icon = icon;
        update();
    }

    QSize sizeHint() const override
    {
        const QFontMetrics fm(font());
        int h = qMax(fm.height(), m_icon.isNull() ? 0 : kIconSize) + 2 * (kFrame + 2);
        int w = fm.horizontalAdvance(m_text) + 2 * (kFrame + kTextPadding);
        if (!m_icon.isNull())
            w += kIconSize + kTextPadding;
        return {w, h};
    }
    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QPalette &pal = palette();
        const QRect r = rect();

        switch (m_bevel) {
        case 1:
            // Inset cells read as "selected", like the front tab of a notebook.
            qDrawShadePanel(&p, r, pal, true, kFrame, &pal.brush(QPalette::Base));
            break;
        case 2:
            qDrawShadePanel(&p, r, pal, false, kFrame, &pal.brush(QPalette::Button));
            break;
        default:
            break;
        }
        // Give the pressed state visible feedback even on flat cells.
        if (isDown() && m_bevel != 1)
            qDrawShadePanel(&p, r, pal, true, kFrame, nullptr);

        QRect content = r.adjusted(kFrame + kTextPadding, kFrame, -(kFrame + kTextPadding), -kFrame);
        if (!m_icon.isNull()) {
            const QRect iconRect(content.left(), r.center().y() - kIconSize / 2 + 1, kIconSize, kIconSize);
            m_icon.paint(&p, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
            content.setLeft(iconRect.right() + 1 + kTextPadding);
        }

        if (!badge.isEmpty()) {
            // At the cell's end, in the highlight colour: a dot for a leading "\u25CF",
            // then the rest in a pill; the text gives way to them.
            const QFontMetrics fm = fontMetrics();
            const int h = std::min(r.height() - 2 * kFrame - 2, fm.height() + 2);
            const bool dot = badge.startsWith(QChar(0x25CF));
            const QString count = dot ? badge.mid(1).trimmed() : badge;
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(pal.color(QPalette::Highlight));
            int right = content.right() + 1;
            if (!count.isEmpty()) {
                const int w = fm.horizontalAdvance(count) + 8;
                const QRect pill(right - w, r.center().y() - h / 2 + 1, w, h);
                p.drawRoundedRect(pill, h / 2.0, h / 2.0);
                p.setPen(pal.color(QPalette::HighlightedText));
                p.drawText(pill, Qt::AlignCenter, count);
                p.setPen(Qt::NoPen);
                right = pill.left() - 3;
            }
            if (dot) {
                const int d = std::max(6, h / 2);
                p.drawEllipse(QRect(right - d, r.center().y() - d / 2 + 1, d, d));
                right -= d;
            }
            p.restore();
            content.setRight(right - kTextPadding);
        }

        if (!m_text.isEmpty() && content.width() > 0) {
            p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                               m_bevel == 1   ? QPalette::Text
                               : m_bevel == 2 ? QPalette::ButtonText
                                              : QPalette::WindowText));
            if (m_bar->m_elide) {
                QString line = m_text;
                line.replace(QLatin1Char('\n'), QLatin1Char(' '));
                const QString shown = fontMetrics().elidedText(line, Qt::ElideRight, content.width());
                p.drawText(content, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
            } else {
                p.drawText(content, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, m_text);
            }
        }

        if (hasFocus()) {
            QStyleOptionFocusRect opt;
            opt.initFrom(this);
            opt.rect = r.adjusted(kFrame + 1, kFrame + 1, -(kFrame + 1), -(kFrame + 1));
            opt.backgroundColor = pal.color(m_bevel == 1 ? QPalette::Base : QPalette::Button);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
        }
    }

    void contextMenuEvent(QContextMenuEvent *e) override
    {
        emit m_bar->panelMenu(m_index, e->reason() == QContextMenuEvent::Mouse ? e->globalPos()
                                                                               : mapToGlobal(rect().center()));
        e->accept();
    }

    void keyPressEvent(QKeyEvent *e) override
    {
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!e->isAutoRepeat())
                click();
            e->accept();
            return;
        case Qt::Key_Left:
            m_bar->focusNeighbour(m_index, -1);
            e->accept();
            return;
        case Qt::Key_Right:
            m_bar->focusNeighbour(m_index, +1);
            e->accept();
            return;
        default:
            // Space (press, then click on release) is handled by the button itself.
            QAbstractButton::keyPressEvent(e);
        }
    }

private:
    void updateAccessibility()
    {
        QString name = fixedName.isEmpty() ? m_text : fixedName;
        if (name.isEmpty())
            name = emptyName;
        if (name.isEmpty())
            name = m_tip;
        if (name.isEmpty())
            name = QStringLiteral("Panel %1").arg(m_index);
        if (!m_spoken.isEmpty())
            name += QStringLiteral(", ") + m_spoken;
        setAccessibleName(name);
        setAccessibleDescription(m_tip);
    }

    PanelBar *m_bar;
    QString m_spoken;
    int m_index;
    QString m_text;
    QString m_tip;
    QIcon m_icon;
    int m_bevel = 0;
};

PanelBar::PanelBar(QWidget *parent)
    : QWidget(parent), m_layout(new QHBoxLayout(this)), m_font(font())
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(kSpacing);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

PanelBar::~PanelBar() = default;

void PanelBar::setPanels(const QList<PanelSpec> &panels, double twipsPerPixel)
{
    if (!(twipsPerPixel > 0.0))
        throw RuntimeError::invalidCall();

    // Rebuild from scratch: the layout's trailing stretch has to move too. Old cells are
    // deleted later because a caller may rebuild from inside a cell's own click signal.
    while (QLayoutItem *item = m_layout->takeAt(0))
        delete item;
    for (PanelCell *old : std::as_const(m_cells)) {
        old->hide();
        old->deleteLater();
    }
    m_cells.clear();

    bool anyStretch = false;
    for (const PanelSpec &panel : panels) {
        const int index = int(m_cells.size()) + 1;
        auto *c = new PanelCell(this, index);
        c->setFont(m_font);
        c->setCellText(panel.text);
        connect(c, &QAbstractButton::clicked, this, [this, index] { emit panelClick(index); });
        if (panel.stretch) {
            c->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            c->setMinimumWidth(0);
            m_layout->addWidget(c, 1);
            anyStretch = true;
        } else {
            c->setFixedWidth(qMax(0, qRound(panel.widthTwips / twipsPerPixel)));
            m_layout->addWidget(c, 0);
        }
        m_cells.append(c);
    }
    // Without a stretching cell the cells keep their design widths, packed to the left.
    if (!anyStretch)
        m_layout->addStretch(1);
    updateGeometry();
}

int PanelBar::panelCount() const
{
    return int(m_cells.size());
}

PanelCell *PanelBar::at(int i) const
{
    if (i < 1 || i > m_cells.size())
        throw RuntimeError::subscript();
    return m_cells.at(i - 1);
}

QString PanelBar::text(int i) const { return at(i)->cellText(); }
void PanelBar::setText(int i, const QString &t) { at(i)->setCellText(t); }
QString PanelBar::toolTip(int i) const { return at(i)->cellToolTip(); }
void PanelBar::setToolTip(int i, const QString &t) { at(i)->setCellToolTip(t); }
QVariant PanelBar::tag(int i) const { return at(i)->tag; }
void PanelBar::setTag(int i, const QVariant &t) { at(i)->tag = t; }
int PanelBar::bevel(int i) const { return at(i)->bevel(); }

void PanelBar::setBevel(int i, int b)
{
    PanelCell *c = at(i);
    if (b < 0 || b > 2)
        throw RuntimeError::invalidCall();
    c->setBevel(b);
}

void PanelBar::setCellFont(const QFont &f)
{
    m_font = f;
    for (PanelCell *c : std::as_const(m_cells))
        c->setFont(f);
    updateGeometry();
}

void PanelBar::setCellIcon(int i, const QIcon &icon)
{
    at(i)->setCellIcon(icon);
}

void PanelBar::setSingleLineElide(bool on)
{
    if (m_elide == on)
        return;
    m_elide = on;
    for (PanelCell *c : std::as_const(m_cells))
        c->update();
}

void PanelBar::refresh()
{
    for (PanelCell *c : std::as_const(m_cells))
        c->repaint();
}

QWidget *PanelBar::cell(int i) const
{
    return at(i);
}

QSize PanelBar::sizeHint() const
{
    const QFontMetrics fm(m_font);
    int h = fm.height() + 2 * (kFrame + 2);
    int w = 0;
    for (const PanelCell *c : m_cells) {
        h = qMax(h, c->sizeHint().height());
        w += (c->minimumWidth() == c->maximumWidth() ? c->minimumWidth() : c->sizeHint().width());
    }
    if (m_cells.size() > 1)
        w += kSpacing * int(m_cells.size() - 1);
    return {w, h};
}

QSize PanelBar::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void PanelBar::focusNeighbour(int from, int step)
{
    for (int i = from + step; i >= 1 && i <= m_cells.size(); i += step) {
        PanelCell *c = m_cells.at(i - 1);
        if (c->isVisible() && c->isEnabled()) {
            c->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void PanelBar::setCellNames(int i, const QString &fixedName, const QString &emptyName)
{
    auto *c = static_cast<PanelCell *>(cell(i));
    c->fixedName = fixedName;
    c->emptyName = emptyName;
    c->refreshName();
}

void PanelBar::setCellBadge(int i, const QString &badge, const QString &spoken)
{
    if (PanelCell *c = at(i))
        c->setBadge(badge, spoken);
}

QString PanelBar::cellBadge(int i) const
{
    PanelCell *c = at(i);
    return c ? c->badge : QString();
}
