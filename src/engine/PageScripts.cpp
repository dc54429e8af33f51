#include "engine/PageScripts.h"
#include <QUuid>

namespace PageScripts {

QString editWatcher(const QString &token)
{
    // An element counts once the person's own input changed it (a trusted input event
    // right after a trusted key, paste, drop or composition, or within the page's
    // user activation), and only while it still differs from what it held before: a
    // field the page clears after sending its text holds nothing to lose. Submit
    // events and address changes a script makes clear nothing.
    static const char script[] = R"JS(
(function () {
  if (window.__velloranEdits) return;
  var token = %1;
  var typed = ['text', 'search', 'email', 'url', 'tel', 'password', 'number', 'date',
               'datetime-local', 'month', 'week', 'time'];
  var touched = new Map();   // element -> what it held before the person's first input
  var frames = new Map();    // a frame's window -> whether it holds the person's edits
  var lastGesture = -Infinity;
  function editable(t) {
    if (!t || t.nodeType !== 1) return false;
    if (t.isContentEditable) return true;
    if (t.tagName === 'TEXTAREA') return true;
    return t.tagName === 'INPUT' && typed.indexOf((t.type || 'text').toLowerCase()) >= 0;
  }
  function content(t) { return t.isContentEditable ? t.innerHTML : t.value; }
  function target(e) { return e.composedPath ? e.composedPath()[0] : e.target; }
  function host(t) {
    while (t && t.isContentEditable && t.parentElement && t.parentElement.isContentEditable) t = t.parentElement;
    return t;
  }
  function person() {
    return performance.now() - lastGesture < 1000 ||
      !!(navigator.userActivation && navigator.userActivation.isActive);
  }
  function holdsOwn() {
    var any = false;
    touched.forEach(function (before, el) {
      if (!el.isConnected) touched.delete(el);
      else if (content(el) !== before) any = true;
    });
    return any;
  }
  function descendant(w) {
    var stack = [window];
    while (stack.length) {
      var f = stack.pop();
      for (var i = 0; i < f.length; i++) {
        if (f[i] === w) return true;
        stack.push(f[i]);
      }
    }
    return false;
  }
  var state = window.__velloranEdits = {
    query: function () {
      var any = holdsOwn();
      frames.forEach(function (edited, w) {
        if (w.closed || !descendant(w)) frames.delete(w);
        else if (edited) any = true;
      });
      return any;
    },
    frame: function (w, edited) { frames.set(w, !!edited); }
  };
  function report() {
    if (window.top === window) return;
    var edited = state.query();
    try { window.top.__velloranEdits.frame(window, edited); }
    catch (e) { window.top.postMessage({ velloran: token, edited: edited }, '*'); }
  }
  ['keydown', 'paste', 'drop', 'cut', 'compositionstart', 'compositionend', 'contextmenu'].forEach(function (type) {
    document.addEventListener(type, function (e) { if (e.isTrusted) lastGesture = performance.now(); }, true);
  });
  document.addEventListener('beforeinput', function (e) {
    var t = host(target(e));
    if (e.isTrusted && editable(t) && !touched.has(t) && person()) touched.set(t, content(t));
  }, true);
  document.addEventListener('input', function (e) {
    var t = host(target(e));
    if (e.isTrusted && editable(t) && person()) {
      if (!touched.has(t)) touched.set(t, t.isContentEditable ? '' : t.defaultValue || '');
      report();
    }
  }, true);
  document.addEventListener('focusout', function (e) { if (e.isTrusted) report(); }, true);
  if (window.top === window)
    window.addEventListener('message', function (e) {
      if (e.isTrusted && e.source && e.source !== window && e.data && e.data.velloran === token && descendant(e.source))
        frames.set(e.source, !!e.data.edited);
    }, true);
})();
)JS";
    return QString::fromLatin1(script).arg(QLatin1Char('"') + token + QLatin1Char('"'));
}

QString editsQuery()
{
    return QStringLiteral("!!(window.__velloranEdits && window.__velloranEdits.query())");
}

QWebEngineScript editWatcherScript()
{
    QWebEngineScript watcher;
    watcher.setName(QStringLiteral("velloran-edits"));
    watcher.setSourceCode(editWatcher(QUuid::createUuid().toString(QUuid::WithoutBraces)));
    watcher.setInjectionPoint(QWebEngineScript::DocumentCreation);
    watcher.setWorldId(QWebEngineScript::ApplicationWorld);
    watcher.setRunsOnSubFrames(true);
    return watcher;
}

} // namespace PageScripts
