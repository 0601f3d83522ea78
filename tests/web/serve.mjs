// A small web server for the browser tests, on 127.0.0.1 and a free port:
// /POLICY/PATH serves the file PATH of the served folder with the
// Content-Security-Policy POLICY names, and /frame?sandbox=...&src=... a
// page that shows src in a frame, as a learning platform does. A folder can
// be published in place of a subfolder (a new version of the site), and the
// server can go offline (every connection refused).
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

export const policies = {
  none: '',
  // The strictest policy that lets a page compile WebAssembly.
  strict: "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'",
  // Inline scripts, but no worker from a blob.
  inline: "default-src 'self' 'unsafe-inline'",
  // A worker from a blob, but no WebAssembly.
  nowasm: "default-src 'self' 'unsafe-inline'; worker-src blob:",
};

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.css': 'text/css; charset=utf-8',
  '.json': 'application/json', '.svg': 'image/svg+xml', '.png': 'image/png', '.ico': 'image/x-icon',
  '.txt': 'text/plain; charset=utf-8',
};

export async function serve(root) {
  const published = new Map();  // a subfolder's name, and the folder served in its place
  let offline = false;
  const sockets = new Set();
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    if (url.pathname === '/frame') {
      const sandbox = url.searchParams.get('sandbox');
      response.writeHead(200, { 'Content-Type': types['.html'], 'Cache-Control': 'no-store' });
      response.end(`<!DOCTYPE html><html lang="nb"><title>Emne</title><iframe title="Kondensator" ${
        sandbox === null ? '' : `sandbox="${sandbox}" `}src="${url.searchParams.get('src')}" width="700" height="700">` +
        '</iframe></html>');
      return;
    }
    const [, policy, first, ...rest] = url.pathname.split('/').map(decodeURIComponent);
    const base = published.get(first) || path.join(root, first || '');
    const file = path.join(base, ...rest);
    if (!(policy in policies) || !file.startsWith(base) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    const target = fs.statSync(file).isDirectory() ? path.join(file, 'index.html') : file;
    const headers = { 'Content-Type': types[path.extname(target)] || 'application/octet-stream', 'Cache-Control': 'no-cache' };
    if (policies[policy]) headers['Content-Security-Policy'] = policies[policy];
    response.writeHead(200, headers).end(fs.readFileSync(target));
  });
  server.on('connection', (socket) => {
    if (offline) {
      socket.destroy();
      return;
    }
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  await new Promise((resolve) => { server.listen(0, '127.0.0.1', resolve); });
  return {
    url: (policy, file = '') => `http://127.0.0.1:${server.address().port}/${policy}/${file}`,
    frame: (src, sandbox) => `http://127.0.0.1:${server.address().port}/frame?src=${encodeURIComponent(src)}${
      sandbox === undefined ? '' : `&sandbox=${sandbox}`}`,
    publish: (subfolder, folder) => { published.set(subfolder, folder); },
    setOffline: (value) => {
      offline = value;
      if (value) for (const socket of sockets) socket.destroy();
    },
    close: () => new Promise((resolve) => {
      for (const socket of sockets) socket.destroy();
      server.close(resolve);
    }),
  };
}
