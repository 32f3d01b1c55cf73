// Gamepads, read at every display frame, so that a pad connected or first pressed after the page
// loaded plays. A pad in the standard layout gives the desktop controller's controls: the d-pad and
// the left stick walk, the south button fires, Start and the left shoulder are the key 1, the east,
// west and north buttons the keys 2, 3 and 4. Any other pad walks with its first two axes and fires
// with its first button. The keys held are those of the pads present now: a pad that goes away
// releases its keys. Input from a pad puts the touch controls away.
'use strict';
window.Grimvale = window.Grimvale || {};

Grimvale.gamepad = (function () {
  // Columns: button number in the standard layout, the key it holds.
  var standardButtons = [
    [0, 'fire'], [1, '2'], [2, '3'], [3, '4'], [9, '1'], [4, '1'],
    [12, 'up'], [13, 'down'], [14, 'left'], [15, 'right'],
  ];
  var deadZone = 0.25;  // a stick at rest seldom reads zero: within this much of the centre it holds nothing
  var held = {};  // key name: held by a pad at the last frame
  Grimvale.input.names.forEach(function (name) { held[name] = false; });
  var now = Object.assign({}, held);

  function pressed(button) { return Boolean(button) && (button.pressed || button.value > 0.5); }

  function walk(x, y) {
    if (x < -deadZone) now.left = true;
    if (x > deadZone) now.right = true;
    if (y < -deadZone) now.up = true;
    if (y > deadZone) now.down = true;
  }

  function readPad(pad) {
    if (pad.mapping === 'standard') {
      standardButtons.forEach(function (row) { if (pressed(pad.buttons[row[0]])) now[row[1]] = true; });
    } else if (pressed(pad.buttons[0])) {
      now.fire = true;
    }
    walk(pad.axes[0] || 0, pad.axes[1] || 0);
    return pad.buttons.some(pressed);
  }

  // A page where gamepads are not allowed (an insecure host, a frame without the permission) has none.
  function padsNow() {
    try {
      return navigator.getGamepads ? navigator.getGamepads() : [];
    } catch (error) {
      return [];
    }
  }

  // The first display frame is the game's title alone: the browser's gamepad service, slow to wake,
  // is first asked at the next one (a pad pressed by then is still held then).
  var titleShown = false;

  function read() {
    if (!titleShown) {
      titleShown = true;
      return;
    }
    var pads = padsNow();
    var used = false;
    var name;
    for (name in now) now[name] = false;
    for (var i = 0; i < pads.length; i++) {
      if (pads[i] && pads[i].connected && readPad(pads[i])) used = true;
    }
    for (name in now) {
      if (now[name]) used = true;
      if (now[name] !== held[name]) Grimvale.input.hold('gamepad', name, now[name]);
      held[name] = now[name];
    }
    if (used) Grimvale.touch.show(false);
  }

  return { read: read };
})();
