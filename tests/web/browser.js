// The browser tests' driver: Debian's Chromium, headless, drawing WebGL in
// software (SwiftShader through ANGLE), driven by puppeteer-core over the
// DevTools protocol. It reaches 127.0.0.1 only: every other host name fails
// to resolve, and Chromium's own background traffic is switched off. Each
// browser gets a fresh profile, removed when it closes.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = (() => {
  try {
    return require('puppeteer-core');
  } catch (error) {
    throw new Error('no puppeteer-core in tests/web/node_modules: make web-test-deps');
  }
})();

const { serve } = require('../../web/serve.js');

const ChromiumPaths = ['/usr/bin/chromium', '/usr/lib/chromium/chromium'];

const ChromiumFlags = [
  '--no-sandbox',
  // WebGL 2 in software: SwiftShader is offered to pages only when asked.
  '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader',
  '--ignore-gpu-blocklist',
  '--disable-quic',
  '--no-first-run',
  '--no-default-browser-check',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--disable-extensions',
  '--disable-features=Translate,MediaRouter,OptimizationHints',
  '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1',
  // Tests start the game without a click; the sound must still play.
  '--autoplay-policy=no-user-gesture-required',
  // Frames keep coming when the page is not in front.
  '--disable-background-timer-throttling',
  '--disable-renderer-backgrounding',
  '--disable-backgrounding-occluded-windows',
];

function chromiumPath() {
  const found = ChromiumPaths.find((candidate) => fs.existsSync(candidate));
  if (!found) throw new Error('no Chromium: scripts/install-deps chromium');
  return found;
}

// A browser with a profile of its own; close() also removes the profile.
// More flags may follow the usual ones.
async function launchBrowser({ width = 800, height = 600, flags = [] } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'thornwick-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath(),
    headless: true,
    userDataDir: profile,
    args: ChromiumFlags.concat(flags),
    defaultViewport: { width, height },
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    try {
      await close();
    } finally {
      fs.rmSync(profile, { recursive: true, force: true });
    }
  };
  return browser;
}

// The page's address with the game's choices: { seed: 7, dt: 0.1, silent:
// true ... }; true stands for a choice without a value.
function gameUrl(base, choices = {}) {
  const query = Object.entries(choices)
    .filter(([, value]) => value !== undefined && value !== false && value !== '')
    .map(([name, value]) => (value === true ? name : `${name}=${encodeURIComponent(value)}`))
    .join('&');
  return query ? `${base}?${query}` : base;
}

// Opens the page and records what its console says; messages[] holds
// { type, text } for console calls, page errors and failed requests.
// prepare(page) runs before the page loads (fakeGamepad, meterAudio).
async function openGame(browser, url, { prepare } = {}) {
  const page = await browser.newPage();
  const messages = [];
  page.on('console', (message) => messages.push({ type: message.type(), text: message.text() }));
  page.on('pageerror', (error) => messages.push({ type: 'pageerror', text: error.message }));
  page.on('requestfailed', (request) => messages.push({ type: 'requestfailed', text: request.url() }));
  if (prepare) await prepare(page);
  await page.goto(url, { waitUntil: 'load' });
  return { page, messages };
}

// A standard-mapping pad on navigator.getGamepads from the page's first
// script on, so the game finds it plugged in when it starts. The browser
// tells a changed pad by its timestamp, which setGamepad moves on.
async function fakeGamepad(page) {
  await page.evaluateOnNewDocument(() => {
    const pad = {
      id: 'Thornwick test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
      timestamp: performance.now(), axes: [0, 0, 0, 0],
      buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
    };
    window.thornwickTestPad = pad;
    Object.defineProperty(Navigator.prototype, 'getGamepads', { configurable: true, value: () => [pad] });
  });
}

// { axes: { 1: -1 }, buttons: { 14: true } }: stick and button positions,
// by the standard mapping's numbers.
async function setGamepad(page, { axes = {}, buttons = {} }) {
  await page.evaluate((axes, buttons) => {
    const pad = window.thornwickTestPad;
    for (const [axis, value] of Object.entries(axes)) pad.axes[axis] = value;
    for (const [button, down] of Object.entries(buttons)) {
      pad.buttons[button] = { pressed: down, touched: down, value: down ? 1 : 0 };
    }
    pad.timestamp = performance.now();
  }, axes, buttons);
}

// Measures what the game's mix hands Web Audio: SDL plays through a
// ScriptProcessorNode, whose every output buffer is read after SDL has
// filled it. window.thornwickTestAudio: { context, buffers, loudBuffers, peak }.
async function meterAudio(page, loud = 0.01) {
  await page.evaluateOnNewDocument((loud) => {
    const meter = { context: null, buffers: 0, loudBuffers: 0, peak: 0 };
    window.thornwickTestAudio = meter;
    const create = AudioContext.prototype.createScriptProcessor;
    AudioContext.prototype.createScriptProcessor = function (...args) {
      const node = create.apply(this, args);
      meter.context = this;
      let handler = null;
      Object.defineProperty(node, 'onaudioprocess', { configurable: true, get: () => handler,
        set: (fn) => { handler = fn; } });
      node.addEventListener('audioprocess', (event) => {
        if (!handler) return;
        handler.call(node, event);
        let peak = 0;
        for (let c = 0; c < event.outputBuffer.numberOfChannels; ++c) {
          for (const sample of event.outputBuffer.getChannelData(c)) peak = Math.max(peak, Math.abs(sample));
        }
        meter.buffers += 1;
        if (peak > loud) meter.loudBuffers += 1;
        meter.peak = Math.max(meter.peak, peak);
      });
      return node;
    };
  }, loud);
}

