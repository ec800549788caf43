// The page around the game. It downloads the program and its content with a
// progress bar, starts the game on the first click or key (browsers start
// sound only after one), turns the address's choices into the game's
// arguments, and offers another game when one ends. Tests read
// window.thornwick; the test-only choices are dt, frames, place, keys,
// size, silent and autostart (see src/web_main.cpp).
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const byId = (id) => document.getElementById(id);

  const page = {
    // loading, ready, running, ended (Escape), done (a test's frames), failed
    state: 'loading',
    // From the page's start to the program and content being ready, and to
    // the first running frame of the first game.
    readyMs: null,
    firstFrameMs: null,
    framesDone: null,
    games: 0,
    module: null,
    audioContext: null,
    error: null,
  };
  window.thornwick = page;

  const downloads = { wasm: { loaded: 0, total: 0 }, data: { loaded: 0, total: 0 } };
  let wasmModule = null;
  let dataBuffer = null;
  let wanted = params.has('autostart');
  let lastMessage = '';

  function gameArguments() {
    const args = [];
    const options = { seed: '--seed', dt: '--dt', frames: '--frames', place: '--place', keys: '--keys',
      size: '--size' };
    for (const [name, option] of Object.entries(options)) {
      if (params.has(name)) args.push(option, params.get(name));
    }
    if (params.has('silent')) args.push('--silent');
    return args;
  }

  function showProgress() {
    const loaded = downloads.wasm.loaded + downloads.data.loaded;
    const total = downloads.wasm.total + downloads.data.total;
    // A server that compresses sends no length of the whole: the bar waits.
    if (total > 0) byId('progress').value = Math.min(1, loaded / total);
  }

  async function download(url, entry) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(url + ': ' + response.status + ' ' + response.statusText);
    entry.total = Number(response.headers.get('Content-Length')) || 0;
    if (!response.body) {
      const whole = await response.arrayBuffer();
      entry.loaded = whole.byteLength;
      showProgress();
      return whole;
    }
    const reader = response.body.getReader();
    const chunks = [];
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      chunks.push(value);
      entry.loaded += value.length;
      showProgress();
    }
    const bytes = new Uint8Array(entry.loaded);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes.buffer;
  }

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error('cannot load ' + src));
      document.head.appendChild(script);
    });
  }

  function fail(error) {
    if (page.state === 'failed') return;
    page.state = 'failed';
    page.error = String(error && error.message ? error.message : error);
    byId('overlay').hidden = false;
    byId('prompt').hidden = true;
    byId('status').hidden = false;
    byId('status').textContent = 'The game cannot run here: ' + (lastMessage || page.error);
    console.error('thornwick: ' + page.error);
  }

  // Created inside the click or key that starts a game, so the browser lets
  // it play; SDL takes it over (Module.SDL2.audioContext).
  function openAudio() {
    if (params.has('silent')) return null;
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return null;
    const context = new Context();
    context.resume().catch(() => {});
    return context;
  }

  // Each game draws on a canvas of its own: the one before keeps its
  // context's buffers and textures until the page lets it go.
  function freshCanvas() {
    const old = byId('canvas');
    if (page.games === 1) return old;
    const canvas = old.cloneNode(false);
    old.replaceWith(canvas);
    return canvas;
  }

  function watchFirstFrame(module) {
    const look = () => {
      if (page.state !== 'running') return;
      if (module._thornwick_phase && module._thornwick_phase() === 3) {
        if (page.firstFrameMs === null) page.firstFrameMs = performance.now();
        return;
      }
      requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  }

  function ended() {
    page.state = 'ended';
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    for (const id of ['progress', 'status', 'prompt']) byId(id).hidden = true;
    byId('ended').hidden = false;
    byId('again').hidden = false;
    byId('overlay').hidden = false;
    byId('again').focus();
  }

  function start(audioContext) {
    page.state = 'running';
    page.games += 1;
    page.audioContext = audioContext;
    byId('overlay').hidden = true;
    const module = {
      canvas: freshCanvas(),
      arguments: gameArguments(),
      instantiateWasm(imports, receive) {
        WebAssembly.instantiate(wasmModule, imports).then((instance) => receive(instance), fail);
        return {};
      },
      getPreloadedPackage() {
        return dataBuffer;
      },
      print: (text) => console.log(text),
      printErr: (text) => {
        lastMessage = text;
        console.warn(text);
      },
      onGameEnd: ended,
      onFramesDone: (frames) => {
        page.framesDone = frames;
        page.state = 'done';
      },
      // After Escape the runtime exits with status 0 once the loop has stopped.
      onExit: (code) => {
        if (code) fail(new Error('the game stopped with status ' + code));
      },
      onAbort: (what) => fail(new Error(String(what))),
    };
    if (audioContext) module.SDL2 = { audioContext };
    page.module = module;
    window.createThornwick(module).catch(fail);
    watchFirstFrame(module);
  }

  // Browser shortcuts (with a modifier, function keys, Tab) stay the
  // browser's; any other key or a click starts the game.
  function onGesture(event) {
    if (page.state !== 'loading' && page.state !== 'ready') return;
    if (event.type === 'keydown' &&
        (event.ctrlKey || event.altKey || event.metaKey || event.repeat || /^(F\d+|Tab)$/.test(event.key))) {
      return;
    }
    event.preventDefault();
    const audioContext = openAudio();
    if (page.state === 'ready') {
      start(audioContext);
      return;
    }
    wanted = true;
    page.audioContext = audioContext;
    byId('prompt').textContent = 'Starting as soon as it has loaded\u2026';
  }

  window.addEventListener('pointerdown', onGesture);
  window.addEventListener('keydown', onGesture);
  byId('again').addEventListener('click', (event) => {
    event.stopPropagation();
    if (page.state === 'ended') start(openAudio());
  });

  Promise.all([
    download('thornwick.wasm', downloads.wasm).then((bytes) => WebAssembly.compile(bytes)),
    download('thornwick.data', downloads.data),
    loadScript('thornwick.js'),
  ]).then(([compiled, data]) => {
    wasmModule = compiled;
    dataBuffer = data;
    page.state = 'ready';
    page.readyMs = performance.now();
    byId('progress').value = 1;
    byId('status').textContent = 'Loaded.';
    if (wanted) start(page.audioContext || (params.has('autostart') ? null : openAudio()));
  }).catch(fail);
})();
