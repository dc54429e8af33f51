#include "engine/PageScripts.h"

namespace PageScripts {

QString editWatcher(const QString &token)
{
    static const char script[] = R"JS(
(function () {
  if (window.__velloranEdits) return;
  var token = %1;
  var state = window.__velloranEdits = { edited: false };
  var typed = ['text', 'search', 'email', 'url', 'tel', 'password', 'number', 'date',
               'datetime-local', 'month', 'week', 'time'];
  function editable(t) {
    if (!t || t.nodeType !== 1) return false;
    if (t.isContentEditable) return true;
    if (t.tagName === 'TEXTAREA') return true;
    return t.tagName === 'INPUT' && typed.indexOf((t.type || 'text').toLowerCase()) >= 0;
  }
  function tell(edited) {
    if (window.top === window) { state.edited = edited; return; }
    try { window.top.__velloranEdits.edited = edited; }
    catch (e) { window.top.postMessage({ velloran: token, edited: edited }, '*'); }
  }
  document.addEventListener('input', function (e) {
    if (e.isTrusted && editable(e.composedPath ? e.composedPath()[0] : e.target)) tell(true);
  }, true);
  document.addEventListener('submit', function () { tell(false); }, true);
  if (window.top === window)
    window.addEventListener('message', function (e) {
      if (e.data && e.data.velloran === token) state.edited = !!e.data.edited;
    }, true);
})();
)JS";
    return QString::fromLatin1(script).arg(QLatin1Char('"') + token + QLatin1Char('"'));
}

QString editsQuery()
{
    return QStringLiteral("!!(window.__velloranEdits && window.__velloranEdits.edited)");
}

QString editsReset()
{
    return QStringLiteral("if (window.__velloranEdits) window.__velloranEdits.edited = false;");
}

} // namespace PageScripts