// Where the game stands: { frames, phase, x, z, y, heading, health } through
// the program's hooks; null once the program has gone.
async function gameState(page) {
  return page.evaluate(() => {
    const game = window.thornwick.module;
    if (!game || !game._thornwick_frames) return null;
    try {
      const player = (what) => game._thornwick_player(what);
      return { frames: game._thornwick_frames(), phase: game._thornwick_phase(), x: player(0), z: player(1),
        y: player(2), heading: player(3), health: player(4) };
    } catch (error) {
      return null;
    }
  });
}

// Waits until the game has drawn `count` more frames.
async function waitForFrames(page, count, timeoutMs = 120000) {
  const from = (await gameState(page)).frames;
  await page.waitForFunction((until) => window.thornwick.module._thornwick_frames() >= until,
    { timeout: timeoutMs, polling: 50 }, from + count);
}

// Waits until window.thornwick.state is one of the states; returns it.
async function waitForState(page, states, timeoutMs = 120000) {
  await page.waitForFunction((wanted) => window.thornwick && wanted.includes(window.thornwick.state),
    { timeout: timeoutMs, polling: 100 }, states);
  return page.evaluate(() => window.thornwick.state);
}

// Takes the game's WebGL context away as a GPU reset would
// (WEBGL_lose_context), from a frame callback once the game has swapped
// `at` frames, so that no frame of the game comes between; resolves to the
// frames swapped by then. restoreContext(page) gives it back.
async function loseContext(page, at = 0) {
  return page.evaluate((at) => new Promise((resolve) => {
    const game = window.thornwick.module;
    const look = () => {
      const frames = game._thornwick_frames ? game._thornwick_frames() : -1;
      if (frames < at) {
        requestAnimationFrame(look);
        return;
      }
      window.thornwickTestLoss = game.canvas.getContext('webgl2').getExtension('WEBGL_lose_context');
      window.thornwickTestLoss.loseContext();
      resolve(frames);
    };
    look();
  }), at);
}

async function restoreContext(page) {
  await page.evaluate(() => window.thornwickTestLoss.restoreContext());
}

// The text of a page element when it shows, else null.
async function shownText(page, id) {
  return page.evaluate((id) => {
    const element = document.getElementById(id);
    return element && !element.hidden && element.getClientRects().length > 0 ? element.textContent.trim() : null;
  }, id);
}

// The canvas as the game left it, as PNG bytes (the page keeps its frames
// when a test gives a frame count).
async function canvasPng(page) {
  const dataUrl = await page.evaluate(() => document.getElementById('canvas').toDataURL('image/png'));
  return Buffer.from(dataUrl.slice(dataUrl.indexOf(',') + 1), 'base64');
}

// What the page shows, as PNG bytes: the game's canvas fills the window.
async function screenPng(page) {
  return Buffer.from(await page.screenshot({ type: 'png' }));
}

// PNG bytes as { width, height, rgba }, decoded by the page's browser.
async function decodePng(page, png) {
  const image = await page.evaluate(async (base64) => {
    const blob = await (await fetch(`data:image/png;base64,${base64}`)).blob();
    const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    const context = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d', { willReadFrequently: true });
    context.drawImage(bitmap, 0, 0);
    const rgba = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    let text = '';
    for (let i = 0; i < rgba.length; i += 0x8000) text += String.fromCharCode(...rgba.subarray(i, i + 0x8000));
    return { width: bitmap.width, height: bitmap.height, rgba: btoa(text) };
  }, png.toString('base64'));
  return { ...image, rgba: Buffer.from(image.rgba, 'base64') };
}

// The share of pixels that differ by more than tolerance (of full scale) in
// any of red, green and blue, and the largest difference.
function compareImages(a, b, tolerance) {
  if (a.width !== b.width || a.height !== b.height) {
    throw new Error(`images differ in size: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  }
  const limit = tolerance * 255;
  let differing = 0;
  let largest = 0;
  for (let i = 0; i < a.width * a.height; ++i) {
    let worst = 0;
    for (let c = 0; c < 3; ++c) worst = Math.max(worst, Math.abs(a.rgba[i * 4 + c] - b.rgba[i * 4 + c]));
    if (worst > limit) ++differing;
    largest = Math.max(largest, worst);
  }
  return { differingShare: differing / (a.width * a.height), largest };
}

// The browser build's folder served on a free port of 127.0.0.1.
async function serveBuild(dir) {
  if (!fs.existsSync(path.join(dir, 'thornwick.wasm'))) throw new Error(`no browser build in ${dir}: make web`);
  return serve(dir, 0);
}

module.exports = { launchBrowser, gameUrl, openGame, fakeGamepad, setGamepad, meterAudio, gameState,
  waitForState, waitForFrames, loseContext, restoreContext, shownText, canvasPng, screenPng, decodePng,
  compareImages, serveBuild };
