// Loads the game from its one pack, grimvale.pack (written by web/tools/pack.mjs, asked for by the
// page's preload link from its first bytes): inflates it as it streams in, counting the download on
// the status line, and puts each part to work as soon as it is whole: the page's scripts run in
// their order, the runtime, grimvale.js, runs while the rest still streams in, grimvale.wasm
// compiles while it streams, the runtime sets itself up once the fonts' package is in, the game's
// main() makes its surfaces from the pictures' sizes while the pictures come (decoded in a worker),
// and its first frame waits until the last picture is decoded. Whatever fails is said with the file
// or part it was.
'use strict';

const PACK = 'grimvale.pack';

// Said once the page's scripts that came out of the pack before it have run, so that the page
// hears of it (a page script run after the failure would not); until the page's own scripts have
// come out of the pack, the loader writes the status line itself.
function failLoading(reason) {
  scriptsRun.then(() => {
    if (window.Module && window.Module.onAbort) window.Module.onAbort(reason);
    else document.getElementById('status').textContent = `Could not start the game: ${reason}`;
  });
}

// The page's status line, through the page's setStatus. The loader takes it off the Module as the
// runtime starts: given one, the runtime would set itself up two timer turns after it is ready (to
// say "Running..."), behind the rest of the pack's reading. The loader says that itself instead.
let pageStatus = null;
function statusLine() {
  return pageStatus || (window.Module && window.Module.setStatus) || null;
}

// The download counted as the runtime counts its own ("Downloading data... (loaded/total)"), at
// most four times a second: each new count costs the page a frame of its drawing, which a slow
// phone's main thread, busy with the game's start-up, feels. A host that compresses the pack once
// more gives the length of what it sent, not of what arrives: the count is then left out.
function downloadCounter(total) {
  let loaded = 0;
  let said = -Infinity;
  return (bytes, last) => {
    loaded += bytes;
    const now = performance.now();
    const say = statusLine();
    if (!say || (now - said < 250 && !last)) return;
    said = now;
    say(loaded <= total ? `Downloading data... (${loaded}/${total})` : 'Downloading data...');
  };
}

// Reads the inflated pack chunk by chunk: its opening line, then each part's line "NAME LENGTH" and
// bytes. begin(name, length) gives the part's { take(bytes), end() }; `reading` names what it is in.
function packReader(begin) {
  let line = '';
  let opened = false;
  let part = null;
  const reader = {
    reading: 'its opening',
    push(chunk) {
      for (let at = 0; at < chunk.length;) {
        if (part) {
          const bytes = chunk.subarray(at, at + part.left);
          part.take(bytes);
          part.left -= bytes.length;
          at += bytes.length;
          if (part.left === 0) reader.close();
          continue;
        }
        const newline = chunk.indexOf(10, at);
        line += String.fromCharCode.apply(null, chunk.subarray(at, newline < 0 ? chunk.length : newline));
        // A part's line as long as that is damage once the pack has opened as the game's.
        if (line.length > 300) throw new Error(opened ? `${PACK} arrived damaged (after ${reader.reading}).` : `${PACK} is not the game's pack.`);
        if (newline < 0) break;
        at = newline + 1;
        reader.header(line);
        line = '';
      }
    },
    header(text) {
      const named = /^(\S+) (\d+)$/.exec(text);
      if (!opened && text !== 'grimvale-pack 1') throw new Error(`${PACK} is not the game's pack (the host sent something else).`);
      if (opened && !named) throw new Error(`${PACK} arrived damaged (after ${reader.reading}).`);
      if (opened) {
        reader.reading = named[1];
        part = { ...begin(named[1], Number(named[2])), left: Number(named[2]) };
        if (part.left === 0) reader.close();
      }
      opened = true;
    },
    close() {
      part.end();
      part = null;
    },
    finish() {
      if (part || line || !opened) throw new Error(`${PACK} arrived cut short (in ${reader.reading}).`);
    },
  };
  return reader;
}

// A promise with its resolve and reject at hand, for what the runtime may ask for before it comes.
function waiting() {
  const wait = {};
  wait.promise = new Promise((resolve, reject) => { wait.resolve = resolve; wait.reject = reject; });
  wait.promise.catch(() => {});  // whoever waits for it says why it failed
  return wait;
}

// A picture the game's main() may load before it has arrived: its size, from the pack's list of
// pictures, and `decoded`, which gives the decoded picture once it is in (settle[0]) or fails
// (settle[1]).
function awaitedPicture(width, height) {
  const decoded = waiting();
  return { width, height, arrived: false, decoded: decoded.promise, settle: [decoded.resolve, decoded.reject] };
}

