#include "info/frmShortcuts.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include <QHeaderView>
#include <QIcon>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

namespace {
struct Shortcut
{
    const char *action;
    const char *keys;
};

const Shortcut kShortcuts[] = {
    {"Toggle between full-screen and regular views of the browser window.", "F11"},
    {"Move forward through the items on a Web page.", "TAB"},
    {"Move back through the items on a Web page.", "SHIFT+TAB"},
    {"Go to the next page.", "ALT+RIGHT ARROW"},
    {"Go to the previous page.", "ALT+LEFT ARROW or BACKSPACE"},
    {"Display a shortcut menu for a link.", "SHIFT+F10"},
    {"Move forward between frames.", "CTRL+TAB or F6"},
    {"Move back between frames.", "SHIFT+CTRL+TAB"},
    {"Scroll toward the beginning of a document.", "UP ARROW"},
    {"Scroll toward the end of a document.", "DOWN ARROW"},
    {"Scroll toward the beginning of a document in larger increments.", "PAGE UP"},
    {"Scroll toward the end of a document in larger increments.", "PAGE DOWN"},
    {"Move to the beginning of a document.", "HOME"},
    {"Move to the end of a document.", "END"},
    {"Find on this page.", "CTRL+F"},
    {"Refresh the current Web page.", "F5 or CTRL+R"},
    {"Stop downloading a page.", "ESC"},
    {"Open a new window.", "CTRL+N"},
    {"Print the current page or active frame.", "CTRL+P"},
    {"Activate a selected link.", "ENTER"},
};
} // namespace

frmShortcuts::frmShortcuts(AppContext &ctx, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_ctx(ctx)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmShortcuts"));
    ctx.windows.join(this);

    Trap trap(ctx, ErrorPolicy::shortMsg());
    trap([&] {
        setWindowTitle(QStringLiteral("Keyboard Shortcuts"));
        setWindowIcon(QIcon(QStringLiteral(":/icons/velloran.svg")));
        setAccessibleName(QStringLiteral("Keyboard Shortcuts"));

        const int rows = int(std::size(kShortcuts));
        m_table = new QTableWidget(rows, 2, this);
        m_table->setObjectName(QStringLiteral("tblShortcuts"));
        m_table->setAccessibleName(QStringLiteral("Keyboard shortcuts"));
        m_table->setHorizontalHeaderLabels({QStringLiteral("Action"), QStringLiteral("Keys")});
        m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_table->setSelectionMode(QAbstractItemView::SingleSelection);
        m_table->setAlternatingRowColors(true);
        m_table->setWordWrap(false);
        m_table->setFocusPolicy(Qt::StrongFocus);
        // Tab leaves the table; the arrow keys move within it.
        m_table->setTabKeyNavigation(false);
        m_table->verticalHeader()->setVisible(false);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < 2; ++c) {
                auto *item = new QTableWidgetItem(
                    QString::fromUtf8(c == 0 ? kShortcuts[r].action : kShortcuts[r].keys));
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                m_table->setItem(r, c, item);
            }
        }
        m_table->resizeColumnsToContents();
        m_table->resizeRowsToContents();
        m_table->horizontalHeader()->setStretchLastSection(true);

        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_table);

        // Wide enough that both columns show in full, never narrower than the usual size.
        const QMargins m = layout->contentsMargins();
        const int needed = m.left() + m.right() + 2 * m_table->frameWidth()
                           + m_table->columnWidth(0) + m_table->columnWidth(1)
                           + m_table->verticalScrollBar()->sizeHint().width();
        resize(std::max(585, needed), 344);
        m_table->setFocus();
    });
}

frmShortcuts::~frmShortcuts()
{
    m_ctx.windows.leave(this);
}
