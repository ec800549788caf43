#!/usr/bin/env node
// The browser build played in a real browser (make test-web runs it through
// ctest). One page plays seed 7 as a visitor would, with the real clock and
// sound, a pad plugged in before the start and real key presses: the world
// runs and looks like the capture tool's, the sound reaches Web Audio, the
// arrows and the pad move the player, Escape ends the game and a new one
// starts. Then the README's scenes (scripts/make-screenshots' seeds, steps,
// places and keys, silent and at 800 x 600) are rendered and each compared
// with the native capture tool's picture of the same scene, made here
// beside the browser. No page may show an error on its console.
//   node tests/web/browser_test.js [--build build-web] [--native build] [--out DIR] [--only play|SCENE]
'use strict';

const { spawn } = require('child_process');
const fs = require('fs');
const path = require('path');

const {
  launchBrowser, gameUrl, openGame, fakeGamepad, setGamepad, meterAudio, gameState, waitForState,
  waitForFrames, canvasPng, screenPng, decodePng, compareImages, serveBuild,
} = require('./browser.js');

const Root = path.resolve(__dirname, '../..');
// Different rasterisers: at most this share of a scene's pixels may differ
// by more than the tolerance in any channel.
const MostDiffering = 0.02;
const Tolerance = 0.1;
// The played world is compared with the capture at its start only loosely:
// villagers walk and the real clock runs on, but a blank canvas, the
// loading picture or a world drawn wrong differ almost everywhere.
const StartShot = { name: 'start', seed: '7', dt: '', frames: 10, place: '', keys: '' };
const StartMostDiffering = 0.3;
// Far enough to tell walking from a push by a passing villager, and little
// enough to stay on the open path that leads west from seed 7's start.
const WalkDistance = 2;
const TurnAngle = 0.3;
const StandStill = 0.05;
const MoveTimeoutMs = 90000;
const RestTimeoutMs = 60000;

// The shots as scripts/make-screenshots lists them: shot NAME SEED DT FRAMES PLACE ["KEYS"].
function readScenes() {
  const script = fs.readFileSync(path.join(Root, 'scripts/make-screenshots'), 'utf8');
  const scenes = [];
  for (const line of script.split('\n')) {
    const m = line.match(/^shot (\S+) (\d+) (\S+) (\d+) (\S+)(?: "([^"]*)")?\s*$/);
    if (m) scenes.push({ name: m[1], seed: m[2], dt: m[3], frames: Number(m[4]), place: m[5], keys: m[6] || '' });
  }
  if (scenes.length === 0) throw new Error('no shots found in scripts/make-screenshots');
  return scenes;
}

function parseArguments(argv) {
  const options = { build: path.join(Root, 'build-web'), native: path.join(Root, 'build'), out: null, only: null };
  for (let i = 0; i < argv.length; i += 2) {
    const name = argv[i].replace(/^--/, '');
    if (!(name in options) || i + 1 >= argv.length) throw new Error(`unknown or incomplete option ${argv[i]}`);
    options[name] = argv[i + 1];
  }
  // The native tools run in their own run folder.
  options.native = path.resolve(options.native);
  options.out = options.out || path.join(options.build, 'browser-test');
  return options;
}

// The native capture tool's picture of a shot, silent as the browser's
// scenes are; resolves to the PNG's path.
function captureNative(native, shot, dir) {
  const tool = path.join(native, 'thornwick-capture');
  if (!fs.existsSync(tool)) return Promise.reject(new Error(`no ${tool}: make build`));
  const args = ['--seed', shot.seed, '--frames', String(shot.frames), '--shots', String(shot.frames),
    '--keys', shot.keys, '--out', dir];
  if (shot.dt) args.push('--dt', shot.dt);
  if (shot.place) args.push('--place', shot.place);
  return new Promise((resolve, reject) => {
    const child = spawn(tool, args, { cwd: path.join(native, 'run'), env: { ...process.env, SDL_AUDIODRIVER: 'none' },
      stdio: ['ignore', 'ignore', 'pipe'] });
    let errors = '';
    child.stderr.on('data', (data) => { errors += data; });
    child.on('error', reject);
    child.on('exit', (code, signal) => {
      const png = path.join(dir, `frame-${String(shot.frames).padStart(5, '0')}.png`);
      if (code === 0 && fs.existsSync(png)) resolve(png);
      else reject(new Error(`thornwick-capture for ${shot.name} ended with ${signal || code}: ${errors.trim()}`));
    });
  });
}

