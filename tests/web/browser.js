// The browser tests' driver: Debian's Chromium, headless, drawing WebGL in
// software (SwiftShader through ANGLE), driven by puppeteer-core over the
// DevTools protocol. It reaches 127.0.0.1 only: every other host name fails
// to resolve, and Chromium's own background traffic is switched off. Each
// browser gets a fresh profile, removed when it closes.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

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
async function launchBrowser({ width = 800, height = 600 } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'thornwick-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath(),
    headless: true,
    userDataDir: profile,
    args: ChromiumFlags,
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
async function openGame(browser, url) {
  const page = await browser.newPage();
  const messages = [];
  page.on('console', (message) => messages.push({ type: message.type(), text: message.text() }));
  page.on('pageerror', (error) => messages.push({ type: 'pageerror', text: error.message }));
  page.on('requestfailed', (request) => messages.push({ type: 'requestfailed', text: request.url() }));
  await page.goto(url, { waitUntil: 'load' });
  return { page, messages };
}

// Waits until window.thornwick.state is one of the states; returns it.
async function waitForState(page, states, timeoutMs = 120000) {
  await page.waitForFunction((wanted) => window.thornwick && wanted.includes(window.thornwick.state),
    { timeout: timeoutMs, polling: 100 }, states);
  return page.evaluate(() => window.thornwick.state);
}

// The canvas as the game left it, as PNG bytes (the page keeps its frames
// when a test gives a frame count).
async function canvasPng(page) {
  const dataUrl = await page.evaluate(() => document.getElementById('canvas').toDataURL('image/png'));
  return Buffer.from(dataUrl.slice(dataUrl.indexOf(',') + 1), 'base64');
}

// The browser build's folder served on a free port of 127.0.0.1.
async function serveBuild(dir) {
  if (!fs.existsSync(path.join(dir, 'thornwick.wasm'))) throw new Error(`no browser build in ${dir}: make web`);
  return serve(dir, 0);
}

module.exports = { launchBrowser, gameUrl, openGame, waitForState, canvasPng, serveBuild };
