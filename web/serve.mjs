// web/serve.mjs — serves a folder on 127.0.0.1 (the browser edition's site) with the types the
// browser needs for WebAssembly (application/wasm: the browser compiles a program while it
// downloads; a real server should send that type too, though the page gives it itself). Usage: node serve.mjs FOLDER [PORT]; prints the address.
// Imported by the browser tests, which take the port the system gives (0).
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json', '.json': 'application/json', '.vhr': 'application/octet-stream',
};

// Resolves to the listening server; a port in use gives way to one the system picks. `extra`
// serves more files by their address ({'/fight.vhr': '/path/to/fight.vhr'}).
export function serve(folder, port = 0, extra = {}) {
  const root = path.resolve(folder);
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    let file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
    if (!file.startsWith(root + path.sep)) file = '';
    if (Object.hasOwn(extra, name)) file = extra[name];
    fs.readFile(file, (err, body) => {
      if (err) {
        res.writeHead(404, { 'Content-Type': 'text/plain' });
        res.end('not found');
        return;
      }
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                           'Cache-Control': 'no-cache' });
      res.end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', (err) => {
      if (err.code !== 'EADDRINUSE' || port === 0) return reject(err);
      server.listen(0, '127.0.0.1', () => resolve(server));
    });
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const server = await serve(process.argv[2] || '.', Number(process.argv[3] || 8080));
  console.log(`Varnhold is served at http://127.0.0.1:${server.address().port}/ (Ctrl+C stops)`);
}