// The captures run one after another while the browser works; each shot's
// picture is awaited by name.
function captureAll(native, shots, out) {
  const pictures = new Map();
  let queue = Promise.resolve();
  for (const shot of shots) {
    const picture = queue.then(() => captureNative(native, shot, path.join(out, 'native', shot.name)));
    picture.catch(() => {});
    queue = picture.catch(() => {});
    pictures.set(shot.name, picture);
  }
  return pictures;
}

const failures = [];

async function check(name, body) {
  const started = Date.now();
  try {
    const detail = await body();
    console.log(`ok   ${name}${detail ? ': ' + detail : ''} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
  } catch (error) {
    failures.push(name);
    console.log(`FAIL ${name}: ${error.message}`);
  }
}

// Waits for a condition on the page, failing with what was awaited.
async function expect(page, what, condition, arg, timeoutMs = MoveTimeoutMs) {
  try {
    await page.waitForFunction(condition, { timeout: timeoutMs, polling: 50 }, arg);
  } catch (error) {
    if (error.name === 'TimeoutError') throw new Error(`${what}: not within ${timeoutMs / 1000} s`);
    throw error;
  }
}

const distance = (a, b) => Math.hypot(a.x - b.x, a.z - b.z);
const where = (s) => `(${s.x.toFixed(2)}, ${s.z.toFixed(2)}) heading ${s.heading.toFixed(2)} at frame ${s.frames}`;

// Waits until the player has stood for five frames. The world lives on
// around the test: a passing villager may push the player and an orc may
// knock it flying, but it comes to rest unless something holds a key.
async function expectRest(page, what) {
  const deadline = Date.now() + RestTimeoutMs;
  let a = await gameState(page);
  for (;;) {
    await waitForFrames(page, 5);
    const b = await gameState(page);
    if (distance(a, b) <= StandStill && Math.abs(a.heading - b.heading) < 0.001) return;
    if (Date.now() > deadline) {
      throw new Error(`${what}: the player does not come to rest, from ${where(a)} to ${where(b)}`);
    }
    a = b;
  }
}

// Holds a key or a pad position from rest until the player has walked
// forward (way 1) or back (-1) along its facing, or turned left (-1) or
// right (1), then lets go and waits for it to stand again. Returns how far
// it went.
async function hold(page, what, [press, release], { walk = 0, turn = 0, way }) {
  await expectRest(page, `before ${what}`);
  const before = await gameState(page);
  await press();
  try {
    await expect(page, what, ([from, way, walk, turn]) => {
      const game = window.thornwick.module;
      const dx = game._thornwick_player(0) - from.x;
      const dz = game._thornwick_player(1) - from.z;
      // The game walks forward along (-cos, -sin) of the heading.
      const along = -(dx * Math.cos(from.heading) + dz * Math.sin(from.heading));
      const turned = game._thornwick_player(3) - from.heading;
      return walk ? way * along >= walk : way * turned >= turn;
    }, [before, way, walk, turn]);
  } finally {
    await release();
  }
  const after = await gameState(page);
  await expectRest(page, `after ${what}`);
  return walk ? distance(before, after).toFixed(1) : `${(after.heading - before.heading).toFixed(2)} rad`;
}

const key = (page, name) => [() => page.keyboard.down(name), () => page.keyboard.up(name)];
const pad = (page, down, up) => [() => setGamepad(page, down), () => setGamepad(page, up)];

async function checkKeys(page) {
  const up = await hold(page, 'Up walks forward', key(page, 'ArrowUp'), { walk: WalkDistance, way: 1 });
  const down = await hold(page, 'Down walks back', key(page, 'ArrowDown'), { walk: WalkDistance, way: -1 });
  const left = await hold(page, 'Left turns left', key(page, 'ArrowLeft'), { turn: TurnAngle, way: -1 });
  const right = await hold(page, 'Right turns right', key(page, 'ArrowRight'), { turn: TurnAngle, way: 1 });
  return `Up ${up}, Down ${down}, Left ${left}, Right ${right}`;
}

// The standard mapping: axis 1 is the left stick's y (up is -1), button 14
// the d-pad's left.
async function checkGamepad(page) {
  const stick = await hold(page, 'the left stick walks forward', pad(page, { axes: { 1: -1 } }, { axes: { 1: 0 } }),
    { walk: WalkDistance, way: 1 });
  const dpad = await hold(page, 'the d-pad turns left', pad(page, { buttons: { 14: true } }, { buttons: { 14: false } }),
    { turn: TurnAngle, way: -1 });
  return `stick ${stick}, d-pad left ${dpad}`;
}

async function checkEscape(page) {
  await page.keyboard.press('Escape');
  await expect(page, 'the game ends', () => ['ended', 'failed'].includes(window.thornwick.state));
  const state = await page.evaluate(() => window.thornwick.state);
  if (state !== 'ended') throw new Error(`the page says ${state}: ${await page.evaluate(() => window.thornwick.error)}`);
  const shown = await page.evaluate(() => {
    const visible = (id) => {
      const element = document.getElementById(id);
      return element && !element.hidden && element.getClientRects().length > 0 ? element.textContent.trim() : null;
    };
    const audio = window.thornwickTestAudio.context;
    return { ended: visible('ended'), again: visible('again'), audio: audio ? audio.state : 'missing' };
  });
  if (!/ended/.test(shown.ended || '')) throw new Error('the page does not say that the game has ended');
  if (!shown.again) throw new Error('the page offers no other game');
  if (shown.audio !== 'closed') throw new Error(`the sound was not released: its context is ${shown.audio}`);
  const buffers = await page.evaluate(() => window.thornwickTestAudio.buffers);
  await new Promise((resolve) => setTimeout(resolve, 500));
  if (await page.evaluate(() => window.thornwickTestAudio.buffers) !== buffers) throw new Error('the mix plays on');
  await page.click('#again');
  await expect(page, 'Play again starts a running world', () => {
    const game = window.thornwick.module;
    return window.thornwick.games === 2 && game._thornwick_phase && game._thornwick_phase() === 3;
  }, null, 120000);
  return `"${shown.ended}", sound released, another game runs`;
}

// The pictures the played page shows at its start, a few frames apart;
// the first is kept in the output folder.
async function startScreens(page, out) {
  const shots = [];
  for (let i = 0; i < 3; ++i) {
    shots.push(await screenPng(page));
    await waitForFrames(page, 2);
  }
  fs.writeFileSync(path.join(out, StartShot.name + '.png'), shots[0]);
  return Promise.all(shots.map((png) => decodePng(page, png)));
}

async function play(browser, base, natives, out, pageMessages) {
  const url = gameUrl(base, { seed: StartShot.seed, autostart: true });
  const { page, messages } = await openGame(browser, url, {
    prepare: async (page) => {
      await fakeGamepad(page);
      await meterAudio(page);
    },
  });
  pageMessages.push({ page: 'play', silent: false, messages });
  try {
    let running = false;
    await check('the page loads and the world runs', async () => {
      const state = await waitForState(page, ['running', 'failed']);
      if (state !== 'running') throw new Error(`the page says ${state}: ${await page.evaluate(() => window.thornwick.error)}`);
      await expect(page, 'the first running frame', () => window.thornwick.firstFrameMs !== null, null, 120000);
      await waitForFrames(page, 3);
      running = true;
      const screens = await startScreens(page, out);
      const native = await decodePng(page, fs.readFileSync(await natives.get(StartShot.name)));
      const shares = screens.map((screen) => compareImages(screen, native, Tolerance).differingShare);
      const best = Math.min(...shares);
      if (best > StartMostDiffering) {
        throw new Error(`the played world differs from the capture's start in ${(best * 100).toFixed(1)}% of its pixels`);
      }
      const firstFrameMs = await page.evaluate(() => window.thornwick.firstFrameMs);
      return `first running frame ${Math.round(firstFrameMs)} ms after the page's start, ` +
        `${(best * 100).toFixed(1)}% of pixels off the capture's start`;
    });
    if (!running) return;
    await check('the arrow keys move the player', () => checkKeys(page));
    await check('a gamepad moves the player', () => checkGamepad(page));
    await check('the sound reaches Web Audio', async () => {
      await expect(page, 'a running audio context and a mix that is not silent', () => {
        const meter = window.thornwickTestAudio;
        return meter.context && meter.context.state === 'running' && meter.loudBuffers > 0;
      });
      const meter = await page.evaluate(() => ({ ...window.thornwickTestAudio, context: undefined }));
      return `${meter.loudBuffers} of ${meter.buffers} buffers past -40 dB, peak ${meter.peak.toFixed(2)}`;
    });
    await check('Escape ends the game and the page says so', () => checkEscape(page));
  } finally {
    await page.close();
  }
}

