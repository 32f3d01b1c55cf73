// Makes the page an installable web app that plays offline: registers the service worker (sw.js,
// written by scripts/build-web), which keeps the build's files in the browser's cache.
'use strict';

(() => {
  if (!('serviceWorker' in navigator) || location.protocol === 'file:') return;
  // A new build takes over as soon as its service worker has its files. If that happens while this
  // page is still fetching an earlier build's files, it would get some of each: it starts again,
  // wholly on the new build. A game already running plays on; the next visit gets the new build.
  const updating = Boolean(navigator.serviceWorker.controller);
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (updating && !(window.Module && window.Module.calledRun)) location.reload();
  });
  // Registering again does not look for a new build, so each visit asks for one.
  window.addEventListener('load', () => {
    navigator.serviceWorker.register('sw.js')
      .then((registration) => updating && registration.update())
      .catch((error) => console.warn(`The service worker was not registered or brought up to date: ${error.message}`));
  });
})();
