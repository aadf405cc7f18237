// The page's service worker: it keeps the page's own files, so that once
// it has been opened from a web server the page opens and runs without a
// connection.  Each release keeps them under a name of its own, with its
// version in it, and takes the previous release's away when it starts.
var name = 'person-card @PROJECT_VERSION@ ' + registration.scope;
var files = ['@files@'];

addEventListener('install', function (event) {
  // From the server itself: the browser's HTTP cache may still hold the
  // previous release's files.
  event.waitUntil(caches.open(name).then(function (cache) {
    return cache.addAll(files.map(function (file) {
      return new Request(file, { cache: 'reload' });
    }));
  }).then(function () {
    return skipWaiting();
  }));
});

addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (other) {
      return other != name && /^person-card /.test(other) &&
        other.endsWith(' ' + registration.scope);
    }).map(function (other) {
      return caches.delete(other);
    }));
  }).then(function () {
    return clients.claim();
  }));
});

// A kept file from the cache, anything else from the server.  The page's
// folder itself, as a server would give it, is index.html.
addEventListener('fetch', function (event) {
  var request = event.request.url == registration.scope ? 'index.html' : event.request;
  event.respondWith(caches.match(request, { cacheName: name, ignoreSearch: true }).then(function (kept) {
    return kept || fetch(event.request);
  }));
});
