// The keys the page holds for the game (its touch controls, gamepads), the keyboard's keys as the
// game gets them on the canvas, and the page's pause. Each holder (a finger, the gamepads) holds keys of its own; the game sees a key held while any
// holder holds it, so one letting go never releases another's. The game reads these keys at its
// next pass, as it reads the keyboard (grimvaleHoldKey in src/platform/platform_web.cpp).
'use strict';
window.Grimvale = window.Grimvale || {};

Grimvale.input = (function () {
  // The game's key constants: the arrows are 1024 plus their scancode, the others their character.
  var codes = { up: 1106, down: 1105, left: 1104, right: 1103, fire: 32, 1: 49, 2: 50, 3: 51, 4: 52 };
  var names = Object.keys(codes);
  var holders = {};  // key name: the set of holders holding it
  names.forEach(function (name) { holders[name] = new Set(); });
  var running = false;

  // The keyboard: the emulated SDL hears the canvas's key events, registered after these. A held key
  // acts once, as on the desktop: the browser's repeats are key-downs to it (each would pause again),
  // so they never reach it. Every key it saw go down is let go when the canvas loses the keyboard
  // (Tab, a click elsewhere, the controls panel), since the key's release goes elsewhere and the
  // officer would walk on with nothing pressed.
  var canvas = document.getElementById('canvas');
  var keyboardDown = new Map();  // DOM key code: its location, for keys the game saw go down and not up
  canvas.addEventListener('keydown', function (event) {
    if (event.repeat && event.key !== 'Tab') {
      event.preventDefault();
      event.stopImmediatePropagation();
    }
    if (!event.repeat) keyboardDown.set(event.keyCode, event.location);
  });
  canvas.addEventListener('keyup', function (event) { keyboardDown.delete(event.keyCode); });
  canvas.addEventListener('blur', function () {
    keyboardDown.forEach(function (location, keyCode) {
      var up = new KeyboardEvent('keyup', { location: location });
      Object.defineProperty(up, 'keyCode', { value: keyCode });
      canvas.dispatchEvent(up);
    });
  });

  function tell(name) {
    if (running) Module._grimvaleHoldKey(codes[name], holders[name].size > 0 ? 1 : 0);
  }

  // Holds (held true) or lets go of a key, by name: "up", "down", "left", "right", "fire", "1" to "4".
  function hold(holder, name, held) {
    var set = holders[name];
    var before = set.size > 0;
    if (held) set.add(holder); else set.delete(holder);
    if (before !== set.size > 0) tell(name);
  }

  function releaseAll(holder) {
    names.forEach(function (name) { hold(holder, name, false); });
  }

  function isHeld(name) { return holders[name].size > 0; }

  // Once the game runs it is told every key already held; after it has ended, nothing more.
  function setRunning(on) {
    running = on;
    if (on) names.forEach(tell);
  }

  // Pauses or resumes as the key P does. The canvas takes the keyboard first, since the game pauses
  // again at once without it.
  var asked = false;  // whether togglePause was called since pauseAsked last answered
  function togglePause() {
    if (!running) return;
    Module.canvas.focus();
    Module._grimvaleTogglePause();
    asked = true;
  }

  // Whether the page's pause button paused or resumed the game since the last time this was asked.
  function pauseAsked() {
    var was = asked;
    asked = false;
    return was;
  }

  function matchStarted() { return running && Module._grimvaleMatchStarted() === 1; }

  return { names: names, hold: hold, releaseAll: releaseAll, isHeld: isHeld, setRunning: setRunning,
           togglePause: togglePause, pauseAsked: pauseAsked, matchStarted: matchStarted };
})();
