// The controls panel: the player's keys for each action and the game's speed, chosen on the page,
// put into effect through the game's exports (src/platform/controls_web.cpp) and kept in the
// browser's storage for the next visit. While the panel is open the game is paused and the keyboard
// is the panel's: no key pressed in it reaches the game.
'use strict';
window.Grimvale = window.Grimvale || {};

Grimvale.controls = (function () {
  // Columns: the action's name in storage, its label in the panel; rows in the game's numbering.
  var actions = [
    ['up', 'Walk up'], ['down', 'Walk down'], ['left', 'Walk left'], ['right', 'Walk right'],
    ['fire', 'Fire'], ['weapon1', 'Knife, starts the match'], ['weapon2', 'Colt'], ['weapon3', 'Thompson SMG'],
    ['weapon4', 'M1 Garand'], ['pause', 'Pause'], ['fullscreen', 'Full screen'],
  ];
  var speeds = [100, 75, 50];
  var storageName = 'grimvale.controls';
  var ESCAPE = 27, TAB = 9;

  // The emulated SDL's key constant for a key event, computed as it computes the place in the game's
  // key array: letters lowercase, a key without a character 1024 plus its scancode (a right-hand
  // modifier 4 past the left-hand one), a key in the tables its constant there, any other its DOM key code.
  var NO_CHAR = 1024;
  // DOM key code: scancode, for keys without a character.
  var scancodes = { 16: 225, 17: 224, 18: 226, 20: 57, 33: 75, 34: 78, 35: 77, 36: 74, 37: 80, 38: 82, 39: 79,
                    40: 81, 45: 73, 91: 227, 93: 101, 96: 98, 106: 85, 107: 87, 109: 86, 110: 99, 111: 84,
                    144: 83, 224: 227 };
  for (var n = 1; n <= 9; n++) scancodes[96 + n] = 88 + n;                      // keypad 1 to 9
  for (var f = 1; f <= 24; f++) scancodes[111 + f] = f <= 12 ? 57 + f : 91 + f;  // F1 to F24
  // DOM key code: key constant, for keys given another character's constant (or print screen's).
  var characters = { 44: 316, 46: 127, 160: 94, 161: 33, 162: 34, 163: 35, 164: 36, 165: 37, 166: 38, 167: 95,
                     168: 40, 169: 41, 170: 42, 171: 43, 172: 124, 173: 45, 174: 123, 175: 125, 176: 126, 181: 127,
                     182: 129, 183: 128, 188: 44, 190: 46, 191: 47, 192: 96, 219: 91, 220: 92, 221: 93, 222: 39 };

  function sdlKey(event) {
    var code = event.keyCode;
    if (code >= 65 && code <= 90) return code + 32;
    if (scancodes[code]) code = NO_CHAR + scancodes[code];
    else if (characters[code]) code = characters[code];
    var modifier = code >= NO_CHAR + 224 && code <= NO_CHAR + 227;
    return modifier && event.location === 2 ? code + 4 : code;
  }

  // Readable names by key constant, for the keys a character does not name.
  var names = { 8: 'Backspace', 9: 'Tab', 12: 'Clear', 13: 'Enter', 32: 'Space', 127: 'Delete', 316: 'Print Screen',
                186: ';', 187: '=', 189: '-' };
  var scancodeNames = { 57: 'Caps Lock', 73: 'Insert', 74: 'Home', 75: 'Page Up', 77: 'End', 78: 'Page Down',
                        79: 'Right arrow', 80: 'Left arrow', 81: 'Down arrow', 82: 'Up arrow', 83: 'Num Lock',
                        84: 'Keypad /', 85: 'Keypad *', 86: 'Keypad -', 87: 'Keypad +', 98: 'Keypad 0', 99: 'Keypad .',
                        101: 'Menu', 224: 'Left Ctrl', 225: 'Left Shift', 226: 'Left Alt', 227: 'Left Super',
                        228: 'Right Ctrl', 229: 'Right Shift', 230: 'Right Alt', 231: 'Right Super' };
  for (n = 1; n <= 9; n++) scancodeNames[88 + n] = 'Keypad ' + n;
  for (f = 1; f <= 24; f++) scancodeNames[f <= 12 ? 57 + f : 91 + f] = 'F' + f;
  Object.keys(scancodeNames).forEach(function (scancode) { names[NO_CHAR + Number(scancode)] = scancodeNames[scancode]; });

  function keyName(key) {
    if (names[key]) return names[key];
    return key > 32 && key < 127 ? String.fromCharCode(key).toUpperCase() : 'Key ' + key;
  }

  var canvas = document.getElementById('canvas');
  var opener = document.getElementById('controls-button');
  var dialog = document.getElementById('controls');
  var rows = document.getElementById('controls-actions');
  var said = document.getElementById('controls-said');
  var keyLine = document.getElementById('keys');
  var speedButtons = Array.prototype.slice.call(document.querySelectorAll('#controls-speed button'));

  var running = false;
  var own = {};          // action name: the keys the player chose, in order; none means its defaults
  var speed = 100;
  var choosing = -1;     // the action waiting for its key
  var shown = false;
  var runningWhenLeft = false;  // whether the game ran when the canvas last lost the keyboard
  var resumeOnClose = false;
  var chosenKey = null;          // DOM key code of the key just added, whose release must not press a button

  function keyList(action) {
    var keys = [];
    for (var key; (key = Module._grimvaleActionKey(action, keys.length)) >= 0;) keys.push(key);
    return keys;
  }

  // What a later build stored beside this one's choices (fields, actions) is written back as it was.
  var later = { fields: {}, keys: {} };
  var largestRecord = 8192;  // characters: every action with its 8 keys takes about 1000

  function keep() {
    var record = Object.assign({}, later.fields, { speed: speed, keys: Object.assign({}, later.keys, own) });
    try {
      localStorage.setItem(storageName, JSON.stringify(record));
    } catch (refused) { /* storage turned off: the choice lasts this visit */ }
  }

  function keysOr(action) { return keyList(action).map(keyName).join(' or '); }

  // The page's key line names the keys in force, in the words of the default line where they are the defaults.
  function showKeys() {
    var walk = [0, 1, 2, 3], weapons = [5, 6, 7, 8];
    var chosen = function (group) { return group.some(function (action) { return own[actions[action][0]]; }); };
    keyLine.textContent = [
      keysOr(5) + ' start the match',
      chosen(walk) ? walk.map(keysOr).join(', ') + ' walk up, down, left, right' : 'arrows walk',
      keysOr(4) + ' fires',
      chosen(weapons) ? weapons.map(keysOr).join(', ') + ' pick a weapon' : '1 to 4 pick a weapon',
      keysOr(9) + ' pauses',
      'Esc quits',
    ].join(' · ');
  }

  function render() {
    rows.querySelectorAll('tr').forEach(function (row, action) {
      var name = actions[action][0];
      var keys = keyList(action).map(keyName).join(', ');
      row.querySelector('.keys').textContent = own[name] ? keys : keys + ' (default)';
      row.classList.toggle('choosing', action === choosing);
      row.querySelector('.add').textContent = action === choosing ? 'Press a key…' : 'Add key';
    });
    speedButtons.forEach(function (button) {
      button.setAttribute('aria-pressed', String(Number(button.value) === speed));
    });
    showKeys();
  }

  function say(text) { said.textContent = text; }

  // A key that two actions share does both; the binding holds, and the panel says so.
  function clashes(action) {
    return keyList(action).map(function (key) {
      var others = actions.filter(function (row, other) { return other !== action && keyList(other).indexOf(key) >= 0; });
      if (others.length === 0) return '';
      return ' ' + keyName(key) + ' is also a key for ' + others.map(function (row) { return row[1]; }).join(' and ') +
             ': it does ' + (others.length > 1 ? 'all of them.' : 'both.');
    }).join('');
  }

  function addKey(action, key) {
    var name = actions[action][0];
    var label = actions[action][1];
    choosing = -1;
    if (key === TAB) say('Tab moves between the page\'s buttons and cannot be chosen.');
    else if (Module._grimvaleAddActionKey(action, key) !== 1) say(keyName(key) + ' cannot be added to ' + label + ' (8 keys at most).');
    else {
      own[name] = keyList(action);
      say(keyName(key) + ' added to ' + label + '.' + clashes(action));
      keep();
    }
    render();
  }

  function clearAction(action) {
    choosing = -1;
    Module._grimvaleClearAction(action);
    delete own[actions[action][0]];
    say(actions[action][1] + ' has its default keys again.' + clashes(action));
    keep();
    render();
  }

  function defaultKeys() {
    choosing = -1;
    Module._grimvaleDefaultKeys();
    own = {};
    say('Every action has its default keys again.');
    keep();
    render();
  }

  function chooseSpeed(percent) {
    choosing = -1;
    speed = Module._grimvaleSetSpeed(percent);
    say('The game runs at ' + speed + '% speed.');
    keep();
    render();
  }

  function isRecord(value) { return value !== null && typeof value === 'object' && !Array.isArray(value); }

  // A key as stored: a whole number the game's 32-bit key constants can hold (a larger one would wrap
  // round to another key), and not Tab, which is the page's.
  function storableKey(key) { return Number.isInteger(key) && key > 0 && key <= 0x7fffffff && key !== TAB; }

  // Puts the stored record into effect as far as it can be read, { speed, keys: { action: [key, ...] } }:
  // each action's keys and the speed stand or fall alone, and fields or actions this build does not
  // know are kept for the build that wrote them. Says in problems what was refused.
  function apply(record, problems) {
    Module._grimvaleDefaultKeys();
    own = {};
    speed = Module._grimvaleSetSpeed(100);
    var names = actions.map(function (row) { return row[0]; });
    Object.keys(record).forEach(function (field) {
      if (field !== 'speed' && field !== 'keys') later.fields[field] = record[field];
    });
    if ('speed' in record && speeds.indexOf(record.speed) < 0) problems.push('no such speed: ' + JSON.stringify(record.speed));
    else if ('speed' in record) speed = Module._grimvaleSetSpeed(record.speed);
    if ('keys' in record && !isRecord(record.keys)) problems.push('the keys are not a record');
    var keys = isRecord(record.keys) ? record.keys : {};
    Object.keys(keys).forEach(function (name) {
      var action = names.indexOf(name), list = keys[name];
      if (action < 0) later.keys[name] = list;
      if (action < 0) return;
      var usable = Array.isArray(list) && list.length > 0 && list.every(storableKey) &&
                   list.every(function (key) { return Module._grimvaleAddActionKey(action, key) === 1; });
      if (usable) own[name] = keyList(action);
      else Module._grimvaleClearAction(action);
      if (!usable) problems.push('keys the game does not take for ' + name + ': ' + JSON.stringify(list));
    });
  }

  // Once the game runs: the stored choice, if any, in effect. What cannot be read gives way to the
  // defaults, said in one warning, and the record is stored again as it is now in effect.
  function start() {
    running = true;
    var stored = null, record = null, problems = [];
    try { stored = localStorage.getItem(storageName); } catch (refused) { /* nothing kept */ }
    if (stored !== null && stored.length > largestRecord) problems.push('more than ' + largestRecord + ' characters');
    else if (stored !== null) {
      try { record = JSON.parse(stored); } catch (error) { problems.push('not JSON'); }
    }
    if (stored !== null && problems.length === 0 && !isRecord(record)) problems.push('not a record of keys and speed');
    apply(isRecord(record) ? record : {}, problems);
    if (problems.length > 0) {
      console.warn('The stored controls could not all be read (' + problems.join('; ') + '): the defaults stand in for what was refused.');
      keep();
    }
    render();
    opener.hidden = false;
  }

  function stop() {
    running = false;
    resumeOnClose = false;
    close();
    opener.hidden = true;
  }

  // The panel's rows, one an action, made as it first opens: the page's start, which the game's first
  // frame waits for, has no use for them.
  function makeRows() {
    if (rows.rows.length > 0) return;
    actions.forEach(function (row, action) {
      var line = rows.insertRow();
      line.innerHTML = '<th scope="row"></th><td class="keys"></td><td><button type="button" class="add">Add key</button> ' +
                       '<button type="button" class="clear">Clear</button></td>';
      line.cells[0].textContent = row[1];
      line.querySelector('.add').setAttribute('aria-label', 'Add key: ' + row[1]);
      line.querySelector('.clear').setAttribute('aria-label', 'Clear ' + row[1]);
      line.querySelector('.add').addEventListener('click', function () {
        choosing = action;
        say('Press the key for ' + row[1] + ' (Escape closes the panel).');
        render();
      });
      line.querySelector('.add').addEventListener('blur', function () {
        if (choosing === action) { choosing = -1; render(); }
      });
      line.querySelector('.clear').addEventListener('click', function () { clearAction(action); });
    });
  }

  function open() {
    if (!running || shown) return;
    makeRows();
    choosing = -1;
    say('');
    render();
    shown = true;
    dialog.showModal();  // the canvas loses the keyboard here (its held keys let go), which pauses the game
    resumeOnClose = runningWhenLeft;
  }

  // The keyboard goes back to the game, which runs again unless the player had paused it.
  function close() {
    if (!shown) return;
    shown = false;
    choosing = -1;
    if (dialog.open) dialog.close();
    if (!running) return;
    canvas.focus();
    if (resumeOnClose) Module.keyboardLost = false;
    if (resumeOnClose && Module._grimvalePaused() === 1) Module._grimvaleTogglePause();
  }

  // A key still held from the panel when it closes (Escape above all, which would end the game) only
  // repeats on the canvas, and repeats never reach the game (input.js).
  canvas.addEventListener('blur', function () {
    runningWhenLeft = running && Module._grimvalePaused() === 0;
  });

  opener.addEventListener('mousedown', function (event) { event.preventDefault(); });
  opener.addEventListener('click', open);
  document.getElementById('controls-close').addEventListener('click', close);
  document.getElementById('controls-defaults').addEventListener('click', defaultKeys);
  speedButtons.forEach(function (button) {
    button.addEventListener('click', function () { chooseSpeed(Number(button.value)); });
  });
  // Every key pressed in the panel stays in it. Escape closes it; while an action waits for its key,
  // the next key pressed (Tab excepted, which moves on) is added to it.
  dialog.addEventListener('keydown', function (event) {
    event.stopPropagation();
    var key = sdlKey(event);
    if (key === ESCAPE) {
      event.preventDefault();
      close();
      return;
    }
    if (choosing < 0) return;
    if (key === TAB) {
      addKey(choosing, TAB);  // refused, and the focus moves on
      return;
    }
    event.preventDefault();
    if (event.repeat) return;  // a key held since before the action was chosen
    chosenKey = event.keyCode;
    addKey(choosing, key);
  });
  dialog.addEventListener('keyup', function (event) {
    event.stopPropagation();
    if (event.keyCode === chosenKey) event.preventDefault();
    if (event.keyCode === chosenKey) chosenKey = null;
  });
  // A close request other than Escape (a phone's back gesture) closes it the same way, and so does
  // the browser closing it by itself.
  dialog.addEventListener('cancel', function (event) {
    event.preventDefault();
    close();
  });
  dialog.addEventListener('close', close);
  // The page stops every touch move so that it never scrolls; the panel scrolls where it is taller
  // than the screen.
  dialog.addEventListener('touchmove', function (event) { event.stopPropagation(); }, { passive: true });

  // Whether the panel is open; the keys of an action in force, by its number, as the key line names them.
  function isOpen() { return shown; }

  return { start: start, stop: stop, sdlKey: sdlKey, keyName: keyName, isOpen: isOpen, keysOf: keysOr };
})();
