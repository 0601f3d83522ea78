// Keeps the site on the device, so that it loads and runs with no network
// once it has been visited, and never mixes versions. The files of one
// version (its style, scripts, worker and program) lie in a folder named
// with the version and never change, so they are answered from the caches
// first: a page of an older version left open goes on running its own
// program. Every other file, the page itself among them, comes from the
// network while there is one, so that a new version or a teacher's edit
// shows at the next load, and from this version's cache offline.
'use strict';

const version = '@VERSION@';
const cacheName = `kondensator-${version}`;
const files = [@FILES@];
const ofOneVersion = /\/\d+\.\d+\.\d+\//;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(cacheName)
    .then((cache) => cache.addAll(files.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

// Keeps this version and the newest before it, which a page left open may
// still run; the older ones go.
const versionOf = (name) => name.slice('kondensator-'.length).split('.').map(Number);
const compare = (a, b) => {
  const [x, y] = [versionOf(a), versionOf(b)];
  const i = x.findIndex((part, k) => part !== y[k]);
  return i < 0 ? 0 : x[i] - y[i];
};
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => {
      const ours = names.filter((name) => name.startsWith('kondensator-'));
      const before = ours.filter((name) => compare(name, cacheName) < 0).sort(compare);
      const kept = [cacheName, before[before.length - 1]];
      return Promise.all(ours.filter((name) => !kept.includes(name)).map((name) => caches.delete(name)));
    })
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  if (ofOneVersion.test(new URL(request.url).pathname)) {
    event.respondWith(caches.match(request, { ignoreSearch: true }).then((cached) => cached || fetch(request)));
    return;
  }
  event.respondWith(fetch(request, { cache: 'no-cache' }).catch(() => caches.open(cacheName)
    .then((cache) => cache.match(request, { ignoreSearch: true })
      .then((cached) => cached || (request.mode === 'navigate' ? cache.match('./') : Response.error())))));
});
