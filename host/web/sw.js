// The page's service worker: it keeps the page's own files in a cache named after their hash, so the page
// opens offline. A new version of the page changes that name here, so the browser installs the new worker: it
// fills a cache of its own, takes over at once, and deletes the caches of the versions before it. Anything
// else (the downloads list, the downloads) goes to the network as if there were no worker.
'use strict';
var CACHE = 'fenlight-@HASH@';
var FILES = [@FILES@];
self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(CACHE).then(function (cache) {
    // Past any HTTP cache: an older file there must not enter a newer version's cache.
    return cache.addAll(FILES.map(function (name) { return new Request(name, { cache: 'reload' }); }));
  }).then(function () { return self.skipWaiting(); }));
});
self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf('fenlight-') === 0 && name !== CACHE;
    }).map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});
self.addEventListener('fetch', function (event) {
  var url = new URL(event.request.url), scope = new URL(self.registration.scope);
  if (event.request.method !== 'GET' || url.origin !== scope.origin) return;
  var name = url.pathname.slice(scope.pathname.length) || './';
  if (url.pathname.indexOf(scope.pathname) !== 0 || FILES.indexOf(name) < 0) return;
  event.respondWith(caches.open(CACHE).then(function (cache) { return cache.match(name); })
    .then(function (kept) { return kept || fetch(event.request); }));
});
