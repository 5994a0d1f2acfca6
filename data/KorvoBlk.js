<script type="text/javascript">
/* Korvo Popup Killer page guard. It runs before the page's own markup: it keeps the page from
   opening windows the user did not ask for, hands the page a harmless stand-in for each one, and
   reports each by putting the catch marker at the start of the window title, where the tray
   program counts it and takes it out again. Plain old script syntax, so old browsers run it. */
(function (win, doc) {
  var MARKER = 'Korvo Popup Killer.kv Catch Another Popup';
  var ACTIVATION_MS = 1000; /* how long a click or key press lets the page open a window */
  var POPUNDER_MS = 1000; /* a focus trick this soon after an opened window marks a pop-under */
  var MARKER_HOLD_MS = 150; /* time the tray gets to see one marker before the next is shown */
  var MARKER_GAP_MS = 30; /* time with the title clear between two markers */
  var DateClock = Date;
  var schedule = win.setTimeout;

  function removeThisScript() {
    var element = doc.currentScript, all;
    if (!element) {
      all = doc.getElementsByTagName('script');
      element = all[all.length - 1];
    }
    if (element && element.parentNode) element.parentNode.removeChild(element);
  }

  removeThisScript();
  if (win.KorvoPopupKiller) return;

  function now() {
    return new DateClock().getTime();
  }

  function noop() {}

  /* Calls a browser function with its own this and the arguments as given; old Internet
     Explorer's host functions have no apply. */
  function callHost(fn, self, args) {
    if (fn.apply) return fn.apply(self, args);
    switch (args.length) {
      case 0: return fn();
      case 1: return fn(args[0]);
      case 2: return fn(args[0], args[1]);
      case 3: return fn(args[0], args[1], args[2]);
      default: return fn(args[0], args[1], args[2], args[3]);
    }
  }

  function listen(target, type, handler) {
    if (target.addEventListener) target.addEventListener(type, handler, true);
    else if (target.attachEvent) target.attachEvent('on' + type, handler);
  }

  /* ---- Reporting: the catch marker in the top window's title, and the alert sound ---- */

  var api = { blocked: 0, announce: announce };
  try {
    Object.defineProperty(win, 'KorvoPopupKiller', { value: api, configurable: true });
  } catch (e) {
    win.KorvoPopupKiller = api;
  }

  var pendingMarkers = 0;
  var flushTimer = null;
  var markedAt = -1e9;
  var isTop = win.top === win.self;

  function withoutMarkers(title) {
    while (title.indexOf(MARKER) === 0) title = title.substring(MARKER.length);
    return title;
  }

  function playAlert() {
    try {
      var element = doc.getElementById('QX_beep');
      if (element) element.src = '';
%s
    } catch (e) {}
  }

  function flushLater(delay) {
    if (flushTimer === null) {
      flushTimer = schedule(function () {
        flushTimer = null;
        flushMarkers();
      }, delay);
    }
  }

  /* Shows one pending marker. The tray program takes the marker out of the window's caption,
     not out of the page, so before showing another one the title is cleared for a moment: only a
     change of title reaches the caption. */
  function flushMarkers() {
    if (!pendingMarkers || flushTimer !== null) return;
    if (!doc.getElementsByTagName('title').length && doc.readyState === 'loading') return;
    var title = String(doc.title), base = withoutMarkers(title), waited = now() - markedAt;
    if (title !== base) {
      if (waited < MARKER_HOLD_MS) {
        flushLater(MARKER_HOLD_MS - waited);
        return;
      }
      doc.title = base;
      flushLater(MARKER_GAP_MS);
      return;
    }
    pendingMarkers -= 1;
    doc.title = MARKER + base;
    markedAt = now();
    playAlert();
    if (pendingMarkers) flushLater(MARKER_HOLD_MS);
  }

  /* One caught pop-up, from this window or one of its frames. */
  function announce() {
    pendingMarkers += 1;
    flushMarkers();
  }

  function report() {
    api.blocked += 1;
    if (isTop) {
      announce();
      return;
    }
    try {
      var topGuard = win.top.KorvoPopupKiller;
      if (topGuard && topGuard.announce) {
        topGuard.announce();
        return;
      }
    } catch (e) {}
    try {
      win.top.postMessage(MARKER, '*');
    } catch (e) {}
  }

  if (isTop) {
    listen(doc, 'DOMContentLoaded', flushMarkers);
    listen(win, 'load', flushMarkers);
    listen(win, 'message', function (event) {
      event = event || win.event;
      if (event.data !== MARKER) return;
      if (event.stopImmediatePropagation) event.stopImmediatePropagation();
      announce();
    });
  }

  /* ---- User activation: a real click or key press lets the page open one window ---- */

  var activatedAt = -1e9;
  var activationUsed = true;

  /* Browsers without isTrusted cannot tell a script's click() from a real one, so there only
     presses count, which scripts hardly ever fake. */
  function isUserEvent(event) {
    if (event.isTrusted === true) return true;
    return event.isTrusted === undefined && event.type !== 'click';
  }

  function recentlyActivated() {
    return now() - activatedAt <= ACTIVATION_MS;
  }

  function takeActivation() {
    if (activationUsed || !recentlyActivated()) return false;
    activationUsed = true;
    return true;
  }

  function onUserEvent(event) {
    event = event || win.event;
    if (!isUserEvent(event)) return;
    activatedAt = now();
    activationUsed = false;
  }

  var userEvents = ['mousedown', 'mouseup', 'pointerdown', 'pointerup', 'keydown', 'keyup',
    'touchend'];
  for (var i = 0; i < userEvents.length; i += 1) listen(win, userEvents[i], onUserEvent);
  if (!win.addEventListener) listen(doc, 'mousedown', onUserEvent);

  /* ---- Which targets open a new window ---- */

  var openedWindows = {};

  function hasFrameNamed(frameWindow, name, depth) {
    var count, j;
    try {
      if (frameWindow.name === name) return true;
    } catch (e) {}
    if (depth > 6) return false;
    try {
      count = Math.min(frameWindow.frames.length, 64);
      for (j = 0; j < count; j += 1) {
        if (hasFrameNamed(frameWindow.frames[j], name, depth + 1)) return true;
      }
    } catch (e) {}
    return false;
  }

  function hasFrameElementNamed(name) {
    var tags = ['iframe', 'frame'], elements, t, j;
    for (t = 0; t < tags.length; t += 1) {
      elements = doc.getElementsByTagName(tags[t]);
      for (j = 0; j < elements.length; j += 1) {
        if (elements[j].getAttribute('name') === name) return true;
      }
    }
    return false;
  }

  /* True when navigating target `name` makes a new window rather than reusing this window, one
     of its frames or a window the page opened before. */
  function opensNewWindow(name) {
    if (!name) return false;
    name = String(name);
    var keyword = name.toLowerCase();
    if (keyword === '_self' || keyword === '_parent' || keyword === '_top') return false;
    if (keyword === '_blank') return true;
    var known = openedWindows[name];
    try {
      if (known && !known.closed) return false;
    } catch (e) {}
    if (hasFrameElementNamed(name)) return false;
    return !hasFrameNamed(win.top, name, 0);
  }

  function baseTarget() {
    var bases = doc.getElementsByTagName('base'), j, target;
    for (j = 0; j < bases.length; j += 1) {
      target = bases[j].getAttribute('target');
      if (target) return target;
    }
    return '';
  }

  function elementTarget(element) {
    var target = element && element.getAttribute ? element.getAttribute('target') : null;
    return target ? target : baseTarget();
  }

  function formTarget(form, submitter) {
    var target = submitter && submitter.getAttribute ? submitter.getAttribute('formtarget') : null;
    return target ? target : elementTarget(form);
  }

  function enclosingLink(node) {
    var name;
    for (; node && node.nodeType === 1; node = node.parentNode) {
      name = String(node.nodeName).toLowerCase();
      if ((name === 'a' || name === 'area') && node.getAttribute('href') !== null) return node;
    }
    return null;
  }

  /* ---- The stand-in handed to the page for a suppressed window ---- */

  function standInDocument() {
    try {
      return doc.implementation.createHTMLDocument('');
    } catch (e) {
      return { write: noop, writeln: noop, open: noop, close: noop, body: null,
        getElementById: function () { return null; } };
    }
  }

  function standInWindow(url, name) {
    var standInLocation = { href: url ? String(url) : 'about:blank', assign: noop, replace: noop,
      reload: noop };
    standInLocation.toString = function () { return standInLocation.href; };
    var stub = {
      closed: false, name: name ? String(name) : '', opener: win, location: standInLocation,
      document: standInDocument(), frames: [], length: 0,
      focus: noop, blur: noop, print: noop, stop: noop, postMessage: noop,
      moveTo: noop, moveBy: noop, resizeTo: noop, resizeBy: noop, scrollTo: noop, scrollBy: noop,
      addEventListener: noop, removeEventListener: noop, attachEvent: noop, detachEvent: noop,
      setTimeout: noop, clearTimeout: noop, setInterval: noop, clearInterval: noop,
      alert: noop, confirm: noop, prompt: noop,
      close: function () { stub.closed = true; }
    };
    stub.window = stub.self = stub.top = stub.parent = stub;
    return stub;
  }

  /* ---- Pop-unders: a window opened on a click and then pushed behind the page ---- */

  var lastOpened = null;

  function endPopunder() {
    if (!lastOpened || now() - lastOpened.at > POPUNDER_MS) return false;
    var opened = lastOpened.win;
    lastOpened = null;
    try {
      if (!opened.closed) opened.close();
    } catch (e) {}
    report();
    return true;
  }

  function watchForPopunder(opened) {
    if (!opened) return;
    lastOpened = { win: opened, at: now() };
    try {
      var nativeBlur = opened.blur;
      opened.blur = function () {
        if (endPopunder()) return;
        try {
          callHost(nativeBlur, opened, arguments);
        } catch (e) {}
      };
    } catch (e) {}
  }

  /* Puts wrap(original) in place of owner[name]; where a browser refuses, the original stays. */
  function replaceMethod(owner, name, wrap) {
    var original = owner && owner[name];
    if (!original) return;
    try {
      owner[name] = wrap(original);
    } catch (e) {}
  }

  replaceMethod(win, 'focus', function (nativeFocus) {
    return function () {
      endPopunder();
      return callHost(nativeFocus, win, arguments);
    };
  });

  /* ---- window.open and its relatives ---- */

  replaceMethod(win, 'open', function (nativeOpen) {
    return function (url, name) {
      var target = name === undefined || name === null || name === '' ? '_blank' : String(name);
      if (!opensNewWindow(target)) return callHost(nativeOpen, win, arguments);
      if (!takeActivation()) {
        report();
        return standInWindow(url, name);
      }
      var opened = callHost(nativeOpen, win, arguments);
      if (opened && target.toLowerCase() !== '_blank') openedWindows[target] = opened;
      watchForPopunder(opened);
      return opened;
    };
  });

  /* document.open with three arguments opens a window. */
  replaceMethod(doc, 'open', function (nativeDocumentOpen) {
    return function () {
      if (arguments.length > 2) return win.open(arguments[0], arguments[1], arguments[2]);
      return callHost(nativeDocumentOpen, doc, arguments);
    };
  });

  function guardDialog(nativeDialog) {
    return function () {
      if (!takeActivation()) {
        report();
        return undefined;
      }
      return callHost(nativeDialog, win, arguments);
    };
  }

  replaceMethod(win, 'showModalDialog', guardDialog);
  replaceMethod(win, 'showModelessDialog', guardDialog);

  /* ---- Links and forms that a script clicks or submits into a new window ---- */

  listen(win, 'click', function (event) {
    event = event || win.event;
    if (isUserEvent(event)) {
      onUserEvent(event);
      return;
    }
    var link = enclosingLink(event.target || event.srcElement);
    if (!link || !opensNewWindow(elementTarget(link)) || recentlyActivated()) return;
    if (event.preventDefault) event.preventDefault();
    else event.returnValue = false;
    report();
  });

  listen(win, 'submit', function (event) {
    event = event || win.event;
    var form = event.target || event.srcElement;
    if (!opensNewWindow(formTarget(form, event.submitter)) || recentlyActivated()) return;
    if (event.preventDefault) event.preventDefault();
    else event.returnValue = false;
    report();
  });

  /* A script's form.submit() fires no submit event. */
  replaceMethod(win.HTMLFormElement && win.HTMLFormElement.prototype, 'submit',
    function (nativeSubmit) {
      return function () {
        if (opensNewWindow(formTarget(this, null)) && !recentlyActivated()) {
          report();
          return undefined;
        }
        return callHost(nativeSubmit, this, arguments);
      };
    });
})(window, document);
</script>