// Fetches the game's packed files, grimvale.data, counting the download on the status line, and
// unpacks them for the game. scripts/build-web compresses the package with gzip, so that it arrives
// small from any host, compressing or not, and the browser inflates it itself.
'use strict';

// Resolves once grimvale.data is in and unpacked, and handed to the game's runtime, which asks
// Module.getPreloadedPackage for its package before fetching one; rejects saying why not: the
// file did not arrive (no answer, an error from the host, a connection that broke), or arrived
// but is damaged or not the game's package, or was spoilt by a host that compresses it again.
async function fetchGameFiles(Module) {
  const name = 'grimvale.data';
  if (typeof DecompressionStream !== 'function') throw new Error('this browser cannot unpack the game\'s files.');
  let response;
  try {
    response = await fetch(name);
  } catch {
    throw new Error(`${name} did not arrive (no answer from the host).`);
  }
  if (!response.ok) throw new Error(`${name} did not arrive (${response.statusText || response.status}).`);
  // Counted as the runtime counts its own downloads. A host that compresses it once more gives the
  // length of what it sent, not of what arrives: the count is then left out.
  const total = Number(response.headers.get('Content-Length')) || 0;
  const chunks = [];
  let loaded = 0;
  try {
    for (const reader = response.body.getReader(); ;) {
      const { done, value } = await reader.read();
      if (done) break;
      chunks.push(value);
      loaded += value.byteLength;
      Module.setStatus(loaded <= total ? `Downloading data... (${loaded}/${total})` : 'Downloading data...');
    }
  } catch {
    throw new Error(`${name} did not arrive whole (the connection broke after ${Math.round(loaded / 1000)} KB).`);
  }
  const packed = new Blob(chunks);
  const opening = new Uint8Array(await packed.slice(0, 2).arrayBuffer());
  if (opening[0] !== 0x1f || opening[1] !== 0x8b) {
    // The browser undoes a host's Content-Encoding: a host that marks the stored gzip file so hands
    // the page the package inflated, which is no longer what the build made.
    const encoding = response.headers.get('Content-Encoding');
    if (encoding && encoding !== 'identity') {
      throw new Error(`${name} arrived unpacked by the browser: the host sends it with Content-Encoding: ${encoding}, ` +
                      'compressing a file that is already compressed. Serve it as it is.');
    }
    throw new Error(`${name} arrived but is not the game's package (the host sent something else, or an uncompressed copy).`);
  }
  let data;
  try {
    data = await new Response(packed.stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
  } catch {
    throw new Error(`${name} arrived damaged (cut short or corrupted on the way); reload the page.`);
  }
  Module.getPreloadedPackage = () => data;
}
