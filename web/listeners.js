// Compiled in front of grimvale.js: how the emulated SDL listens to the page.
(function () {
  // It ends the program when the page unloads, by an 'unload' listener, which browsers no longer want
  // and which keeps the page out of their back/forward cache. It hears 'pagehide' instead, and only
  // when the page goes for good.
  var listen = window.addEventListener;
  window.addEventListener = function (type, listener, options) {
    if (type !== 'unload') return listen.call(window, type, listener, options);
    listen.call(window, 'pagehide', function (event) {
      if (!event.persisted) listener({ type: 'unload' });
    });
  };

  // It cancels the canvas's touches and wheel turns, which would scroll the page, so its listeners for
  // them say that they are not passive: a browser otherwise warns that they may hold up scrolling.
  var canvas = Module.canvas;
  if (!canvas) return;
  var listenOnCanvas = canvas.addEventListener;
  var scrollBlocking = ['touchstart', 'touchmove', 'wheel', 'mousewheel'];
  canvas.addEventListener = function (type, listener, options) {
    if (scrollBlocking.indexOf(type) >= 0 && typeof options !== 'object') {
      options = { capture: options === true, passive: false };
    }
    return listenOnCanvas.call(canvas, type, listener, options);
  };
})();
