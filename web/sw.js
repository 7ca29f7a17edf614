// The web edition's service worker: every file of the edition the page fetches is kept,
// so that after one visit a reload without the network still opens the book. The
// network is asked first, so a new edition on the server reaches the reader at once.
'use strict';
const CACHE = 'quietharbour-edition';
const AT_INSTALL = ['./', 'index.js', 'index.wasm', 'app.webmanifest'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(AT_INSTALL)).then(() => self.skipWaiting()));
});
self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(fetch(request).then((response) => {
    if (response.ok) {
      const copy = response.clone();
      event.waitUntil(caches.open(CACHE).then((cache) => cache.put(request, copy)));
    }
    return response;
  }, () => caches.match(request, { ignoreSearch: true }).then((kept) => kept || Response.error())));
});
