// The picture's place and size. Without the touch controls the picture fills the space between the
// heading and the status line, as on a desktop; with them it goes across the full width above them
// (portrait) or at full height between them (landscape), never under them. Where the device pixel
// ratio is below 2 the picture is enlarged by whole numbers of device pixels; at 2 and above it takes
// the largest size that fits, its pixels kept square and crisp by the canvas's pixelated rendering.
// Where even one device pixel a game pixel does not fit, it is shown smaller, whole.
'use strict';
window.Grimvale = window.Grimvale || {};

Grimvale.layout = (function () {
  var root = document.documentElement;
  var stage = document.getElementById('stage');
  var header = document.querySelector('header');
  var footer = document.querySelector('footer');
  var statusLine = document.getElementById('status');
  var statusRoom = document.getElementById('status-room');
  var pictureW = 600, pictureH = 500;
  var besideWidth = 136;  // landscape: the least width beside the picture for the d-pad, and for the buttons
  var belowHeight = 200;  // portrait: the least height under the picture for the controls

  function landscape() { return window.matchMedia('(orientation: landscape)').matches; }

  // Device pixels a game pixel, for the picture to fit a w x h box of CSS pixels.
  function deviceScale(w, h, ratio) {
    var fits = Math.max(0, Math.min(w * ratio / pictureW, h * ratio / pictureH));
    return ratio < 2 && fits >= 1 ? Math.floor(fits) : fits;
  }

  // The box the picture may fill, in CSS pixels.
  function box() {
    if (!root.classList.contains('touch')) return [stage.clientWidth, stage.clientHeight];
    if (landscape()) return [root.clientWidth - 2 * besideWidth, root.clientHeight];
    return [root.clientWidth, root.clientHeight - header.offsetHeight - footer.offsetHeight - belowHeight];
  }

  // The status line's room: its longest message on one line where the width allows, and as many
  // lines as that message takes at the width the line then gets.
  function keepStatusRoom() {
    statusRoom.style.width = '';
    statusRoom.style.whiteSpace = '';
    root.style.setProperty('--status-width', Math.ceil(statusRoom.getBoundingClientRect().width) + 'px');
    statusRoom.style.width = statusLine.getBoundingClientRect().width + 'px';
    statusRoom.style.whiteSpace = 'normal';
    root.style.setProperty('--status-height', Math.ceil(statusRoom.getBoundingClientRect().height) + 'px');
  }

  // The status line keeps the room of this message, its longest, whatever it says.
  function keepRoomFor(text) {
    if (statusRoom.textContent === text) return;
    statusRoom.textContent = text;
    fit();
  }

  function fit() {
    var ratio = window.devicePixelRatio || 1;
    root.classList.remove('cramped');
    if (statusRoom.textContent) keepStatusRoom();
    var b = box();
    var scale = deviceScale(b[0], b[1], ratio);
    // The heading and the key line give way when the picture is shown below its own size and
    // would be larger without them.
    if (scale < ratio) {
      root.classList.add('cramped');
      b = box();
      var without = deviceScale(b[0], b[1], ratio);
      if (without > scale) scale = without;
      else root.classList.remove('cramped');
    }
    root.style.setProperty('--canvas-width', (pictureW * scale / ratio) + 'px');
    root.style.setProperty('--canvas-height', (pictureH * scale / ratio) + 'px');
    // Sideways with the touch controls, the status line's width comes from the picture's: its room is
    // measured again. Elsewhere the line's width does not hang on the picture.
    if (statusRoom.textContent && root.classList.contains('touch') && landscape()) keepStatusRoom();
  }

  window.addEventListener('resize', fit);
  window.addEventListener('orientationchange', fit);
  document.addEventListener('fullscreenchange', fit);
  return { fit: fit, keepRoomFor: keepRoomFor };
})();
