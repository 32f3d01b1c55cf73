// Fetches the game's packed files, grimvale.data, counting the download on the status line, and
// unpacks them for the game. scripts/build-web compresses the package with gzip, so that it arrives
// small from any host, compressing or not, and the browser inflates it itself.
'use strict';

// Resolves once grimvale.data is in and unpacked, and handed to the game's runtime, which asks
// Module.getPreloadedPackage for its package before fetching one; rejects saying why not.
async function fetchGameFiles(Module) {
  const name = 'grimvale.data';
  if (typeof DecompressionStream !== 'function') throw new Error('this browser cannot unpack the game\'s files.');
  let response;
  try {
    response = await fetch(name);
  } catch {
    throw new Error(`${name} did not load (no answer from the host).`);
  }
  if (!response.ok) throw new Error(`${name} did not load (${response.statusText || response.status}).`);
  // Counted as the runtime counts its own downloads. A host that compresses it once more gives the
  // length of what it sent, not of what arrives: the count is then left out.
  const total = Number(response.headers.get('Content-Length')) || 0;
  let loaded = 0;
  const counted = new TransformStream({
    transform(chunk, stream) {
      loaded += chunk.byteLength;
      Module.setStatus(loaded <= total ? `Downloading data... (${loaded}/${total})` : 'Downloading data...');
      stream.enqueue(chunk);
    },
  });
  let data;
  try {
    data = await new Response(response.body.pipeThrough(counted).pipeThrough(new DecompressionStream('gzip')))
      .arrayBuffer();
  } catch (error) {
    throw new Error(`${name} did not load (${error.message}).`);
  }
  Module.getPreloadedPackage = () => data;
}
