// The page around the game: loading it and saying how that goes, the keyboard kept on the canvas
// (Tab alone takes it to the page's buttons), full screen, the end of the game and a new one. Each display frame first reads the gamepads and
// the match's state for the touch controls, then runs the game's passes.
'use strict';
window.Grimvale = window.Grimvale || {};

(function () {
  var canvas = document.getElementById('canvas');
  var stage = document.getElementById('stage');
  var statusLine = document.getElementById('status');
  var statusRoom = document.getElementById('status-room');
  var again = document.getElementById('again');
  var fullscreen = document.getElementById('fullscreen');
  var state = 'loading';  // then 'playing', 'ended' or 'failed'
  var saidPaused = false, saidMatch = false;  // what the status line last said of the running game
  var keptForOffline = false;  // whether the service worker has been asked to keep the files
  var scriptFailed = false;  // the loading ended by a script's own error

  // A message longer than the line's room (a failure's) takes more lines, and the picture the space
  // left; one no longer than the longest message, whose room the line keeps, moves nothing, and the
  // page is not laid out again for it.
  function say(text) {
    statusLine.textContent = text;
    if (text.length > statusRoom.textContent.length) Grimvale.layout.fit();
  }

  function fail(reason) {
    if (state === 'ended' || state === 'failed') return;
    say((state === 'playing' ? 'The game stopped: ' : 'Could not start the game: ') + reason);
    state = 'failed';
    Grimvale.input.setRunning(false);
    Grimvale.controls.stop();
  }

  // The status line's longest message, whose room it keeps from the start (the picture is fitted to
  // what is left, once the full-screen button is shown or not).
  function keyboardElsewhere(pauseKeys) {
    return 'Paused: the keyboard went elsewhere. Click the game, then press ' + pauseKeys + ' to play on.';
  }
  fullscreen.hidden = !document.fullscreenEnabled;
  Grimvale.layout.keepRoomFor(keyboardElsewhere('P'));

  // Once each, as it happens: the game paused, and why; playing again; the match started. The game is
  // asked at every display frame, before its passes (a pause comes at a pass, so this is a frame later).
  function followGame() {
    var paused = Module._grimvalePaused() === 1;
    var started = Module._grimvaleMatchStarted() === 1;
    var pauseKeys = Grimvale.controls.keysOf(9);
    var byButton = Grimvale.input.pauseAsked();
    var elsewhere = keyboardElsewhere(pauseKeys);
    Grimvale.layout.keepRoomFor(elsewhere);
    var why = Grimvale.controls.isOpen() ? 'Paused while the controls panel is open.'
            : document.activeElement !== canvas || !document.hasFocus() ? elsewhere
            : byButton ? 'Paused with the pause button. Press it again to play on.'
            : 'Paused with ' + pauseKeys + '. Press ' + pauseKeys + ' to play on.';
    if (paused !== saidPaused) say(paused ? why : 'Playing again.');
    if (started && !saidMatch && !paused) say('Playing: the match has started.');
    saidPaused = paused;
    saidMatch = saidMatch || (started && !paused);
  }

  // The canvas holds the keyboard: from the start, after a click on it, after the full-screen button.
  // The game's SDL swallows the mouse press, so the focus is given by hand.
  canvas.addEventListener('pointerdown', function () { canvas.focus(); });
  // The game asks at every pass whether the canvas has lost the keyboard since the last one.
  canvas.addEventListener('blur', function () { if (window.Module) window.Module.keyboardLost = true; });
  canvas.focus();

  // Tab is the page's: it takes the keyboard from the canvas to the buttons (and the game pauses).
  // Heard before the game's own listeners, which would keep it.
  canvas.addEventListener('keydown', function (event) {
    if (event.key === 'Tab') event.stopImmediatePropagation();
  });

  // Arrows and Space belong to the game and never scroll the page.
  var gameKeys = ['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', ' ', 'Spacebar'];
  window.addEventListener('keydown', function (event) {
    if (gameKeys.indexOf(event.key) >= 0 && event.target.tagName !== 'BUTTON') event.preventDefault();
  });

  // The game pauses when the canvas loses the keyboard, so pressing a button must not take it.
  [fullscreen, again].forEach(function (button) {
    button.addEventListener('mousedown', function (event) { event.preventDefault(); });
  });

  // The button, and the game's own full-screen keys (Alt+Enter), switch the game's part of the page
  // full screen; with the touch controls shown, the whole page, so that they stay. A browser that
  // cannot take a part of a page full screen (Safari on a phone) shows no button.
  function toggleFullScreen() {
    var part = document.documentElement.classList.contains('touch') ? document.documentElement : stage;
    if (document.fullscreenElement) document.exitFullscreen();
    else if (part.requestFullscreen) part.requestFullscreen().catch(function () { canvas.focus(); });
    canvas.focus();
  }
  fullscreen.addEventListener('click', toggleFullScreen);
  document.addEventListener('fullscreenchange', function () { canvas.focus(); });

  // A new game is a new run of the program: the page loads again, its files from the browser's cache.
  again.addEventListener('click', function () { window.location.reload(); });

  window.Module = {
    canvas: canvas,
    keyboardListeningElement: canvas,
    toggleFullScreen: toggleFullScreen,
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    // The loader (unpack.js) reports the pack's download as Emscripten's runtime reports its files',
    // "Downloading data... (loaded/total)", and the runtime's setting up as "Running...". It takes
    // this function off the Module before the runtime runs.
    setStatus: function (text) {
      if (state !== 'loading') return;
      var progress = /\((\d+)\/(\d+)\)/.exec(text);
      if (progress) {
        var total = Number(progress[2]);
        var percent = total > 0 ? Math.floor(100 * Number(progress[1]) / total) : 0;
        say('Loading the game files: ' + percent + '% of ' + Math.round(total / 1000) + ' KB');
      } else if (text) {
        say('Loading: starting the game');
      }
    },
    onRuntimeInitialized: function () {
      if (state !== 'loading') return;
      state = 'playing';
      Grimvale.input.setRunning(true);
      Grimvale.controls.start();
      say('Playing. Click the game if it does not answer the keys.');
    },
    // Before the passes of each display frame, from the game's first (the loader skips the frames
    // before its pictures are in). The service worker's copies wait until that frame is on screen.
    preMainLoop: function () {
      if (!keptForOffline) requestAnimationFrame(function () { setTimeout(keepForOffline, 0); });
      keptForOffline = true;
      followGame();
      Grimvale.gamepad.read();
      Grimvale.touch.update();
    },
    // The loader's verdict on the pack is said even after a part of it failed in its own words: a
    // part damaged on the way (the runtime, run before the pack's closing check) fails first.
    onAbort: function (what) {
      if (state === 'failed' && scriptFailed) state = 'loading';
      scriptFailed = false;
      fail(String(what));
    },
    onExit: function () {
      if (state === 'failed') return;
      state = 'ended';
      Grimvale.input.setRunning(false);
      Grimvale.controls.stop();
      again.hidden = false;
      say('The game has ended.');
      again.focus();
    }
  };

  // What the loader cannot start comes through onAbort; a script or the runtime that fails, here.
  window.addEventListener('error', function (event) {
    if (state === 'loading') scriptFailed = true;
    fail(String(event.message || 'a script failed').replace(/^Uncaught (Error: )?/, ''));
  });
  window.addEventListener('unhandledrejection', function (event) {
    fail(String(event.reason && event.reason.message || event.reason));
  });

  // The page's loader (unpack.js) starts the runtime with the game's files once this page has run.
})();