// The fonts' package: one buffer, made at the size the runtime asks for as it starts
// (getPreloadedPackage) or at the length of its part, whichever comes first, and filled as the part
// streams in. The runtime reads it only once it is whole and of the size it was built with: its
// setting up waits for ready().
function packageData() {
  let bytes = null;
  let at = 0;
  let asked = 0;  // the size the runtime was built with, once it has asked
  const whole = waiting();
  const wrong = (length) => new Error(`grimvale.data in ${PACK} is ${length} bytes, not the ${asked} grimvale.js was built with.`);
  return {
    buffer(size) {
      asked = size;
      if (!bytes) bytes = new Uint8Array(size);
      return bytes.buffer;
    },
    ready: () => whole.promise.then(() => { if (bytes.length !== asked) throw wrong(bytes.length); }),
    part(length) {
      if (asked && length !== asked) throw wrong(length);
      if (!bytes) bytes = new Uint8Array(length);
      return {
        take(chunk) { bytes.set(chunk, at); at += chunk.length; },
        end() { whole.resolve(); },
      };
    },
  };
}

// A part gathered whole into one buffer of its length.
function gathered(length, whole) {
  const bytes = new Uint8Array(length);
  let at = 0;
  return {
    take(chunk) { bytes.set(chunk, at); at += chunk.length; },
    end() { whole(bytes); },
  };
}

// The WebAssembly module compiled from its bytes as they stream in, where the browser can.
function compiling(length, compiled) {
  if (typeof WebAssembly.compileStreaming !== 'function') {
    return gathered(length, (bytes) => compiled(WebAssembly.compile(bytes)));
  }
  let stream;
  const body = new ReadableStream({ start(controller) { stream = controller; } });
  compiled(WebAssembly.compileStreaming(new Response(body, { headers: { 'Content-Type': 'application/wasm' } })));
  return {
    take(chunk) { stream.enqueue(chunk.slice()); },
    end() { stream.close(); },
  };
}

// Whether a picture's PNG ends with its closing chunk ("IEND" and that chunk's CRC): Firefox and
// WebKit decode a PNG cut short as far as it goes instead of refusing it.
function endsWhole(png) {
  const end = [0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82];
  return png.length >= end.length && end.every((byte, i) => png[png.length - end.length + i] === byte);
}

// The pictures are decoded in a worker of the page's own making, so that the main thread, busy with
// the runtime as the last of them come in, only hands over each one's bytes and takes the decoded
// picture back. What the worker cannot decode (no createImageBitmap in a worker, a worker refused
// or broken) the page decodes itself, and it then says why a picture failed.
function pictureDecoder() {
  const decodeHere = (bytes) => createImageBitmap(new Blob([bytes], { type: 'image/png' }));
  const here = { decode: decodeHere, finish() {} };
  const code = `const decodeHere = ${decodeHere};
    onmessage = ({ data: [id, bytes] }) => new Promise((decoded) => decoded(decodeHere(bytes)))
      .then((picture) => postMessage([id, picture], [picture]), () => postMessage([id, null]));`;
  let worker;
  try {
    worker = new Worker(URL.createObjectURL(new Blob([code], { type: 'text/javascript' })));
  } catch {
    return here;
  }
  const waiting = new Map();
  const answer = (id, picture) => {
    const [resolve, reject, bytes] = waiting.get(id);
    waiting.delete(id);
    if (picture) resolve(picture);
    else decodeHere(bytes).then(resolve, reject);
  };
  worker.onmessage = ({ data: [id, picture] }) => answer(id, picture);
  worker.onerror = () => {
    worker = null;
    for (const id of [...waiting.keys()]) answer(id, null);
  };
  let last = 0;
  return {
    decode(bytes) {
      if (!worker) return decodeHere(bytes);
      const id = ++last;
      return new Promise((resolve, reject) => {
        waiting.set(id, [resolve, reject, bytes]);
        worker.postMessage([id, bytes]);
      });
    },
    finish: () => worker && worker.terminate(),
  };
}

// A task of its own for work the title waits for: ahead of the reading of the rest of the pack and
// of the browser's other work where the browser lets the page say so, after them where it does not.
function soon(work) {
  if (window.scheduler && typeof window.scheduler.postTask === 'function') window.scheduler.postTask(work, { priority: 'user-blocking' });
  else setTimeout(work, 0);
}

// Runs a script from the pack as the page's own: its text in a script element, which the browser
// runs as it goes in (one from a blob: address would be fetched once more, and each of them in a task
// of its own, one after another). Each script runs in a task of its own, in the pack's order, so that
// a chunk of the pack that holds several of them is not one long task. What a script throws goes to
// the page's error handler, as ever. prepare(), when given, runs in the script's task before it.
let scriptsRun = Promise.resolve();
function runScript(bytes, prepare) {
  scriptsRun = scriptsRun.then(() => new Promise((resolve) => soon(() => {
    if (prepare) prepare();
    const script = document.createElement('script');
    script.textContent = new TextDecoder().decode(bytes);
    document.body.appendChild(script);
    resolve();
  })));
}

