// The page's service worker: the site's files kept in this browser, so that the next visit starts
// from them, with or without a network. The cache is named by the bytes it holds (site.mjs): a new
// build is a new worker, which takes over and drops the old cache.
"use strict";
const cache = "@CACHE@";
const files = @FILES@;

self.addEventListener("install", (e) => {
  e.waitUntil(caches.open(cache).then((c) => c.addAll(files)).then(() => self.skipWaiting()));
});
self.addEventListener("activate", (e) => {
  e.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith("detonix-") && n !== cache).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});
// The settings are in the address: any query is the same page.
self.addEventListener("fetch", (e) => {
  if (e.request.method !== "GET") return;
  e.respondWith(caches.open(cache)
    .then((c) => c.match(e.request, { ignoreSearch: true }))
    .then((kept) => kept || fetch(e.request)));
});