// The scene's picture as PNG bytes, decoded, and the native capture's
// (nativeFile: the promise of its path), decoded.
async function renderScene(browser, base, scene, nativeFile, pageMessages) {
  const url = gameUrl(base, { seed: scene.seed, dt: scene.dt, frames: scene.frames, place: scene.place,
    keys: scene.keys, size: '800x600', silent: true, autostart: true });
  const { page, messages } = await openGame(browser, url);
  pageMessages.push({ page: `scene ${scene.name}`, silent: true, messages });
  try {
    const state = await waitForState(page, ['done', 'failed', 'ended'], 900000);
    if (state !== 'done') throw new Error(`the game ${state}: ${await page.evaluate(() => window.thornwick.error)}`);
    const png = await canvasPng(page);
    return { png, image: await decodePng(page, png), native: await decodePng(page, fs.readFileSync(await nativeFile)) };
  } finally {
    await page.close();
  }
}

async function checkScene(browser, base, scene, natives, out, pageMessages) {
  await check(`scene ${scene.name}`, async () => {
    const { png, image, native } = await renderScene(browser, base, scene, natives.get(scene.name), pageMessages);
    fs.writeFileSync(path.join(out, scene.name + '.png'), png);
    const { differingShare, largest } = compareImages(image, native, Tolerance);
    const figure = `${(differingShare * 100).toFixed(2)}% of pixels differ from the native capture by more than ` +
      `${Tolerance * 100}% (largest ${largest}; at most ${MostDiffering * 100}%)`;
    if (differingShare > MostDiffering) throw new Error(figure);
    return figure;
  });
}

