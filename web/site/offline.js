// Makes the page an installable web app that plays offline: registers the service worker (sw.js,
// written by scripts/build-web), which keeps the build's files in the browser's cache.
'use strict';

const serviceWorkers = location.protocol === 'file:' ? undefined : navigator.serviceWorker;
const updatingBuild = Boolean(serviceWorkers && serviceWorkers.controller);

// A new build takes over as soon as its service worker has its files. Should that happen while this
// page is still fetching an earlier build's files, it would get some of each: it starts again, wholly
// on the new build. A game already running plays on; the next visit gets the new build.
if (serviceWorkers) {
  serviceWorkers.addEventListener('controllerchange', () => {
    if (updatingBuild && !(window.Module && window.Module.gameStarted)) location.reload();
  });
}

// Called once the game runs, so that on a slow line the service worker's copies never hold up the
// game's own files. Registering again does not look for a new build, so each visit asks for one.
function keepForOffline() {
  if (!serviceWorkers) return;
  serviceWorkers.register('sw.js')
    // Offline the look for a new build fails; it is made again at the next visit, without a word.
    .then((registration) => updatingBuild && registration.update().catch(() => {}))
    .catch((error) => console.warn(`The service worker was not registered or brought up to date: ${error.message}`));
}
