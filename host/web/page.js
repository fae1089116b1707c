// The page around the saver's program: the still frame or the animation, the panel, the settings in the
// address and in the visitor's store, full screen, the texts in the visitor's language. What the settings
// mean, when full screen ends and which language is shown is the program's business. Everything here lives
// in this function's scope: the program (fenlight.js) adds only its own factory, createFenlight, to the page.
(function () {
'use strict';
var KEY = 'fenlight';
var query = new URLSearchParams(location.search);
var still = query.has('still');
var html = document.documentElement;
var canvas = document.getElementById('canvas');
var panel = document.getElementById('panel');
var form = document.getElementById('controls');
var idle = 0;
// Settings text is handed over on the program's stack: any valid one is far shorter than this.
var LONGEST = 400;
var SETTLE = 350;  // ms without a change before a changed control takes effect
var LOST_WAIT = 4000;  // ms a lost context may take to come back before the page says so

function fail(text) {
  html.dataset.state = 'failed';
  canvas.remove();
  panel.hidden = true;
  var message = document.getElementById('message');
  message.textContent = text;
  message.hidden = false;
}
function fragment() {
  try { return decodeURIComponent(location.hash.slice(1)).slice(0, LONGEST); } catch (e) { return ''; }
}
// The visitor's stored look. Where the system asks for reduced motion the program makes a speed the visitor
// has not chosen a calmer one.
var calm = !!(window.matchMedia && matchMedia('(prefers-reduced-motion: reduce)').matches);
function stored() {
  try { return (localStorage.getItem(KEY) || '').slice(0, LONGEST); } catch (e) { return ''; }
}
function store(text) {
  try { localStorage.setItem(KEY, text); } catch (e) { /* a store that refuses keeps nothing */ }
}
function show(used) {
  // A browser may refuse (Safari throws past about 100 calls in 30 s); the address then lags, nothing else.
  try {
    history.replaceState(null, '', location.pathname + location.search + '#' + used);
  } catch (e) { /* the store and the scene follow all the same */ }
}
// A number of the still frame's address, or its default when missing, malformed or out of range.
function number(name, max, fallback, pattern) {
  var text = query.get(name);
  if (text === null || !(pattern || /^\d+$/).test(text) || Number(text) > max) return fallback;
  return Number(text);
}
var program = null;
function call(name, result, args) {
  return program.ccall(name, result, args.map(function (a) { return typeof a; }), args);
}

// The page's texts in the visitor's language, which the program picks: the one the address names
// (?lang=de), else the first of the browser's it has, else English. Each element the page marks gets its
// text (data-text) or its accessible name (data-label); no text of the page is written here or in the HTML
// but what shows without the program.
var texts = {};
function preferred() {
  var browser = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language];
  // A language's tag is short (35 characters at most in practice): a longer one does not crowd out the
  // browser's.
  return [(query.get('lang') || '').slice(0, 35)].concat(browser).join(',').slice(0, LONGEST);
}
// KEY's text with each {NAME} of VALUES put in.
function text(key, values) {
  return (texts[key] || '').replace(/\{(\w+)\}/g, function (whole, name) {
    return values && Object.prototype.hasOwnProperty.call(values, name) ? String(values[name]) : whole;
  });
}
function translate() {
  var picked = JSON.parse(call('fenlight_texts', 'string', [preferred()]));
  texts = picked.texts;
  html.lang = picked.lang;
  document.querySelectorAll('[data-text]').forEach(function (e) { e.textContent = text(e.dataset.text); });
  document.querySelectorAll('[data-label]').forEach(function (e) {
    e.setAttribute('aria-label', text(e.dataset.label));
  });
}

// The panel's controls, as the program describes them; built once, then only their values follow.
function describe() {
  JSON.parse(call('fenlight_describe', 'string', [])).forEach(function (s) {
    var input = document.getElementById(s.name), shown = null;
    if (!input) {
      var label = document.createElement('label');
      label.textContent = s.label;
      label.htmlFor = s.name;
      if (s.words) {
        input = document.createElement('select');
        s.words.forEach(function (w, i) { input.add(new Option(s.shown[i], w)); });
      } else {
        input = document.createElement('input');
        input.type = 'range';
        input.min = s.min;
        input.max = s.max;
        // The number follows the slider; a screen reader hears it from the slider itself.
        var shown = document.createElement('output');
        shown.setAttribute('aria-hidden', 'true');
        input.oninput = function () { shown.value = input.value; };
      }
      input.id = input.name = s.name;
      var row = document.createElement('div');
      row.className = 'row';
      row.append(label);
      if (shown) row.append(shown);
      form.append(row, input);
    }
    input.value = s.words ? s.words[s.value] : s.value;
    if (input.oninput) input.oninput();
  });
}
function apply(text, storedText, keep) {
  var used = call('fenlight_apply', 'string', [text, storedText]);
  show(used);
  if (keep) store(used);
  describe();
}
// The panel shows on a move or a key and fades after a while; it stays while the pointer is over it or it
// holds the keyboard's focus. While it is away the pointer is hidden over the scene.
function wake() {
  panel.classList.remove('hidden');
  html.classList.remove('idle');
  clearTimeout(idle);
  idle = setTimeout(function () {
    if (panel.matches(':hover') || panel.contains(document.activeElement)) wake(); else hidePanel();
  }, 5000);
}
function hidePanel() {
  clearTimeout(idle);
  // Focus never stays on what can no longer be seen: it goes to the picture.
  if (panel.contains(document.activeElement)) canvas.focus();
  panel.classList.add('hidden');
  html.classList.add('idle');
}
function fullScreen() {
  return document.fullscreenElement || document.webkitFullscreenElement;
}
// F for full screen, H to show or hide the panel, Escape to hide it. In full screen any key leaves it, as a
// key ends the saver; keys meant for a list or with a modifier are left alone.
function onKey(e) {
  if (fullScreen() || e.ctrlKey || e.metaKey || e.altKey || e.target.tagName === 'SELECT') return;
  var key = e.key.toLowerCase();
  if (key === 'f') {
    document.getElementById('full').click();
  } else if (key === 'h') {
    if (panel.classList.contains('hidden')) wake(); else hidePanel();
    return;
  } else if (key === 'escape') {
    hidePanel();
    return;
  }
  wake();
}

// "Keep screen on": the visitor's choice, remembered; the lock is taken again whenever the page is shown
// (the browser lets it go when the page is hidden). Where the browser has no wake lock the choice is not
// offered.
var AWAKE = 'fenlight.awake';
var lock = null;
function keepAwake() {
  var box = document.getElementById('awake');
  if (lock) lock.release().catch(function () {});
  lock = null;
  if (!box.checked || document.visibilityState !== 'visible') return;
  navigator.wakeLock.request('screen').then(function (taken) { lock = taken; }, function () {});
}
function startWakeLock() {
  if (!('wakeLock' in navigator)) return;
  var box = document.getElementById('awake');
  document.getElementById('awake-row').hidden = false;
  try { box.checked = localStorage.getItem(AWAKE) === '1'; } catch (e) { /* no store: not remembered */ }
  box.addEventListener('change', function () {
    try { localStorage.setItem(AWAKE, box.checked ? '1' : '0'); } catch (err) { /* kept for this visit */ }
    keepAwake();
  });
  document.addEventListener('visibilitychange', keepAwake);
  keepAwake();
}

function startPanel() {
  panel.hidden = false;
  describe();
  wake();
  form.addEventListener('submit', function (e) { e.preventDefault(); });
  // Arrow keys and drags step through many values: the last one, once they settle, makes one new scene
  // and one write of the address and the store.
  var settling = 0;
  form.addEventListener('change', function () {
    clearTimeout(settling);
    settling = setTimeout(function () {
      apply(new URLSearchParams(new FormData(form)).toString(), null, true);
    }, SETTLE);
  });
  document.getElementById('reset').onclick = function () {
    clearTimeout(settling);
    apply('', '', true);
  };
  document.getElementById('hide').onclick = hidePanel;
  var full = document.getElementById('full');
  var enter = canvas.requestFullscreen || canvas.webkitRequestFullscreen;
  if (!enter) {
    full.hidden = true;
  } else {
    full.onclick = function () {
      var asked = enter.call(canvas);
      if (asked && asked.catch) asked.catch(function () {});
    };
  }
  document.addEventListener('pointermove', function (e) { if (e.pointerType === 'mouse') wake(); });
  document.addEventListener('keydown', onKey);
  panel.addEventListener('focusin', wake);
  // Without a mouse, a tap on the picture shows or hides the panel.
  canvas.addEventListener('pointerup', function (e) {
    if (e.pointerType === 'mouse') return;
    if (panel.classList.contains('hidden')) wake(); else hidePanel();
  });
  window.addEventListener('hashchange', function () { apply(fragment(), stored(), false); });
  startWakeLock();
}

// The canvas's size in device pixels, for the program to size its drawing buffer: measured exactly where
// the browser offers the device-pixel box. A change of the pixel ratio alone the program sees itself.
function watchSize() {
  function measured(width, height) { call('fenlight_resize', null, [width, height, devicePixelRatio]); }
  function fromPage() {
    var box = canvas.getBoundingClientRect();
    measured(Math.round(box.width * devicePixelRatio), Math.round(box.height * devicePixelRatio));
  }
  // The device-pixel box is taken when it agrees with the page's own ratio; an emulated ratio (developer
  // tools) leaves it at the screen's.
  var observer = window.ResizeObserver && new ResizeObserver(function (entries) {
    var exact = entries[0].devicePixelContentBoxSize, box = entries[0].contentRect;
    if (exact && exact[0] && Math.abs(exact[0].inlineSize - box.width * devicePixelRatio) < 2 &&
        Math.abs(exact[0].blockSize - box.height * devicePixelRatio) < 2) {
      measured(exact[0].inlineSize, exact[0].blockSize);
    } else {
      fromPage();
    }
  });
  if (!observer) {
    fromPage();
    window.addEventListener('resize', fromPage);
    return;
  }
  try { observer.observe(canvas, { box: 'device-pixel-content-box' }); } catch (e) { observer.observe(canvas); }
}
// A lost context usually comes back at once; one that does not gets a word, taken back if it returns.
function watchContext() {
  var waiting = 0;
  var message = document.getElementById('message');
  canvas.addEventListener('webglcontextlost', function () {
    clearTimeout(waiting);
    waiting = setTimeout(function () {
      html.dataset.state = 'lost';
      message.textContent = text('page.lost');
      message.hidden = false;
    }, LOST_WAIT);
  });
  canvas.addEventListener('webglcontextrestored', function () {
    clearTimeout(waiting);
    if (html.dataset.state !== 'lost') return;
    html.dataset.state = 'running';
    message.hidden = true;
    message.textContent = '';
  });
}

function start() {
  var refused = text('page.refused');
  canvas.addEventListener('fenlightshaders', function () { fail(refused); });
  var noWebGL = text('page.no-webgl');
  if (still) {
    // Exactly width x height device pixels at the top left, whatever the pixel ratio.
    var width = number('width', 8192, 960), height = number('height', 8192, 540);
    if (width < 1) width = 960;
    if (height < 1) height = 540;
    html.className = 'still';
    canvas.style.width = width / devicePixelRatio + 'px';
    canvas.style.height = height / devicePixelRatio + 'px';
    var seed = number('seed', 4294967295, 1);
    // An hour at most: the simulated time is stepped through at once, before the page can answer.
    var seconds = number('seconds', 3600, 20, /^\d+(\.\d+)?$/);
    var drawn = call('fenlight_still', 'number', [fragment(), seed, seconds, width, height]);
    if (drawn === 3) {
      return fail(text('page.too-big', { width: width, height: height }));
    }
    if (drawn) return fail(drawn === 2 ? refused : noWebGL);
    show(call('fenlight_fragment', 'string', []));
    html.dataset.state = 'still';
    return;
  }
  var started = call('fenlight_start', 'number', [fragment(), stored(), calm ? 1 : 0]);
  if (started) return fail(started === 2 ? refused : noWebGL);
  show(call('fenlight_fragment', 'string', []));
  watchSize();
  watchContext();
  startPanel();
  html.dataset.state = 'running';
}

// Without its program the page has no texts but this one, in English as the page's language says.
var notLoaded = 'Fenlight could not start: its program failed to load.';
function loaded() {
  translate();
  start();
  if (still) return;
  shareButton();
  offerDownloads();
}
if (typeof createFenlight !== 'function') {
  fail(notLoaded);
} else {
  createFenlight({ canvas: canvas, onAbort: function () { fail(notLoaded); } }).then(function (made) {
    program = made;
    loaded();
  }, function () { fail(notLoaded); });
}
// Installed and offline: the service worker keeps the page's files (a page built without one goes on
// without). The link to share, and the downloads, listed in downloads.json when the page is published beside
// the release (make dist); the list make web writes is empty.
function keepOffline() {
  if (!navigator.serviceWorker) return;
  // Once the page has loaded: the worker fetches every file again, which should not slow the first picture.
  window.addEventListener('load', function () { navigator.serviceWorker.register('sw.js').catch(function () {}); });
}
function shareButton() {
  var button = document.getElementById('share');
  var share = navigator.share && navigator.share.bind(navigator);
  var clipboard = navigator.clipboard;
  if (!share && !(clipboard && clipboard.writeText)) return button.remove();
  // The address names a language only where the visitor chose one, so the link leaves it to whoever opens it.
  var label = text(share ? 'page.share-link' : 'page.copy-link'), back = 0;
  button.textContent = label;
  function say(words) {
    button.textContent = words;
    clearTimeout(back);
    back = setTimeout(function () { button.textContent = label; }, 2000);
  }
  button.addEventListener('click', function () {
    if (share) return share({ title: document.title, url: location.href }).catch(function () {});
    clipboard.writeText(location.href).then(function () { say(text('page.link-copied')); },
                                            function () { say(text('page.not-copied')); });
  });
}
function megabytes(bytes) {
  return bytes >= 1048576 ? (bytes / 1048576).toFixed(1) + ' MB' : Math.max(1, Math.round(bytes / 1024)) + ' KB';
}
// An entry names a file beside the page, its size and its kind, which the page has a text for ("deb": what
// the Debian package is), with the architecture where that text names one.
var SAFE = /^[A-Za-z0-9][\w.+-]*$/;
function offered(entry) {
  var kind = entry && typeof entry.kind === 'string' && /^[a-z0-9-]+$/.test(entry.kind) &&
    Object.prototype.hasOwnProperty.call(texts, 'page.download.' + entry.kind) && texts['page.download.' + entry.kind];
  return !!kind && typeof entry.name === 'string' && SAFE.test(entry.name) &&
    Number.isSafeInteger(entry.size) && entry.size > 0 &&
    (entry.arch === undefined ? kind.indexOf('{arch}') < 0 : typeof entry.arch === 'string' && SAFE.test(entry.arch));
}
// Fetched at once; shown once the page has its texts.
var listed = still ? null : fetch('downloads.json', { cache: 'no-cache' }).then(function (reply) {
  return reply.ok ? reply.json() : null;
}).catch(function () { return null; });
function offerDownloads() {
  listed.then(function (list) {
    var entries = list && Array.isArray(list.files) ? list.files.filter(offered) : [];
    if (!entries.length) return;
    var items = document.getElementById('downloads');
    entries.forEach(function (entry) {
      var item = items.appendChild(document.createElement('li'));
      var link = item.appendChild(document.createElement('a'));
      link.href = entry.name;
      link.download = '';
      link.textContent = text('page.download.' + entry.kind, { arch: entry.arch });
      var detail = item.appendChild(document.createElement('span'));
      detail.textContent = entry.name + ', ' + megabytes(entry.size);
    });
    if (typeof list.version === 'string') document.getElementById('get-title').textContent += ' ' + list.version;
    document.getElementById('get').hidden = false;
  }).catch(function () {});
}
if (!still) keepOffline();
})();
