#pragma once
#include <QString>

// Scripts of ours that run in a script world of their own: pages can neither see nor
// change them, while they see the same document.
namespace PageScripts {

// Watches for the person's own typing, pasting or dictation into an editable element
// (trusted input events only; values a page's scripts set never count) since the
// document loaded. A form's submission clears it. Frames report to the top document:
// directly when same-origin, else by a message carrying `token`.
QString editWatcher(const QString &token);

// Answers whether the person has edited the page since it loaded.
QString editsQuery();

// Forgets the edits (the page changed its own address: a navigation of its own).
QString editsReset();

} // namespace PageScripts
