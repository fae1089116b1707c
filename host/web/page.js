// The page around the saver's program: the still frame or the animation, the panel, the settings in the
// address and in the visitor's store, full screen. What the settings mean and when full screen ends is the
// program's business. Everything here lives in this function's scope: the program (fenlight.js) adds only
// its own factory, createFenlight, to the page.
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
function stored() {
  try { return (localStorage.getItem(KEY) || '').slice(0, LONGEST); } catch (e) { return ''; }
}
function store(text) {
  try { localStorage.setItem(KEY, text); } catch (e) { /* a store that refuses keeps nothing */ }
}
function show(used) {
  history.replaceState(null, '', location.pathname + location.search + '#' + used);
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

// The panel's controls, as the program describes them; built once, then only their values follow.
function describe() {
  JSON.parse(call('fenlight_describe', 'string', [])).forEach(function (s) {
    var input = document.getElementById(s.name);
    if (!input) {
      var label = document.createElement('label');
      label.textContent = s.label;
      label.htmlFor = s.name;
      if (s.words) {
        input = document.createElement('select');
        s.words.forEach(function (w) { input.add(new Option(w[0].toUpperCase() + w.slice(1), w)); });
      } else {
        input = document.createElement('input');
        input.type = 'range';
        input.min = s.min;
        input.max = s.max;
        var shown = label.appendChild(document.createElement('output'));
        // The number follows the slider; the scene changes only when it is let go.
        input.oninput = function () { shown.value = input.value; };
      }
      input.id = input.name = s.name;
      form.append(label, input);
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
function wake() {
  panel.classList.remove('hidden');
  clearTimeout(idle);
  idle = setTimeout(function () {
    if (panel.matches(':hover')) wake(); else panel.classList.add('hidden');
  }, 5000);
}

function startPanel() {
  panel.hidden = false;
  describe();
  wake();
  form.addEventListener('submit', function (e) { e.preventDefault(); });
  form.addEventListener('change', function () {
    apply(new URLSearchParams(new FormData(form)).toString(), null, true);
  });
  document.getElementById('reset').onclick = function () { apply('', null, true); };
  document.getElementById('hide').onclick = function () {
    clearTimeout(idle);
    panel.classList.add('hidden');
  };
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
  document.addEventListener('keydown', wake);
  // Without a mouse, a tap on the picture shows or hides the panel.
  canvas.addEventListener('pointerup', function (e) {
    if (e.pointerType === 'mouse') return;
    if (panel.classList.contains('hidden')) wake(); else panel.classList.add('hidden');
  });
  window.addEventListener('hashchange', function () { apply(fragment(), stored(), false); });
}

function start() {
  var noWebGL = 'Fenlight draws with WebGL, which this browser does not offer or has turned off.';
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
    if (call('fenlight_still', 'number', [fragment(), seed, seconds, width, height])) return fail(noWebGL);
    show(call('fenlight_fragment', 'string', []));
    html.dataset.state = 'still';
    return;
  }
  if (call('fenlight_start', 'number', [fragment(), stored()])) return fail(noWebGL);
  show(call('fenlight_fragment', 'string', []));
  startPanel();
  html.dataset.state = 'running';
}

var notLoaded = 'Fenlight could not start: its program failed to load.';
if (typeof createFenlight !== 'function') {
  fail(notLoaded);
} else {
  createFenlight({ canvas: canvas, onAbort: function () { fail(notLoaded); } }).then(function (loaded) {
    program = loaded;
    start();
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
  var label = share ? 'Share link' : 'Copy link', back = 0;
  button.textContent = label;
  function say(text) {
    button.textContent = text;
    clearTimeout(back);
    back = setTimeout(function () { button.textContent = label; }, 2000);
  }
  button.addEventListener('click', function () {
    if (share) return share({ title: document.title, url: location.href }).catch(function () {});
    clipboard.writeText(location.href).then(function () { say('Link copied'); },
                                            function () { say('Could not copy'); });
  });
}
function megabytes(bytes) {
  return bytes >= 1048576 ? (bytes / 1048576).toFixed(1) + ' MB' : Math.max(1, Math.round(bytes / 1024)) + ' KB';
}
// An entry names a file beside the page, its size and the system it is for.
function offered(entry) {
  return entry && typeof entry.name === 'string' && /^[A-Za-z0-9][\w.+-]*$/.test(entry.name) &&
    typeof entry.system === 'string' && Number.isSafeInteger(entry.size) && entry.size > 0;
}
function offerDownloads() {
  fetch('downloads.json', { cache: 'no-cache' }).then(function (reply) {
    return reply.ok ? reply.json() : null;
  }).then(function (list) {
    var entries = list && Array.isArray(list.files) ? list.files.filter(offered) : [];
    if (!entries.length) return;
    var items = document.getElementById('downloads');
    entries.forEach(function (entry) {
      var item = items.appendChild(document.createElement('li'));
      var link = item.appendChild(document.createElement('a'));
      link.href = entry.name;
      link.download = '';
      link.textContent = entry.system;
      var detail = item.appendChild(document.createElement('span'));
      detail.textContent = entry.name + ', ' + megabytes(entry.size);
    });
    if (typeof list.version === 'string') document.getElementById('get-title').textContent += ' ' + list.version;
    document.getElementById('get').hidden = false;
  }).catch(function () {});
}
if (!still) {
  keepOffline();
  shareButton();
  offerDownloads();
}
})();
