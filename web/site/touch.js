// The touch controls: a d-pad on one side, on the other a large fire button, the four weapons (the
// first also starts the match) and the pause. Shown once the page is used by touch, hidden after a
// key press on a keyboard or input from a gamepad, shown again at the next touch. Every finger is
// followed by its own pointer id and holds what lies under it now: sliding changes the held keys
// without lifting, sliding off a control, lifting or a cancelled touch releases them.
'use strict';
window.Grimvale = window.Grimvale || {};

Grimvale.touch = (function () {
  var root = document.documentElement;
  var dpad = document.getElementById('dpad');
  var cross = dpad.querySelector('.cross');
  var buttons = document.getElementById('buttons');
  var controls = Array.prototype.slice.call(document.querySelectorAll('.control[data-key]'));
  var fingers = new Map();  // pointer id: { side it went down on (dpad or buttons), the keys it holds }
  var slant = Math.sin(Math.PI / 8);  // a direction is held within 67.5 degrees of it: diagonals between two
  var middle = 0.2;  // the d-pad's middle, as a share of its half width, holds nothing
  var lastPointerUp = -Infinity;  // when a mouse or pen last let go on a control: its own click follows
  var clicked = null;  // { key, pass } held by a click until the game has run a pass with it

  function holder(pointerId) { return 'finger ' + pointerId; }

  function shown() { return root.classList.contains('touch'); }

  function show(on) {
    if (shown() === on) return;
    root.classList.toggle('touch', on);
    if (!on) fingers.forEach(function (finger, id) { lift(id); });
    Grimvale.layout.fit();
  }

  // The arrows a finger at (x, y) holds on the d-pad: none off its square or in its middle.
  function directions(x, y) {
    var r = cross.getBoundingClientRect();
    var dx = (x - r.left) / (r.width / 2) - 1;
    var dy = (y - r.top) / (r.height / 2) - 1;
    var length = Math.hypot(dx, dy);
    var held = [];
    if (Math.abs(dx) > 1 || Math.abs(dy) > 1 || length < middle) return held;
    if (dx > slant * length) held.push('right');
    if (dx < -slant * length) held.push('left');
    if (dy > slant * length) held.push('down');
    if (dy < -slant * length) held.push('up');
    return held;
  }

  // The key of the button at (x, y), if it is one of this side's.
  function buttonKey(x, y) {
    var under = document.elementFromPoint(x, y);
    var control = under && under.closest('[data-key]');
    return control && buttons.contains(control) ? [control.dataset.key] : [];
  }

  function showHeld() {
    controls.forEach(function (c) { c.classList.toggle('held', Grimvale.input.isHeld(c.dataset.key)); });
  }

  // Holds what lies under the finger now; a move that changes nothing costs no more than finding that.
  function follow(event) {
    var finger = fingers.get(event.pointerId);
    if (!finger) return;
    var keys = finger.side === dpad ? directions(event.clientX, event.clientY) : buttonKey(event.clientX, event.clientY);
    var held = keys.join(' ');
    if (held === finger.held) return;
    finger.held = held;
    Grimvale.input.names.forEach(function (name) {
      Grimvale.input.hold(holder(event.pointerId), name, keys.indexOf(name) >= 0);
    });
    showHeld();
  }

  function lift(pointerId) {
    if (!fingers.delete(pointerId)) return;
    Grimvale.input.releaseAll(holder(pointerId));
    showHeld();
  }

  // No preventDefault here: Firefox would then send no pointerdown for a second finger landing in the
  // same touch. The controls' touch-action and the touchstart below keep the page still.
  function press(event, side) {
    if (event.button > 0) return;
    // Moves of this finger come to its side wherever it goes (touches do that by themselves).
    if (event.pointerType !== 'touch') side.setPointerCapture(event.pointerId);
    fingers.set(event.pointerId, { side: side, held: null });
    if (event.target.closest('#pause')) Grimvale.input.togglePause();
    else if (document.activeElement !== Module.canvas) Module.canvas.focus();
    follow(event);
  }

  [dpad, buttons].forEach(function (side) {
    side.addEventListener('pointerdown', function (event) { press(event, side); });
    side.addEventListener('pointermove', follow);
    ['pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
      side.addEventListener(type, function (event) { lift(event.pointerId); });
    });
    side.addEventListener('pointerup', function (event) { lastPointerUp = event.timeStamp; });
    // A mouse press leaves the keyboard on the canvas (the game would pause without it).
    side.addEventListener('mousedown', function (event) { event.preventDefault(); });
    side.addEventListener('click', click);
    // A touch on a control makes no mouse events: the keyboard stays on the canvas (the game would
    // pause without it), and a double tap does not zoom.
    side.addEventListener('touchstart', function (event) { event.preventDefault(); }, { passive: false });
  });

  // Nowhere on the page does a touch scroll it or zoom it (Safari pinches by its own gesture events).
  document.addEventListener('touchmove', function (event) { event.preventDefault(); }, { passive: false });
  document.addEventListener('gesturestart', function (event) { event.preventDefault(); });
  document.addEventListener('dblclick', function (event) { event.preventDefault(); });

  window.addEventListener('pointerdown', function (event) { if (event.pointerType === 'touch') show(true); }, true);
  window.addEventListener('keydown', function () { show(false); }, true);
  show(window.matchMedia('(pointer: coarse)').matches);

  // A click that no pointer's press came before (an assistive technology's, a switch's) holds the
  // button's key for one pass, so that a weapon change or the start counts; on the pause button it
  // pauses or resumes. Should the click have taken the keyboard, the canvas has it back before any
  // pass sees it gone.
  function click(event) {
    var control = event.target.closest('.control');
    if (!control || event.timeStamp - lastPointerUp < 500) return;
    var tookKeyboard = document.activeElement === control;
    if (tookKeyboard) Module.canvas.focus();
    if (tookKeyboard) Module.keyboardLost = false;
    if (control.id === 'pause') Grimvale.input.togglePause();
    if (control.id === 'pause') return;
    if (clicked) Grimvale.input.hold('click', clicked.key, false);
    clicked = { key: control.dataset.key, pass: Module._grimvalePassesRun() };
    Grimvale.input.hold('click', clicked.key, true);
    showHeld();
  }

  // At every display frame: a click's key let go once a pass has run with it; the first weapon
  // button says "Start" while the title screen shows.
  var onTitle = null;
  function update() {
    if (clicked && Module._grimvalePassesRun() > clicked.pass) {
      Grimvale.input.hold('click', clicked.key, false);
      clicked = null;
      showHeld();
    }
    var title = !Grimvale.input.matchStarted();
    if (title !== onTitle) root.classList.toggle('title', title);
    onTitle = title;
  }

  return { show: show, update: update };
})();
