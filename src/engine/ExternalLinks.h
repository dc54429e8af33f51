#pragma once
#include <QString>
#include <functional>

class QUrl;
class QWidget;
class Shell;

// Links a page hands out of the browser. Web addresses go to the person's default
// browser; a link for another program (mailto:, ssh:, ...) only after a question naming
// the scheme and the program; local files, scripts, data and schemes no program on the
// computer handles, never.
namespace ExternalLinks {

enum class Kind { Web, Ask, Never };
Kind kind(const QUrl &url);

// The name of the desktop's program for `scheme` links, or empty when there is none.
QString handlerName(const QString &scheme);

// Hands `url`, which the page at `site` wants opened elsewhere, to the desktop as its
// kind allows; `status` gets a line for the page's status bar when it is not opened.
void open(const QUrl &url, const QString &site, Shell *shell, QWidget *parent,
          const std::function<void(const QString &)> &status);

} // namespace ExternalLinks
