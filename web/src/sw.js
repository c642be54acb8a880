// Keeps the page working offline once it has been loaded: every file of the
// site is cached at install, and requests for them are answered from the
// cache. A new build has a new version, whose worker replaces the old cache.

const kVersion = "__VORLANEX_VERSION__";
const kFiles = __VORLANEX_FILES__;

self.addEventListener("install", (event) => {
  event.waitUntil(
    caches
      .open(kVersion)
      .then((cache) => cache.addAll(kFiles))
      .then(() => self.skipWaiting())
  );
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) => Promise.all(names.filter((name) => name !== kVersion).map((name) => caches.delete(name))))
      .then(() => self.clients.claim())
  );
});

self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(
    caches.open(kVersion).then((cache) =>
      cache.match(request, { ignoreSearch: true }).then((cached) => cached ?? fetch(request))
    )
  );
});
