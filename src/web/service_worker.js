// Keeps the site on the device, so that it loads and runs with no network
// once it has been visited. Every file of the site goes into a cache named
// with the version at install, and every request is answered from there.
// When a new version is published, the next visit installs it beside the
// old one; it takes over at once, so that the following load is the new
// version's, and the old version's cache is deleted.
'use strict';

const cacheName = 'kondensator-@VERSION@';
const files = [@FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(cacheName)
    .then((cache) => cache.addAll(files.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('kondensator-') && name !== cacheName)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((cached) => cached || fetch(event.request)));
});
