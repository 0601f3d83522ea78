// Keeps the site on the device, so that it loads and runs with no network
// once it has been visited, and never mixes builds. The files of one build
// (its style, scripts, worker and program) lie in a folder named by a hash of
// what they hold, so they never change under their names and are answered
// from the caches first: a page of an older build left open goes on running
// its own program. Every other file, the page itself among them, comes from
// the network while there is one, so that a new build or a teacher's edit
// shows at the next load, and from this build's cache offline.
'use strict';

const cacheName = 'kondensator-@BUILD@';
const files = [@FILES@];
const ofOneBuild = /\/[0-9a-f]{16}\//;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(cacheName)
    .then((cache) => cache.addAll(files.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

// Keeps this build and the one cached last before it, which a page left
// open may still run; the older ones go. The caches are listed in the order
// they were made.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => {
      const before = names.filter((name) => name.startsWith('kondensator-') && name !== cacheName);
      return Promise.all(before.slice(0, -1).map((name) => caches.delete(name)));
    })
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  if (ofOneBuild.test(new URL(request.url).pathname)) {
    event.respondWith(caches.match(request, { ignoreSearch: true }).then((cached) => cached || fetch(request)));
    return;
  }
  event.respondWith(fetch(request, { cache: 'no-cache' }).catch(() => caches.open(cacheName)
    .then((cache) => cache.match(request, { ignoreSearch: true })
      .then((cached) => cached || (request.mode === 'navigate' ? cache.match('./') : Response.error())))));
});
