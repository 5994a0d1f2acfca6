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

  /* Keeps an event from doing what it would and reports it as a caught pop-up. */
  function suppress(event) {
    if (event.preventDefault) event.preventDefault();
    else event.returnValue = false;
    report();
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

  /* Event types whose listener on an element makes that element something the user operates. */
  var handlerTypes = { click: 1, mousedown: 1, mouseup: 1, pointerdown: 1, pointerup: 1,
    touchstart: 1, touchend: 1 };
  var HANDLER_MARK = 'KorvoPopupKillerHandler';
  var FRAME_MARK = 'KorvoPopupKillerGuard';
  var handlerElements = win.WeakMap ? new win.WeakMap() : null;

  function setMark(object, key) {
    try {
      Object.defineProperty(object, key, { value: true, configurable: true });
    } catch (e) {
      try {
        object[key] = true;
      } catch (e2) {}
    }
  }

  function hasMark(object, key) {
    try {
      return object[key] === true;
    } catch (e) {
      return false;
    }
  }

  function tagName(node) {
    return String(node.nodeName).toLowerCase();
  }

  /* A listener the page adds to an element of the body; one on the page as a whole (window,
     document, html, body) does not make every element operable. */
  function noteListener(target, type) {
    if (!target || target.nodeType !== 1 || !handlerTypes.hasOwnProperty(String(type))) return;
    var name = tagName(target);
    if (name === 'html' || name === 'body') return;
    if (handlerElements) handlerElements.set(target, true);
    else setMark(target, HANDLER_MARK);
  }

  function hasOwnHandler(node) {
    if (handlerElements ? handlerElements.has(node) : hasMark(node, HANDLER_MARK)) return true;
    for (var type in handlerTypes) {
      if (handlerTypes.hasOwnProperty(type) && node['on' + type]) return true;
    }
    return false;
  }

  var operableTags = { a: 1, area: 1, button: 1, input: 1, select: 1, textarea: 1, label: 1,
    summary: 1 };

  /* True when node is, or lies inside, something a user operates to get a window or submit
     something. The page itself (body, html and everything without such an ancestor) is not. */
  function isOperable(node) {
    var name, role;
    if (node && node.nodeType !== 1) node = node.parentNode;
    for (; node && node.nodeType === 1; node = node.parentNode) {
      name = tagName(node);
      if (name === 'body' || name === 'html') return false;
      if (operableTags.hasOwnProperty(name)) {
        if ((name !== 'a' && name !== 'area') || node.getAttribute('href') !== null) return true;
      }
      role = node.getAttribute ? String(node.getAttribute('role')).toLowerCase() : '';
      if (role === 'button' || role === 'link' || hasOwnHandler(node)) return true;
    }
    return false;
  }

  function isKeyEvent(event) {
    return String(event.type).indexOf('key') === 0;
  }

  /* Enter or Space, the keys that operate a focused control. */
  function isOperatingKey(event) {
    var key = event.key;
    if (key !== undefined) return key === 'Enter' || key === ' ' || key === 'Spacebar';
    return event.keyCode === 13 || event.keyCode === 32;
  }

  /* A real press on something operable lets the page open a window; any other real press (on
     the page's background, its text or a picture, a key with no control focused) takes away
     what an earlier one allowed. */
  function onUserEvent(event) {
    event = event || win.event;
    if (!isUserEvent(event)) return;
    var operable = isOperable(event.target || event.srcElement);
    if (operable && isKeyEvent(event)) operable = isOperatingKey(event);
    if (operable) {
      activatedAt = now();
      activationUsed = false;
    } else {
      activatedAt = -1e9;
      activationUsed = true;
    }
  }

  var userEvents = ['mousedown', 'mouseup', 'pointerdown', 'pointerup', 'keydown', 'keyup',
    'touchend'];

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

  function hasFrameElementNamed(name, d) {
    var tags = ['iframe', 'frame'], elements, t, j;
    for (t = 0; t < tags.length; t += 1) {
      elements = d.getElementsByTagName(tags[t]);
      for (j = 0; j < elements.length; j += 1) {
        if (elements[j].getAttribute('name') === name) return true;
      }
    }
    return false;
  }

  /* True when navigating target `name` from document d makes a new window rather than reusing
     a window of this page, one of its frames or a window the page opened before. */
  function opensNewWindow(name, d) {
    if (!name) return false;
    name = String(name);
    var keyword = name.toLowerCase();
    if (keyword === '_self' || keyword === '_parent' || keyword === '_top') return false;
    if (keyword === '_blank') return true;
    var known = openedWindows[name];
    try {
      if (known && !known.closed) return false;
    } catch (e) {}
    if (hasFrameElementNamed(name, d || doc)) return false;
    return !hasFrameNamed(win.top, name, 0);
  }

  function baseTarget(d) {
    var bases = d.getElementsByTagName('base'), j, target;
    for (j = 0; j < bases.length; j += 1) {
      target = bases[j].getAttribute('target');
      if (target) return target;
    }
    return '';
  }

  function elementTarget(element) {
    var target = element && element.getAttribute ? element.getAttribute('target') : null;
    return target ? target : baseTarget(element.ownerDocument || doc);
  }

  function formTarget(form, submitter) {
    var target = submitter && submitter.getAttribute ? submitter.getAttribute('formtarget') : null;
    return target ? target : elementTarget(form);
  }

  function enclosingLink(node) {
    var name;
    for (; node && node.nodeType === 1; node = node.parentNode) {
      name = tagName(node);
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

  function standInWindow(url, name, opener) {
    var standInLocation = { href: url ? String(url) : 'about:blank', assign: noop, replace: noop,
      reload: noop };
    standInLocation.toString = function () { return standInLocation.href; };
    var stub = {
      closed: false, name: name ? String(name) : '', opener: opener, location: standInLocation,
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

  /* The same for an accessor property: afterGet sees each value read, afterSet runs after each
     write. */
  function replaceAccessor(owner, name, afterGet, afterSet) {
    var property, nativeGet, nativeSet;
    try {
      property = owner && Object.getOwnPropertyDescriptor(owner, name);
    } catch (e) {}
    if (!property || !property.configurable) return;
    nativeGet = property.get;
    nativeSet = property.set;
    if (afterGet && nativeGet && nativeGet.call) {
      property.get = function () {
        var value = nativeGet.call(this);
        afterGet(value);
        return value;
      };
    }
    if (afterSet && nativeSet && nativeSet.call) {
      property.set = function (value) {
        nativeSet.call(this, value);
        afterSet();
      };
    }
    try {
      Object.defineProperty(owner, name, property);
    } catch (e) {}
  }

  /* ---- The guard of one window: this one, and each same-origin frame the page makes ---- */

  function prototypeOf(w, constructorName) {
    try {
      return w[constructorName] && w[constructorName].prototype;
    } catch (e) {
      return null;
    }
  }

  /* Each guarded window's own count of frames, taken before the page can hide it behind a
     length or frames of its own. */
  var frameCounts = win.WeakMap ? new win.WeakMap() : null;

  function frameCount(w) {
    var count = frameCounts && frameCounts.get(w);
    return count ? count.call(w) : w.frames.length;
  }

  /* Wraps what opens windows and what grants the right to open one in window w. */
  function guardWindow(w) {
    try {
      var lengthProperty = Object.getOwnPropertyDescriptor(w, 'length');
      if (frameCounts && lengthProperty && lengthProperty.get) {
        frameCounts.set(w, lengthProperty.get);
      }
    } catch (e) {}
    replaceMethod(w, 'focus', function (nativeFocus) {
      return function () {
        endPopunder();
        return callHost(nativeFocus, w, arguments);
      };
    });

    /* window.open and its relatives */

    replaceMethod(w, 'open', function (nativeOpen) {
      return function (url, name) {
        var target = name === undefined || name === null || name === '' ? '_blank' : String(name);
        if (!opensNewWindow(target, w.document)) return callHost(nativeOpen, w, arguments);
        if (!takeActivation()) {
          report();
          return standInWindow(url, name, w);
        }
        var opened = callHost(nativeOpen, w, arguments);
        if (opened && target.toLowerCase() !== '_blank') openedWindows[target] = opened;
        watchForPopunder(opened);
        return opened;
      };
    });

    function guardDialog(nativeDialog) {
      return function () {
        if (!takeActivation()) {
          report();
          return undefined;
        }
        return callHost(nativeDialog, w, arguments);
      };
    }

    replaceMethod(w, 'showModalDialog', guardDialog);
    replaceMethod(w, 'showModelessDialog', guardDialog);

    /* Real presses, and links and forms that a script clicks or submits into a new window */

    for (var i = 0; i < userEvents.length; i += 1) listen(w, userEvents[i], onUserEvent);
    if (!w.addEventListener) listen(w.document, 'mousedown', onUserEvent);

    listen(w, 'click', function (event) {
      event = event || w.event;
      if (isUserEvent(event)) {
        onUserEvent(event);
        return;
      }
      var link = enclosingLink(event.target || event.srcElement);
      if (link && opensNewWindow(elementTarget(link), link.ownerDocument) &&
          !recentlyActivated()) {
        suppress(event);
      }
    });

    listen(w, 'submit', function (event) {
      event = event || w.event;
      var form = event.target || event.srcElement;
      if (opensNewWindow(formTarget(form, event.submitter), form.ownerDocument) &&
          !recentlyActivated()) {
        suppress(event);
      }
    });

    /* A script's form.submit() fires no submit event. */
    replaceMethod(prototypeOf(w, 'HTMLFormElement'), 'submit', function (nativeSubmit) {
      return function () {
        if (opensNewWindow(formTarget(this, null), this.ownerDocument) && !recentlyActivated()) {
          report();
          return undefined;
        }
        return callHost(nativeSubmit, this, arguments);
      };
    });

    /* Remembers the elements the page gives a click or press listener of their own. Host
       functions without apply (old Internet Explorer) cannot be called with their this, so
       there the originals stay. */
    replaceMethod(prototypeOf(w, 'EventTarget') || prototypeOf(w, 'Node'), 'addEventListener',
      function (nativeAdd) {
        if (!nativeAdd.apply) return nativeAdd;
        return function (type) {
          noteListener(this, type);
          return callHost(nativeAdd, this, arguments);
        };
      });

    /* A frame is guarded the moment it can be reached: after each way of putting markup into
       the page, and when the page asks an iframe for its window or document. */
    var insertions = { Node: ['appendChild', 'insertBefore', 'replaceChild'],
      Element: ['append', 'prepend', 'before', 'after', 'replaceWith', 'insertAdjacentElement',
        'insertAdjacentHTML', 'setHTMLUnsafe'],
      CharacterData: ['before', 'after', 'replaceWith'], Document: ['append', 'prepend'],
      Range: ['insertNode', 'surroundContents'] };
    var owner, j;
    function wrapInsertion(nativeInsert) {
      if (!nativeInsert.apply) return nativeInsert;
      return function () {
        var result = callHost(nativeInsert, this, arguments);
        guardFrames(win, 0);
        return result;
      };
    }
    for (owner in insertions) {
      if (!insertions.hasOwnProperty(owner)) continue;
      for (j = 0; j < insertions[owner].length; j += 1) {
        replaceMethod(prototypeOf(w, owner), insertions[owner][j], wrapInsertion);
      }
    }
    replaceAccessor(prototypeOf(w, 'Element'), 'innerHTML', null, guardAllFrames);
    replaceAccessor(prototypeOf(w, 'Element'), 'outerHTML', null, guardAllFrames);
    replaceAccessor(prototypeOf(w, 'ShadowRoot'), 'innerHTML', null, guardAllFrames);
    var frameTypes = ['HTMLIFrameElement', 'HTMLFrameElement', 'HTMLObjectElement'];
    for (j = 0; j < frameTypes.length; j += 1) {
      replaceAccessor(prototypeOf(w, frameTypes[j]), 'contentWindow', guardFrame, null);
      replaceAccessor(prototypeOf(w, frameTypes[j]), 'contentDocument', guardFrame, null);
    }
    /* A frame's document replaced in the same window (srcdoc, javascript:) gets its guard too. */
    if (w !== win) {
      listen(w, 'DOMContentLoaded', function () {
        guardFrame(w);
      });
    }
  }

  /* Wraps what opens windows in document d of window w, and watches it for frames. */
  function guardDocument(w, d) {
    /* document.open with three arguments opens a window. */
    replaceMethod(d, 'open', function (nativeDocumentOpen) {
      return function () {
        if (arguments.length > 2) return w.open(arguments[0], arguments[1], arguments[2]);
        return callHost(nativeDocumentOpen, d, arguments);
      };
    });

    function wrapWrite(nativeWrite) {
      return function () {
        var result = callHost(nativeWrite, d, arguments);
        guardFrames(win, 0);
        return result;
      };
    }
    replaceMethod(d, 'write', wrapWrite);
    replaceMethod(d, 'writeln', wrapWrite);

    /* Frames the parser puts in: guarded before the page's next script runs. */
    try {
      new w.MutationObserver(guardAllFrames).observe(d, { childList: true, subtree: true });
    } catch (e) {}
  }

  function guardAllFrames() {
    guardFrames(win, 0);
  }

  /* Guards a same-origin frame, given its window or its document. Returns false for a frame it
     cannot reach and for one with a guard of its own (a page that came with this script). */
  function guardFrame(frame) {
    var w = frame, d;
    try {
      if (w && w.defaultView) w = w.defaultView;
      if (!w || w === win) return false;
      d = w.document;
      if (!d || w.KorvoPopupKiller) return false;
    } catch (e) {
      return false;
    }
    if (!hasMark(w, FRAME_MARK)) {
      setMark(w, FRAME_MARK);
      guardWindow(w);
    }
    if (!hasMark(d, FRAME_MARK)) {
      setMark(d, FRAME_MARK);
      guardDocument(w, d);
    }
    return true;
  }

  function guardFrames(w, depth) {
    var count, j, frame;
    try {
      count = Math.min(frameCount(w), 64);
    } catch (e) {
      return;
    }
    for (j = 0; j < count; j += 1) {
      try {
        frame = w[j];
      } catch (e) {
        continue;
      }
      if (guardFrame(frame) && depth < 6) guardFrames(frame, depth + 1);
    }
  }

  guardWindow(win);
  guardDocument(win, doc);
})(window, document);
</script>