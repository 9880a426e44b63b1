// The site's service worker: a player who has loaded the game once plays it again without a
// connection, also from the home screen. The site's files are kept in a cache named for the
// build; a new build is a new worker (its version differs), which fills its own cache and
// drops the old one. The site's files come from the cache first; anything else (a replay
// named in the address, the score server) from the network.
const version = '@VERSION@';
const files = [@FILES@];
const cache = 'varnhold-' + version;

self.addEventListener('install', (e) => {
  e.waitUntil(caches.open(cache)
    .then((c) => c.addAll(['./', ...files].map((f) => new Request(f, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (e) => {
  e.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k.startsWith('varnhold-') && k !== cache).map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (e) => {
  const url = new URL(e.request.url), scope = new URL(self.registration.scope);
  if (e.request.method !== 'GET' || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return;
  const name = url.pathname.slice(scope.pathname.length) || './';
  if (name !== './' && !files.includes(name)) return;
  // the page's address without its query: ?seed=3 is the same page
  e.respondWith(caches.open(cache)
    .then((c) => c.match(name === './' ? './' : name, { ignoreSearch: true }))
    .then((hit) => hit || fetch(e.request)));
});