// Fetches and reads the pack, the host's answer, the line and the inflating each said apart when
// they fail; resolves once every part is in, to { wasm, pictures, data, runtime, parts } (`pictures`
// maps each picture's name to its awaitedPicture, `wasm` waits for the compiled module, `data` is
// the packageData, `parts` names every part found). The page's scripts run as each comes in; as soon
// as the runtime is in, runtimeIn(found) is told (the module, the fonts and the pictures after it
// may still be on the way).
async function readPack(runtimeIn) {
  // The worker is made first: it starts up while the main thread is still idle, before the pack's
  // bytes keep it busy. It ends once every picture is decoded, or at once when the pack fails.
  const decoder = pictureDecoder();
  let found;
  try {
    found = await readParts(runtimeIn, decoder);
  } catch (error) {
    decoder.finish();
    throw error;
  }
  Promise.allSettled([...found.pictures.values()].map((picture) => picture.decoded)).then(() => decoder.finish());
  return found;
}

async function readParts(runtimeIn, decoder) {
  let response;
  try {
    response = await fetch(PACK);
  } catch {
    throw new Error(`${PACK} did not arrive (no answer from the host).`);
  }
  if (!response.ok) throw new Error(`${PACK} did not arrive (${response.statusText || response.status}).`);
  const count = downloadCounter(Number(response.headers.get('Content-Length')) || 0);

  const found = { pictures: null, runtime: null, wasm: waiting(), data: packageData(), parts: new Set() };
  const pack = packReader((name, length) => {
    found.parts.add(name);
    if (name === 'grimvale.wasm') return compiling(length, found.wasm.resolve);
    if (name === 'picture-sizes') {
      return gathered(length, (bytes) => {
        found.pictures = new Map();
        for (const [, picture, width, height] of new TextDecoder().decode(bytes).matchAll(/^(\S+) (\d+) (\d+)$/gm)) {
          found.pictures.set(picture, awaitedPicture(Number(width), Number(height)));
        }
      });
    }
    if (name.startsWith('Graphics/')) {
      const picture = found.pictures && found.pictures.get(name);
      if (!picture) throw new Error(`${PACK} is not the game's pack (${name} is not in its list of pictures).`);
      picture.arrived = true;
      // The game's main() may have made its surface from the listed size: a picture of another size
      // would be drawn cut or stretched.
      const decoded = (bytes) => (endsWhole(bytes) ? decoder.decode(bytes) : Promise.reject());
      const sized = (bitmap) => (bitmap.width === picture.width && bitmap.height === picture.height ? picture.settle[0](bitmap)
        : picture.settle[1](new Error(`${name} in ${PACK} is ${bitmap.width}x${bitmap.height}, not the ${picture.width}x${picture.height} its list gives.`)));
      return gathered(length, (bytes) => decoded(bytes)
        .then(sized, () => picture.settle[1](new Error(`${name} in ${PACK} could not be decoded.`))));
    }
    if (name === 'grimvale.data') return found.data.part(length);
    if (name === 'grimvale.js') return gathered(length, (bytes) => { found.runtime = bytes; runtimeIn(found); });
    return gathered(length, runScript);
  });

  // The host's bytes are fed to the browser's gzip inflater, and what comes out read part by part.
  const inflater = new DecompressionStream('gzip');
  const writer = inflater.writable.getWriter();
  let cause = null;  // why the feeding stopped, when it was not the inflater's doing
  (async () => {
    const reader = response.body.getReader();
    for (let loaded = 0, first = true; ;) {
      let next;
      try {
        next = await reader.read();
      } catch {
        cause = new Error(`${PACK} did not arrive whole (the connection broke after ${Math.round(loaded / 1000)} KB, in ${pack.reading}).`);
        break;
      }
      if (next.done) {
        count(0, true);
        writer.close().catch(() => {});
        return;
      }
      loaded += next.value.length;
      count(next.value.length, false);
      // The browser undoes a host's Content-Encoding: a host that marks the stored gzip file so hands
      // the page the pack inflated, which is no longer what the build made.
      const encoding = response.headers.get('Content-Encoding');
      if (first && (next.value[0] !== 0x1f || next.value[1] !== 0x8b)) {
        cause = new Error(encoding && encoding !== 'identity'
          ? `${PACK} arrived unpacked by the browser: the host sends it with Content-Encoding: ${encoding}, ` +
            'compressing a file that is already compressed. Serve it as it is.'
          : `${PACK} arrived but is not the game's pack (the host sent something else, or an uncompressed copy).`);
        break;
      }
      first = false;
      try {
        await writer.write(next.value);
      } catch {
        reader.cancel().catch(() => {});
        return;
      }
    }
    writer.abort(cause).catch(() => {});
  })();

  // What has piled up is read in turns of at most 50 ms, the page's other tasks between them.
  const inflated = inflater.readable.getReader();
  try {
    for (let turn = performance.now(); ;) {
      const { done, value } = await inflated.read();
      if (done) break;
      pack.push(value);
      if (performance.now() - turn > 50) {
        await new Promise((resolve) => setTimeout(resolve, 0));
        turn = performance.now();
      }
    }
    pack.finish();
  } catch (error) {
    inflated.cancel().catch(() => {});
    if (cause) throw cause;
    throw /^grimvale/.test(error.message) ? error : new Error(`${PACK} arrived damaged (in ${pack.reading}); reload the page.`);
  }
  for (const part of ['picture-sizes', 'grimvale.wasm', 'grimvale.data', 'grimvale.js']) {
    if (!found.parts.has(part)) throw new Error(`${PACK} is not the game's pack (it lacks ${part}).`);
  }
  for (const [name, picture] of found.pictures) {
    if (!picture.arrived) throw new Error(`${PACK} is not the game's pack (it lacks ${name}).`);
  }
  return found;
}

