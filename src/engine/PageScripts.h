#pragma once
#include <QString>
#include <QWebEngineScript>

// Scripts of ours that run in a script world of their own: pages can neither see nor
// change them, while they see the same document.
namespace PageScripts {

// Watches for the person's own typing, pasting or dictation into an editable element
// (input that follows the person's own key, paste, drop or composition; values and
// events a page's scripts make never count). Only a new document starts afresh.
// Frames report to the top document: directly when same-origin, else by a message
// carrying `token`, taken only from the top document's own frames.
QString editWatcher(const QString &token);
// The watcher as a page's script, with a token of its own, to insert into its scripts.
QWebEngineScript editWatcherScript();

// Answers whether an element the person edited still holds something they have not
// sent (it differs from what it held before their first input).
QString editsQuery();

} // namespace PageScripts
