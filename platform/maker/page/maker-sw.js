// The maker's service worker: it keeps every file of the maker's folder in a
// cache named after the folder's version, so the maker opens with the network
// gone. The build replaces the line below with the folder's files and a hash
// of their contents (precache.cmake); a changed file is a new worker.
//   install   fetches every file of this version, past the HTTP cache (not
//             revalidated: a Last-Modified of whole seconds may miss a change), into
//             this version's cache; one missing file fails the install and the
//             old version stays.
//   activate  deletes the caches of other versions. A new version activates
//             once no tab runs the old one (no skipWaiting): a running tab
//             never gets a mix of old and new files.
//   fetch     answers from this version's cache first, the network otherwise.
const Precache = { version: 'unbuilt', files: [] };
const CachePrefix = 'intro-maker-';
const CacheName = CachePrefix + Precache.version;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CacheName).then((cache) =>
    cache.addAll(Precache.files.map((file) => new Request(file, { cache: 'reload' })))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith(CachePrefix) && name !== CacheName)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The cache key of a request: its address without query or fragment, a
// folder's address being its index.html.
function cacheKey(request) {
  const url = new URL(request.url);
  url.search = '';
  url.hash = '';
  if (url.pathname.endsWith('/')) url.pathname += 'index.html';
  return url.href;
}

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(CacheName)
    .then((cache) => cache.match(cacheKey(request)))
    .then((cached) => cached ?? fetch(request)));
});
