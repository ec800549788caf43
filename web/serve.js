#!/usr/bin/env node
// Serves a folder over HTTP on 127.0.0.1 only, from the first free port at
// or after the one asked for, and prints the address; Ctrl+C stops it.
// make web-run serves build-web/ with it, and the browser tests load the
// page through it.
//   node web/serve.js DIR [PORT]        (port 8000 unless taken)
// As a module: serve(dir, port) resolves to { server, port, url }.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');

const Types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
  '.json': 'application/json',
};

// The file a request names inside the folder, or null for anything that
// would leave it.
function fileFor(root, url) {
  let name;
  try {
    name = decodeURIComponent(new URL(url, 'http://127.0.0.1').pathname);
  } catch (error) {
    return null;
  }
  if (name.endsWith('/')) name += 'index.html';
  const file = path.resolve(root, '.' + name);
  return file.startsWith(root + path.sep) ? file : null;
}

function respond(root, request, response) {
  const file = fileFor(root, request.url);
  fs.stat(file || '', (error, stats) => {
    if (!file || error || !stats.isFile()) {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found\n');
      return;
    }
    response.writeHead(200, {
      'Content-Type': Types[path.extname(file)] || 'application/octet-stream',
      'Content-Length': stats.size,
      'Cache-Control': 'no-cache',
    });
    if (request.method === 'HEAD') {
      response.end();
      return;
    }
    fs.createReadStream(file).pipe(response);
  });
}

function listen(server, port, last) {
  return new Promise((resolve, reject) => {
    const tryPort = (candidate) => {
      const onError = (error) => {
        server.removeListener('listening', onListening);
        if (error.code === 'EADDRINUSE' && candidate < last) tryPort(candidate + 1);
        else reject(error);
      };
      const onListening = () => {
        server.removeListener('error', onError);
        resolve(server.address().port);
      };
      server.once('error', onError);
      server.once('listening', onListening);
      server.listen(candidate, '127.0.0.1');
    };
    tryPort(port);
  });
}

// Port 0 takes any free port (tests); another number, the first free one
// from there on.
async function serve(dir, port = 8000) {
  const root = path.resolve(dir);
  const server = http.createServer((request, response) => respond(root, request, response));
  const bound = await listen(server, port, port === 0 ? 0 : port + 100);
  return { server, port: bound, url: 'http://127.0.0.1:' + bound + '/' };
}

module.exports = { serve };

if (require.main === module) {
  const dir = process.argv[2];
  if (!dir || !fs.existsSync(path.join(dir, 'index.html'))) {
    console.error('usage: node web/serve.js DIR [PORT]   (DIR holds index.html; run make web first)');
    process.exit(2);
  }
  serve(dir, Number(process.argv[3] || 8000)).then(({ url }) => {
    console.log('Thornwick is served at ' + url + '  (Ctrl+C stops)');
  }, (error) => {
    console.error('serve: ' + error.message);
    process.exit(1);
  });
}
