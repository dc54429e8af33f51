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
    QPrintDialog dialog(printer.get(), view->window());
    // Named after the page, or its address while it has no title.
    QString title = view->page() ? view->page()->title() : QString();
    if (title.isEmpty())
        title = view->url().toString();
    dialog.setWindowTitle(QStringLiteral("Print - ") + title);
    QPointer<QWebEngineView> guard(view);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    if (!guard)
        return;
    if (!chosen) {
        view->setProperty(kPrinting, false);
        return;
    }
    // The printer must live until the engine has finished with it.
    QObject::connect(view, &QWebEngineView::printFinished, view, [view, printer](bool) {
        view->setProperty(kPrinting, false);
    }, Qt::SingleShotConnection);
    view->print(printer.get());
}

void followPageRequests(QWebEngineView *view)
{
    // Not inside the engine's own call: the dialog runs its own event loop.
    QObject::connect(view, &QWebEngineView::printRequested, view, [view] {
        QTimer::singleShot(0, view, [view] { run(view); });
    });
}

} // namespace PagePrint
