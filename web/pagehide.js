// Compiled in front of grimvale.js: the emulated SDL ends the program when the page unloads, by an
// 'unload' listener, which browsers no longer want and which keeps the page out of their
// back/forward cache. It hears 'pagehide' instead, and only when the page goes for good.
(function () {
  var listen = window.addEventListener;
  window.addEventListener = function (type, listener, options) {
    if (type !== 'unload') return listen.call(window, type, listener, options);
    listen.call(window, 'pagehide', function (event) {
      if (!event.persisted) listener({ type: 'unload' });
    });
  };
})();