// Errors, and the game's own lines on standard error (which name what went
// wrong), but a silent page's note that it runs without sound.
function consoleErrors({ messages, silent }) {
  return messages.filter((m) => m.type === 'error' || m.type === 'pageerror' || m.type === 'requestfailed' ||
    (/^thornwick: /.test(m.text) && !(silent && /running without sound/.test(m.text))));
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const scenes = readScenes().filter((scene) => !options.only || scene.name === options.only);
  const playing = !options.only || options.only === 'play';
  fs.mkdirSync(options.out, { recursive: true });
  const natives = captureAll(options.native, (playing ? [StartShot] : []).concat(scenes), options.out);
  const { server, url } = await serveBuild(options.build);
  const browser = await launchBrowser();
  const pageMessages = [];
  try {
    if (playing) await play(browser, url, natives, options.out, pageMessages);
    for (const scene of scenes) await checkScene(browser, url, scene, natives, options.out, pageMessages);
    await check('no console errors', async () => {
      const lines = [];
      for (const page of pageMessages) {
        for (const m of consoleErrors(page)) lines.push(`${page.page}: console ${m.type}: ${m.text}`);
      }
      if (lines.length) throw new Error('\n  ' + lines.join('\n  '));
      return `${pageMessages.length} pages`;
    });
  } finally {
    await browser.close();
    server.close();
  }
  console.log(failures.length ? `${failures.length} checks failed: ${failures.join(', ')}` : 'all checks passed');
  process.exitCode = failures.length ? 1 : 0;
}

main().catch((error) => {
  console.error('browser_test: ' + (error.stack || error.message));
  process.exitCode = 1;
});
