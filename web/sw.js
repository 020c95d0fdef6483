// The site's service worker: the site's files in a cache named after the version, for use with no network.
//
// Both viewers load and work offline after one visit to any page. The web build writes
// the version and a digest of the site's other files in place of the @-names: a new version gets a
// cache of its own, which replaces the old one whole once no page of the old one is open; a
// rebuilt site of the same version changes this file too (the digest), so browsers fetch it anew.
// The site's files: @DIGEST@
var Cache = 'gaugeplot-@VERSION@';
var Files = ['./', 'index.html', 'manifest.json', 'gaugeplot3d-192.png', 'gaugeplot3d-512.png',
  'gaugeplot2d.html', 'gaugeplot2d.js', 'gaugeplot2d.wasm', 'gaugeplot2d.svg',
  'gaugeplot3d.html', 'gaugeplot3d.js', 'gaugeplot3d.wasm', 'gaugeplot3d.svg'];

// From the server itself, not from the browser's HTTP cache, which may hold an older version's.
self.addEventListener('install', function(e) {
  e.waitUntil(caches.open(Cache).then(function(cache) {
    return cache.addAll(Files.map(function(file) { return new Request(file, {cache: 'reload'}); }));
  }));
});

self.addEventListener('activate', function(e) {
  e.waitUntil(caches.keys().then(function(names) {
    return Promise.all(names.filter(function(name) { return name.startsWith('gaugeplot-') && name !== Cache; })
      .map(function(name) { return caches.delete(name); }));
  }));
});

// The site's files from the cache, anything else from the network.
self.addEventListener('fetch', function(e) {
  if (e.request.method !== 'GET') return;
  e.respondWith(caches.open(Cache).then(function(cache) { return cache.match(e.request); }).then(function(hit) {
    return hit || fetch(e.request);
  }));
});
