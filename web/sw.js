// The page's service worker, completed by scripts/build-web: it keeps every file of one build in the
// browser's cache, so that after one visit the game starts without the network, and answers from
// that cache before asking the host. A new build is a new service worker (its list and hash differ),
// which the browser finds at the next visit: it fetches the new build's files into a cache of its
// own, takes over at once and deletes the caches of earlier builds. FILES names each file with the
// hash the build gave it: a host caught halfway through copying a new build serves some files of
// each, and the new worker then refuses to install, so the old build plays on and the browser tries
// the new one again at a later visit.
const BUILD = 'unbuilt';
const FILES = {};

// Each copy of the game on a host keeps its own caches, named after the folder it is served from.
const SCOPE = new URL(self.registration.scope).pathname;
const PREFIX = `grimvale ${SCOPE} `;
const CACHE = PREFIX + BUILD;

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    // Each checked with the host, as the browser's HTTP cache may still hold an earlier build's
    // files; those the page has just fetched come back "not modified" from most hosts. A file
    // whose bytes do not match its hash fails: the worker hashes them itself, as not every engine
    // checks a request's integrity inside a service worker.
    try {
      await Promise.all(Object.entries(FILES).map(async ([name, integrity]) => {
        const response = await fetch(new Request(name, { integrity, cache: 'no-cache' }));
        if (!response.ok) throw new Error(`${name}: the host answered ${response.status}`);
        const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer()));
        if (`sha256-${btoa(String.fromCharCode(...digest))}` !== integrity) throw new Error(`${name} is not this build's`);
        await cache.put(name, response);
      }));
    } catch (error) {
      await caches.delete(CACHE);
      throw error;
    }
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(PREFIX) && name !== CACHE) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

// The page, at the folder's address or as index.html, and the build's files come from the cache;
// anything else, or anything the cache has lost, from the host.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin || !url.pathname.startsWith(SCOPE)) return;
  const name = decodeURIComponent(url.pathname.slice(SCOPE.length)) || 'index.html';
  if (!Object.prototype.hasOwnProperty.call(FILES, name)) return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(name, { ignoreSearch: true }))
    .then((kept) => kept || fetch(event.request)));
});
