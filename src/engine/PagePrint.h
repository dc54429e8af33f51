#pragma once

class QWebEngineView;

namespace PagePrint {

// The desktop's print dialog (which also prints to a PDF file with no printer set
// up), then the engine draws the view's page for the chosen printer. One print at a
// time per view: asking again while one is under way does nothing.
void run(QWebEngineView *view);

// A page's own Print button (window.print()) opens the same dialog.
void followPageRequests(QWebEngineView *view);

} // namespace PagePrint
