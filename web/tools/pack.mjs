// Writes the browser version's one pack, grimvale.pack (scripts/build-web): every file the game needs
// after the page itself, one after another in the order given, compressed together with gzip -9 so
// that they arrive small from any host and in one request. Inside the gzip: the line
// "grimvale-pack 1", then for each file a line "NAME LENGTH" and its LENGTH bytes (web/site/unpack.js
// reads them as they stream in).
//
// Usage: node pack.mjs OUTPUT NAME=FILE...
import fs from 'node:fs';
import zlib from 'node:zlib';

const [output, ...parts] = process.argv.slice(2);
const pieces = [Buffer.from('grimvale-pack 1\n')];
for (const part of parts) {
  const [name, file] = part.split('=');
  const bytes = fs.readFileSync(file);
  if (/\s/.test(name)) throw new Error(`a name in the pack may not hold white space: "${name}"`);
  pieces.push(Buffer.from(`${name} ${bytes.length}\n`), bytes);
}
fs.writeFileSync(output, zlib.gzipSync(Buffer.concat(pieces), { level: 9 }));
