// The page around the game. It downloads the program and its content with a
// progress bar, checks the content against the size and checksum the build
// wrote beside it (thornwick-data.json), starts the game on the first click
// or key (browsers start sound only after one), turns the address's choices
// into the game's arguments, waits with the player when the browser takes
// the picture away, and offers another game when one ends. Tests read
// window.thornwick; the test-only choices are dt, frames, place, keys,
// size, silent and autostart (see src/web_main.cpp).
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const byId = (id) => document.getElementById(id);

  // How long the page waits for the browser to give a lost picture back
  // before it says the game cannot go on. Browsers give it back within a
  // few seconds of a driver reset or a restarted GPU process, or never.
  const LostPictureWaitMs = 10000;
  const ValuedChoices = ['seed', 'dt', 'frames', 'place', 'keys', 'size'];
  const FlagChoices = ['silent', 'autostart'];
  const ScrollKeys = new Set(['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'PageUp', 'PageDown', 'Home',
    'End', 'Space']);

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
    // The choices the game took (src/web_main.cpp reports them), and the
    // picture: shown, lost (waiting for it) or gone (waited in vain).
    options: null,
    picture: 'shown',
    pictureLosses: 0,
  };
  window.thornwick = page;

  const downloads = { wasm: { loaded: 0, total: 0 }, data: { loaded: 0, total: 0 } };
  let wasmModule = null;
  let dataBuffer = null;
  let lastMessage = '';
  let lostTimer = null;

  // A choice given twice, or a flag given a value, is refused as the game
  // refuses a bad value: named once on the console and left unset.
  function refuse(text, why) {
    console.warn(`thornwick: ignoring ${text} (${why})`);
  }

  function flagChosen(name) {
    const values = params.getAll(name);
    if (values.length === 0) return false;
    if (values.some((value) => value !== '')) {
      refuse(`${name}=${values.find((value) => value !== '')}`, 'it takes no value');
      return false;
    }
    return true;
  }

  function readChoices() {
    const choices = { args: [] };
    for (const name of ValuedChoices) {
      const values = params.getAll(name);
      if (values.length > 1) refuse(`${name}=${values.join(`&${name}=`)}`, 'given more than once');
      else if (values.length === 1) choices.args.push(`--${name}=${values[0]}`);
    }
    for (const name of FlagChoices) choices[name] = flagChosen(name);
    if (choices.silent) choices.args.push('--silent');
    return choices;
  }

  const choices = readChoices();
  let wanted = choices.autostart;

  function showProgress() {
    const loaded = downloads.wasm.loaded + downloads.data.loaded;
    const total = downloads.wasm.total + downloads.data.total;
    // A server that compresses sends no length of the whole: the bar waits.
    if (total > 0) byId('progress').value = Math.min(1, loaded / total);
  }

  // A failure the page names in its own words, with the browser's detail.
  class PageError extends Error {
    constructor(words, detail) {
      super(detail);
      this.words = words;
    }
  }

  const Words = {
    damaged: "The game's data did not download completely. Reload the page to try again.",
    download: 'The game could not be downloaded. Reload the page to try again.',
    program: "The game's program could not be started in this browser. Reload the page to try again.",
    stopped: 'The game cannot run here.',
  };

  async function download(url, entry) {
    let response;
    try {
      response = await fetch(url);
    } catch (error) {
      throw new PageError(Words.download, `${url}: ${error.message}`);
    }
    if (!response.ok) throw new PageError(Words.download, `${url}: ${response.status} ${response.statusText}`);
    entry.total = entry.total || Number(response.headers.get('Content-Length')) || 0;
    try {
      return await readBody(response, entry);
    } catch (error) {
      throw new PageError(Words.download, `${url}: ${error.message}`);
    }
  }

  async function readBody(response, entry) {
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

  // The size and SHA-256 the build wrote; the bar's length is the size.
  async function expectedData() {
    const text = new TextDecoder().decode(await download('thornwick-data.json', { loaded: 0, total: 0 }));
    let expected = null;
    try {
      expected = JSON.parse(text);
    } catch (error) {
      expected = null;
    }
    if (!expected || !Number.isInteger(expected.bytes) || !/^[0-9a-f]{64}$/.test(expected.sha256)) {
      throw new PageError(Words.damaged, 'thornwick-data.json does not hold the data\'s size and checksum');
    }
    downloads.data.total = expected.bytes;
    return expected;
  }

  function hex(buffer) {
    return Array.from(new Uint8Array(buffer), (byte) => byte.toString(16).padStart(2, '0')).join('');
  }

  // A page served without https (but for this machine) has no checksums:
  // the size is all it can check.
  async function checkData(data, expected) {
    if (data.byteLength !== expected.bytes) {
      throw new PageError(Words.damaged, `thornwick.data holds ${data.byteLength} bytes of ${expected.bytes}`);
    }
    if (!(window.crypto && crypto.subtle)) return data;
    const sum = hex(await crypto.subtle.digest('SHA-256', data));
    if (sum !== expected.sha256) throw new PageError(Words.damaged, 'thornwick.data differs from the one built');
    return data;
  }

  async function compileProgram(bytes) {
    try {
      return await WebAssembly.compile(bytes);
    } catch (error) {
      throw new PageError(Words.program, String(error.message || error));
    }
  }

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new PageError(Words.download, 'cannot load ' + src));
      document.head.appendChild(script);
    });
  }

  function show(id, text) {
    const element = byId(id);
    if (text !== undefined) element.textContent = text;
    element.hidden = false;
  }

  function hide(...ids) {
    for (const id of ids) byId(id).hidden = true;
  }

  // The failure in the page's words, the browser's detail below in smaller
  // type, and a way to try again; one line on the console names it.
  function fail(error) {
    if (page.state === 'failed') return;
    page.state = 'failed';
    const detail = String(error && error.message ? error.message : error);
    page.error = detail;
    byId('overlay').hidden = false;
    hide('progress', 'status', 'prompt', 'ended', 'again', 'notice');
    show('problem', error instanceof PageError ? error.words : Words.stopped);
    show('detail', lastMessage && !(error instanceof PageError) ? `${detail} (${lastMessage})` : detail);
    show('reload');
    console.error('thornwick: ' + detail);
  }

  // Created inside the click or key that starts a game, so the browser lets
  // it play; SDL takes it over (Module.SDL2.audioContext).
  function openAudio() {
    if (choices.silent) return null;
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

  // The game itself stops while the picture is gone (src/platform/web);
  // asking for the context back is preventDefault on its loss.
  // An earlier game's canvas may lose its context too (browsers let the
  // oldest go when a page holds many): that is no loss of this game's.
  function pictureLost(event) {
    event.preventDefault();
    if (!page.module || event.target !== page.module.canvas) return;
    if (page.state !== 'running' && page.state !== 'done') return;
    page.picture = 'lost';
    page.pictureLosses += 1;
    hide('restart');
    show('notice');
    show('notice-text', 'The picture was lost. The game waits until the browser gives it back\u2026');
    clearTimeout(lostTimer);
    lostTimer = setTimeout(pictureGone, LostPictureWaitMs);
  }

  function pictureGone() {
    page.picture = 'gone';
    show('notice-text', 'The browser did not give the picture back, so the game cannot go on.');
    show('restart');
    byId('restart').focus();
  }

  // Should the picture come back after all, the game goes on.
  function pictureRestored(event) {
    if (!page.module || event.target !== page.module.canvas) return;
    clearTimeout(lostTimer);
    page.picture = 'shown';
    hide('notice');
  }

  function watchPicture(canvas) {
    canvas.addEventListener('webglcontextlost', pictureLost);
    canvas.addEventListener('webglcontextrestored', pictureRestored);
  }

  function ended() {
    page.state = 'ended';
    clearTimeout(lostTimer);
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    hide('progress', 'status', 'prompt', 'notice');
    show('ended');
    show('again');
    byId('overlay').hidden = false;
    byId('again').focus();
  }

  function start(audioContext) {
    page.state = 'running';
    page.games += 1;
    page.audioContext = audioContext;
    page.options = null;
    page.picture = 'shown';
    byId('overlay').hidden = true;
    const canvas = freshCanvas();
    watchPicture(canvas);
    const module = {
      canvas,
      fullScreenElement: byId('stage'),
      arguments: choices.args.slice(),
      instantiateWasm(imports, receive) {
        WebAssembly.instantiate(wasmModule, imports).then((instance) => receive(instance), fail);
        return {};
      },
      getPreloadedPackage() {
        return dataBuffer;
      },
      print: (text) => console.log(text),
      printErr: (text) => {
        if (!/^thornwick: ignoring /.test(text)) lastMessage = text;
        console.warn(text);
      },
      onOptions: (json) => {
        page.options = JSON.parse(json);
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

  // While a game runs, the page under it stays where it is.
  function holdPage(event) {
    if (page.state !== 'running') return;
    if (event.type === 'wheel' || ScrollKeys.has(event.code)) event.preventDefault();
  }

  // A full screen that a key asked for just before Escape ended the game
  // arrives after it: the page leaves it again, so Play again can be reached.
  function onFullScreenChange() {
    if (document.fullscreenElement && page.state !== 'running') document.exitFullscreen().catch(() => {});
  }

  window.addEventListener('pointerdown', onGesture);
  window.addEventListener('keydown', onGesture);
  window.addEventListener('keydown', holdPage);
  window.addEventListener('wheel', holdPage, { passive: false });
  document.addEventListener('fullscreenchange', onFullScreenChange);
  byId('again').addEventListener('click', (event) => {
    event.stopPropagation();
    if (page.state === 'ended') start(openAudio());
  });
  for (const id of ['reload', 'restart']) {
    byId(id).addEventListener('pointerdown', (event) => event.stopPropagation());
    byId(id).addEventListener('click', () => location.reload());
  }

  const expected = expectedData();
  Promise.all([
    download('thornwick.wasm', downloads.wasm).then(compileProgram),
    Promise.all([download('thornwick.data', downloads.data), expected]).then(([data, sum]) => checkData(data, sum)),
    loadScript('thornwick.js'),
  ]).then(([compiled, data]) => {
    wasmModule = compiled;
    dataBuffer = data;
    page.state = 'ready';
    page.readyMs = performance.now();
    byId('progress').value = 1;
    byId('status').textContent = 'Loaded.';
    if (wanted) start(page.audioContext || (choices.autostart ? null : openAudio()));
  }).catch(fail);
})();
