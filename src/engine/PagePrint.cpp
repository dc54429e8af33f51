#include "engine/PagePrint.h"
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QWebEngineView>
#include <memory>

namespace PagePrint {

namespace {
const char kPrinting[] = "velloranPrinting";
}

void run(QWebEngineView *view)
{
    if (view->property(kPrinting).toBool())
        return;
    view->setProperty(kPrinting, true);
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    // On the heap and waiting without a loop of its own: a pop-up that asks to print
    // may be closed by its opener while the dialog is open, and takes the dialog along.
    auto *dialog = new QPrintDialog(printer.get(), view->window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Named after the page, or its address while it has no title.
    QString title = view->page() ? view->page()->title() : QString();
    if (title.isEmpty())
        title = view->url().toString();
    dialog->setWindowTitle(QStringLiteral("Print - ") + title.left(120));
    QPointer<QWebEngineView> guard(view);
    QObject::connect(dialog, &QDialog::finished, view, [guard, printer](int result) {
        if (!guard)
            return;
        if (result != QDialog::Accepted) {
            guard->setProperty(kPrinting, false);
            return;
        }
        // The printer must live until the engine has finished with it.
        QObject::connect(guard, &QWebEngineView::printFinished, guard, [guard, printer](bool) {
            guard->setProperty(kPrinting, false);
        }, Qt::SingleShotConnection);
        guard->print(printer.get());
    });
    dialog->open();
}

void followPageRequests(QWebEngineView *view)
{
    // Not inside the engine's own call.
    QObject::connect(view, &QWebEngineView::printRequested, view, [view] {
        QTimer::singleShot(0, view, [view] { run(view); });
    });
}

} // namespace PagePrint
