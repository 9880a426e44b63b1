// The site's service worker: a player who has loaded the game once plays it again without a
// connection, also from the home screen. The site's files are kept in a cache named for the
// build; a new build is a new worker (its version differs), which fills its own cache and takes
// over whole: pages are its build's from then on. The game's files carry their build in their
// names, and a page of the old build that is still loading gets its own build's files from the
// old cache, which goes once a page of the new build has started. The site's files come from
// the cache first; anything else (a replay named in the address, the score server) from the
// network.
const version = '@VERSION@';
const build = '@BUILD@';
const files = [@FILES@];
const cache = 'varnhold-' + version;

self.addEventListener('install', (e) => {
  e.waitUntil(caches.open(cache)
    .then((c) => c.addAll(['./', ...files].map((f) => new Request(f, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (e) => e.waitUntil(self.clients.claim()));

// A page of this build has started ({started: BUILD}): the older builds' caches go.
self.addEventListener('message', (e) => {
  if (!e.data || e.data.started !== build) return;
  e.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k.startsWith('varnhold-') && k !== cache).map((k) => caches.delete(k)))));
});

self.addEventListener('fetch', (e) => {
  const url = new URL(e.request.url), scope = new URL(self.registration.scope);
  if (e.request.method !== 'GET' || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return;
  const name = url.pathname.slice(scope.pathname.length) || './';
  // the page's address without its query: ?seed=3 is the same page
  if (name === './' || files.includes(name)) {
    e.respondWith(caches.open(cache)
      .then((c) => c.match(name, { ignoreSearch: true }))
      .then((hit) => hit || fetch(e.request)));
  } else if (/^(varnhold|page)-\w+\.(js|wasm|data)$/.test(name)) {
    // another build's file, for a page of that build
    e.respondWith(caches.match(name, { ignoreSearch: true }).then((hit) => hit || fetch(e.request)));
  }
});