// The game's canvas made ready for drawing while the pictures still stream in: the browser sets up
// a canvas's pixels at its first drawing, which would otherwise be the game's first fill. The one
// pixel drawn is cleared again, so the canvas stays as the page made it.
function warmCanvas(canvas) {
  const ctx = canvas.getContext('2d');
  ctx.fillRect(0, 0, 1, 1);
  ctx.getImageData(0, 0, 1, 1);
  ctx.clearRect(0, 0, 1, 1);
}

// Hands the parts to the runtime and runs it, in a task after the page's scripts: the compiled
// module instead of a fetch, the fonts' package from memory, and the pictures for the emulated SDL.
// The runtime sets itself up while the pictures still stream in, and the game's main() runs in a
// task of its own once it has: the pictures go in the runtime's table as they are (each one's size
// and, once decoded, the picture), so that main() makes their surfaces before the last of them is
// in. The game's frames are skipped until every picture is decoded; the page then hears that the
// game starts (its onRuntimeInitialized, held until then), and the next frame is the first pass.
function runRuntime({ wasm, data, runtime, pictures }, decoded) {
  runScript(runtime, () => {
    const Module = window.Module;
    warmCanvas(Module.canvas);
    pageStatus = statusLine();
    delete Module.setStatus;
    // The module is made as soon as it is compiled; the runtime takes it, and goes on to set itself
    // up from the fonts' package, once the package is whole too.
    Module.instantiateWasm = (imports, receive) => {
      const made = wasm.promise.then((module) => WebAssembly.instantiate(module, imports).then((instance) => [instance, module]))
        .catch((error) => { throw new Error(`grimvale.wasm in ${PACK} could not be compiled (${error.message}).`); });
      Promise.all([made, data.ready()]).then(([[instance, module]]) => {
        if (pageStatus) pageStatus('Running...');
        receive(instance, module);
      }, (error) => failLoading(error.message));
      return {};
    };
    Module.getPreloadedPackage = (name, size) => data.buffer(size);
    Module.noInitialRun = true;
    const gameStarts = Module.onRuntimeInitialized;
    const pageFrame = Module.preMainLoop;
    let picturesIn = false;
    Module.preMainLoop = () => (picturesIn ? pageFrame && pageFrame() : false);
    const setUp = new Promise((resolve) => { Module.onRuntimeInitialized = resolve; });
    setUp.then(() => soon(() => {
      for (const [name, picture] of pictures) {
        Module.preloadedImages[`/${name}`] = picture;
        picture.decoded.then((bitmap) => { Module.preloadedImages[`/${name}`] = bitmap; }, () => {});
      }
      Module.gameStarted = true;
      Module.callMain();
    }));
    Promise.all([decoded, setUp]).then(() => {
      picturesIn = true;
      if (gameStarts) gameStarts();
    }, () => {});  // startGame says why
  });
}

async function startGame() {
  if (location.protocol === 'file:') {
    throw new Error('the page must come from a web server, not from disk. Run scripts/web and open the address it prints.');
  }
  if (typeof WebAssembly !== 'object') throw new Error('this browser cannot run WebAssembly.');
  if (typeof DecompressionStream !== 'function') throw new Error('this browser cannot unpack the game\'s files.');
  let ran = false;
  const whole = readPack((found) => {
    if (!found.pictures) return;  // the whole pack's check says whether it lacks the list of sizes
    ran = true;
    runRuntime(found, decoded);
  });
  const decoded = whole.then((found) => Promise.all([...found.pictures.values()].map((picture) => picture.decoded)));
  decoded.catch(() => {});
  const found = await whole;
  if (!ran) runRuntime(found, decoded);  // a pack with the runtime before the list of sizes
  await decoded;
}

startGame().catch((error) => failLoading(error.message));
