#!/usr/bin/env node
// The browser build played in a real browser (make test-web runs it through
// ctest). One page plays seed 7 as a visitor would, with the real clock and
// sound, a pad plugged in before the start and real key presses: the world
// runs and looks like the capture tool's, the sound reaches Web Audio, the
// arrows and the pad move the player and the page under it stays put,
// Escape ends the game (a full-screen key right after it enters no full
// screen) and a new one starts. Then the README's scenes (scripts/make-screenshots'
// seeds, steps, places and keys, silent and at 800 x 600) are rendered and
// each compared with the native capture tool's picture of the same scene,
// made here beside the browser; in the last, the WebGL context is lost and
// given back before its last frame. Damaged downloads must be named, and
// the address's choices are taken or refused as src/web_main.cpp says,
// seeds as thornwick-capture takes them. No page may show an error on its
// console but those that name a failure on purpose.
//   node tests/web/browser_test.js [--build build-web] [--native build] [--out DIR]
//     [--only play|SCENE|damaged|addresses]
'use strict';

const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const {
  launchBrowser, gameUrl, openGame, fakeGamepad, setGamepad, meterAudio, gameState, waitForState,
  waitForFrames, loseContext, restoreContext, shownText, canvasPng, screenPng, decodePng, compareImages,
  serveBuild,
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
// The scene whose context is lost before its last frame, how long the test
// watches the game wait, and how long the page waits in vain (10 s) and more.
const LostScene = 'fight';
const LostHoldMs = 1000;
// The real clock's loss in the played game: a step after it longer than
// half of it counted the time without a picture.
const RealLossMs = 3000;
const GiveUpTimeoutMs = 20000;
// The seeds a link and thornwick-capture --seed must read alike, drawn
// small: 0, 7, 2^31, 2^32 - 1; and two they must both refuse.
const SeedShots = ['0', '7', '2147483648', '4294967295'].map((seed) => ({ name: `seed-${seed}`, seed, dt: '',
  frames: 1, place: '', keys: '', size: '160x120' }));
const RefusedSeeds = ['4294967296', '7x'];

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

// thornwick-capture run to its end, silent: { code, signal, errors }.
function runCapture(native, args) {
  return new Promise((resolve, reject) => {
    const child = spawn(path.join(native, 'thornwick-capture'), args, { cwd: path.join(native, 'run'),
      env: { ...process.env, SDL_AUDIODRIVER: 'none' }, stdio: ['ignore', 'ignore', 'pipe'] });
    let errors = '';
    child.stderr.on('data', (data) => { errors += data; });
    child.on('error', reject);
    child.on('exit', (code, signal) => resolve({ code, signal, errors }));
  });
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
  if (shot.size) args.push('--size', shot.size);
  return runCapture(native, args).then(({ code, signal, errors }) => {
    const png = path.join(dir, `frame-${String(shot.frames).padStart(5, '0')}.png`);
    if (code === 0 && fs.existsSync(png)) return png;
    throw new Error(`thornwick-capture for ${shot.name} ended with ${signal || code}: ${errors.trim()}`);
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

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const altEnter = async (page) => {
  await page.keyboard.down('Alt');
  await page.keyboard.press('Enter');
  await page.keyboard.up('Alt');
};

async function checkFullScreen(page) {
  await page.keyboard.press('F11');
  await expect(page, 'F11 fills the screen', () => document.fullscreenElement !== null, null, 10000);
  const filled = await page.evaluate(() => document.fullscreenElement.id);
  await altEnter(page);
  await expect(page, 'Alt+Enter returns to the page', () => document.fullscreenElement === null, null, 10000);
  return `F11 filled the screen with #${filled}, Alt+Enter left it`;
}

// While the game runs, the keys and the wheel that scroll a page leave the
// controls below the game where they are.
async function checkPageHeld(page) {
  await page.mouse.move(400, 300);
  for (const name of ['PageDown', 'ArrowDown', 'End', 'Space']) await page.keyboard.press(name);
  await page.mouse.wheel({ deltaY: 800 });
  await sleep(300);
  const scrolled = await page.evaluate(() => [window.scrollY, document.documentElement.scrollHeight - innerHeight]);
  if (scrolled[1] <= 0) throw new Error('the page is too short to scroll: the check proves nothing');
  if (scrolled[0] !== 0) throw new Error(`the page scrolled by ${scrolled[0]} px under the game`);
  return `Page Down, Down, End, Space and the wheel leave the page at its top (${scrolled[1]} px below)`;
}

// Escape, then at once a full-screen key (the key is read before the game
// has stepped to its end): once the page has taken over it is not in full
// screen, and Play again lies on top where it shows.
async function endWithFullScreenKey(page, key) {
  await page.keyboard.press('Escape');
  await key();
  await expect(page, 'the game ends', () => ['ended', 'failed'].includes(window.thornwick.state));
  // A full screen asked for just before the end would have arrived by now.
  await sleep(500);
  const reach = await page.evaluate(() => {
    const again = document.getElementById('again');
    const box = again.getBoundingClientRect();
    const top = document.elementFromPoint(box.x + box.width / 2, box.y + box.height / 2);
    return { fullScreen: document.fullscreenElement !== null, onTop: !again.hidden && top === again };
  });
  if (reach.fullScreen) throw new Error('the page stays in full screen after the game has ended');
  if (!reach.onTop) throw new Error('Play again is hidden or covered');
}

async function checkEscape(page) {
  await endWithFullScreenKey(page, () => altEnter(page));
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
  return `"${shown.ended}" (Alt+Enter right after Escape: no full screen), sound released, another game runs`;
}

// With the real clock: the clock's steps after the picture comes back are
// ordinary ones, none the time it was gone (the first three are watched).
async function checkRealClockLoss(page) {
  await loseContext(page);
  await expect(page, 'the page says the picture is lost', () => window.thornwick.picture === 'lost', null, 10000);
  const before = await gameState(page);
  await sleep(RealLossMs);
  await restoreContext(page);
  const steps = await page.evaluate((from) => new Promise((resolve) => {
    const game = window.thornwick.module;
    const seen = [];
    let last = from;
    const look = () => {
      const frames = game._thornwick_frames();
      if (frames > last) seen.push(game._thornwick_step());
      last = frames;
      if (seen.length >= 3) resolve(seen);
      else requestAnimationFrame(look);
    };
    look();
  }), before.frames);
  const longest = Math.max(...steps);
  if (!(longest < RealLossMs / 2000)) {
    throw new Error(`a step after ${RealLossMs} ms without a picture took ${longest.toFixed(3)} s`);
  }
  if (await shownText(page, 'notice') !== null) throw new Error('the notice stays over the game');
  return `the first steps after ${RealLossMs} ms without a picture: ` +
    steps.map((step) => `${(step * 1000).toFixed(0)} ms`).join(', ');
}

async function checkSecondEnd(page) {
  await waitForFrames(page, 3);
  await endWithFullScreenKey(page, () => page.keyboard.press('F11'));
  return 'F11 right after Escape: no full screen, Play again on top';
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
    await check('the page under the game stays put', () => checkPageHeld(page));
    await check('F11 and Alt+Enter switch full screen', () => checkFullScreen(page));
    await check('the sound reaches Web Audio', async () => {
      await expect(page, 'a running audio context and a mix that is not silent', () => {
        const meter = window.thornwickTestAudio;
        return meter.context && meter.context.state === 'running' && meter.loudBuffers > 0;
      });
      const meter = await page.evaluate(() => ({ ...window.thornwickTestAudio, context: undefined }));
      return `${meter.loudBuffers} of ${meter.buffers} buffers past -40 dB, peak ${meter.peak.toFixed(2)}`;
    });
    let again = false;
    await check('the picture lost and given back: the clock leaves out the time without it',
      () => checkRealClockLoss(page));
    await check('Escape ends the game and the page says so', async () => {
      const detail = await checkEscape(page);
      again = true;
      return detail;
    });
    if (again) await check('the second game ends as the first', () => checkSecondEnd(page));
  } finally {
    await page.close();
  }
}

// The context taken away once the game has swapped all but its last frame:
// the page says so, and while it is gone no frame is stepped and the
// player's health stands; then it is given back, and the last frame, the
// first after, is the one the scene compares.
async function losePicture(page, scene) {
  const at = scene.frames;
  await waitForState(page, ['running', 'done', 'failed'], 900000);
  const lostAt = await loseContext(page, at);
  if (lostAt !== at) throw new Error(`the context went after frame ${lostAt}, not ${at}`);
  await expect(page, 'the page says the picture is lost', () => window.thornwick.picture === 'lost' &&
    !document.getElementById('notice').hidden, null, 10000);
  const notice = await shownText(page, 'notice-text');
  if (!/picture was lost/.test(notice || '')) throw new Error(`the notice says ${JSON.stringify(notice)}`);
  let before;
  let after;
  try {
    before = await gameState(page);
    await sleep(LostHoldMs);
    after = await gameState(page);
  } finally {
    await restoreContext(page);
  }
  if (after.frames !== before.frames || after.health !== before.health || after.x !== before.x) {
    throw new Error(`the game went on without a picture: frame ${before.frames} to ${after.frames}, ` +
      `health ${before.health} to ${after.health}`);
  }
  return `"${notice}"; frame ${after.frames} and health ${after.health.toFixed(2)} held for ${LostHoldMs} ms`;
}

// The scene's picture as PNG bytes, decoded, and the native capture's
// (nativeFile: the promise of its path), decoded. during(page) runs while
// the scene plays, after(page) once its frames are done.
async function renderScene(browser, base, scene, nativeFile, pageMessages, { during, after } = {}) {
  const url = gameUrl(base, { seed: scene.seed, dt: scene.dt, frames: scene.frames, place: scene.place,
    keys: scene.keys, size: scene.size || '800x600', silent: true, autostart: true });
  const { page, messages } = await openGame(browser, url);
  pageMessages.push({ page: `scene ${scene.name}`, silent: true, messages });
  try {
    if (during) await during(page);
    const state = await waitForState(page, ['done', 'failed', 'ended'], 900000);
    if (state !== 'done') throw new Error(`the game ${state}: ${await page.evaluate(() => window.thornwick.error)}`);
    const png = await canvasPng(page);
    const shown = { png, image: await decodePng(page, png),
      native: await decodePng(page, fs.readFileSync(await nativeFile)),
      seed: await page.evaluate(() => window.thornwick.module._thornwick_world_seed()),
      framesDone: await page.evaluate(() => window.thornwick.framesDone) };
    if (after) await after(page);
    return shown;
  } finally {
    await page.close();
  }
}

// A context never given back: the page gives up after its wait, says so and
// offers to start again, which loads the page anew.
async function checkPictureGone(page) {
  await check('a picture never given back: the page says the game cannot go on and offers to start again', async () => {
    await loseContext(page);
    await expect(page, 'the page gives up', () => window.thornwick.picture === 'gone', null, GiveUpTimeoutMs);
    const notice = await shownText(page, 'notice-text');
    if (!/cannot go on/.test(notice || '')) throw new Error(`the notice says ${JSON.stringify(notice)}`);
    if (!(await shownText(page, 'restart'))) throw new Error('no Start again button');
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#restart')]);
    const how = await page.evaluate(() => performance.getEntriesByType('navigation')[0].type);
    if (how !== 'reload') throw new Error(`Start again led to a ${how}`);
    return `"${notice}"; Start again reloads the page`;
  });
}

async function checkScene(browser, base, scene, natives, out, pageMessages) {
  const lost = scene.name === LostScene;
  const hooks = lost ? {
    during: (page) => check(`scene ${scene.name}: the picture lost before the last frame`,
      () => losePicture(page, scene)),
    after: checkPictureGone,
  } : {};
  const name = lost ? `scene ${scene.name}, its last frame drawn after the picture came back` : `scene ${scene.name}`;
  await check(name, async () => {
    const { png, image, native, framesDone } = await renderScene(browser, base, scene, natives.get(scene.name),
      pageMessages, hooks);
    if (lost && framesDone !== scene.frames + 1) throw new Error(`the scene ended at swap ${framesDone}`);
    fs.writeFileSync(path.join(out, scene.name + '.png'), png);
    const { differingShare, largest } = compareImages(image, native, Tolerance);
    const figure = `${(differingShare * 100).toFixed(2)}% of pixels differ from the native capture by more than ` +
      `${Tolerance * 100}% (largest ${largest}; at most ${MostDiffering * 100}%)`;
    if (differingShare > MostDiffering) throw new Error(figure);
    return figure;
  });
}

// Damaged downloads, served in place of the build's files: each stops the
// start with the page's own words, a reload button and the browser's detail
// in smaller type, wrapped inside the window. A damaged data file leaves one
// console error, the one that names it.
const DamagedWords = "The game's data did not download completely. Reload the page to try again.";

async function openWithReplies(browser, url, replies) {
  return openGame(browser, url, {
    prepare: async (page) => {
      await page.setRequestInterception(true);
      page.on('request', (request) => {
        const reply = replies[new URL(request.url()).pathname.slice(1)];
        if (!reply) request.continue();
        else request.respond({ status: reply.status || 200, contentType: 'application/octet-stream',
          body: reply.body });
      });
    },
  });
}

async function checkDamage(browser, base, { file, body, status, words, detail, oneError }) {
  const { page, messages } = await openWithReplies(browser, gameUrl(base, { silent: true, autostart: true }),
    { [file]: { body, status } });
  try {
    const state = await waitForState(page, ['failed', 'running'], 60000);
    const shown = await page.evaluate(() => {
      const style = (id) => parseFloat(getComputedStyle(document.getElementById(id)).fontSize);
      return { started: window.thornwick.module !== null, smaller: style('detail') < style('problem'),
        wraps: document.documentElement.scrollWidth <= innerWidth };
    });
    if (state !== 'failed' || shown.started) throw new Error('the game started');
    const problem = await shownText(page, 'problem');
    const said = await shownText(page, 'detail');
    if (!words.test(problem || '')) throw new Error(`the page says ${JSON.stringify(problem)}`);
    if (!detail.test(said || '')) throw new Error(`the detail says ${JSON.stringify(said)}`);
    if (!(await shownText(page, 'reload'))) throw new Error('no reload button');
    if (await shownText(page, 'progress') !== null) throw new Error('the progress bar still shows');
    if (!shown.smaller || !shown.wraps) throw new Error('the detail is not in smaller type wrapped inside the page');
    const errors = messages.filter((m) => m.type === 'error' || m.type === 'pageerror');
    if (!errors.some((m) => m.text.includes(said))) throw new Error('no console error names the failure');
    if (oneError && errors.length !== 1) throw new Error(`console errors: ${errors.map((m) => m.text).join('; ')}`);
    return `"${problem}" (${said})`;
  } finally {
    await page.close();
  }
}

async function checkDamaged(browser, base, build) {
  const data = fs.readFileSync(path.join(build, 'thornwick.data'));
  const changed = Buffer.from(data);
  changed[changed.length >> 1] ^= 0x20;
  const damaged = { file: 'thornwick.data', words: new RegExp(DamagedWords.replace(/[.]/g, '\\.')), oneError: true };
  const cases = [
    ['the data cut to half', { ...damaged, body: data.subarray(0, data.length >> 1), detail: /holds \d+ bytes of/ }],
    ['the data of zero bytes', { ...damaged, body: Buffer.alloc(0), detail: /holds 0 bytes of/ }],
    ['the data with one byte changed', { ...damaged, body: changed, detail: /differs from the one built/ }],
    ['the data not found', { file: 'thornwick.data', status: 404, body: 'not found', words: /could not be downloaded/,
      detail: /thornwick\.data: 404/ }],
    ['a program that does not compile', { file: 'thornwick.wasm', body: Buffer.alloc(4096, 0x41),
      words: /program could not be started/, detail: /WebAssembly|magic/i }],
  ];
  for (const [name, damage] of cases) {
    await check(`${name}: named, and no game starts`, () => checkDamage(browser, base, damage));
  }
}

// The address's choices against what the game reports taking (null:
// unset), and the values the console names as ignored, each once and no
// others: a refused value is never read as an option of its own.
const Unset = { seed: null, dt: null, frames: null, place: null, keys: null, size: null, silent: false };
const AddressRows = [
  { query: 'seed=4294967295&dt=0.05&frames=3&place=386,397,3.3&keys=UP:0-1&size=320x240&silent',
    options: { seed: 4294967295, dt: 0.05, frames: 3, place: [386, 397, 3.3], keys: 'UP:0-1', size: '320x240',
      silent: true }, ignored: [] },
  { query: 'seed=abc&dt=0&frames=0&place=600,1&keys=bogus&size=0x600',
    ignored: ['seed=abc', 'dt=0', 'frames=0', 'place=600,1', 'keys=bogus', 'size=0x600'] },
  { query: 'seed=--silent&dt=inf&frames=1.5&place=1,2,inf&size=800x600x',
    ignored: ['seed=--silent', 'dt=inf', 'frames=1.5', 'place=1,2,inf', 'size=800x600x'] },
  { query: 'seed=7x&dt=-1&frames=99999999999&place=--silent&keys=',
    ignored: ['seed=7x', 'dt=-1', 'frames=99999999999', 'place=--silent', 'keys='] },
  { query: 'seed=&dt=1e999&silent=no&frames=+5&size=99999x10', options: { size: 'capped' },
    ignored: ['seed=', 'dt=1e999', 'silent=no', 'frames= 5'] },
  { query: 'seed=1&seed=1&dt=0.1s&place=%2B1,2&keys=UP:0-1,&seed2=3',
    ignored: ['seed=1&seed=1', 'dt=0.1s', 'place=+1,2', 'keys=UP:0-1,'] },
];

function sameOption(got, want) {
  if (Array.isArray(want)) return Array.isArray(got) && want.every((w, i) => Math.abs(got[i] - w) < 1e-5);
  return got === want;
}

async function checkAddress(browser, base, row) {
  const { page, messages } = await openGame(browser, `${base}?${row.query}&autostart`);
  try {
    await expect(page, 'the game reports its choices', () => window.thornwick.options !== null ||
      window.thornwick.state === 'failed', null, 60000);
    const options = await page.evaluate(() => window.thornwick.options);
    if (!options) throw new Error(`the page failed: ${await page.evaluate(() => window.thornwick.error)}`);
    const want = { ...Unset, ...row.options };
    const wrong = [];
    for (const [name, value] of Object.entries(want)) {
      if (value === 'capped') continue;
      if (!sameOption(options[name], value)) {
        wrong.push(`${name} ${JSON.stringify(options[name])}, not ${JSON.stringify(value)}`);
      }
    }
    if (want.size === 'capped') {
      const drawn = await page.evaluate(() => {
        const canvas = document.getElementById('canvas');
        const gl = canvas.getContext('webgl2');
        return { size: `${canvas.width}x${canvas.height}`, buffer: `${gl.drawingBufferWidth}x${gl.drawingBufferHeight}`,
          most: gl.getParameter(gl.MAX_VIEWPORT_DIMS)[0] };
      });
      if (options.size !== drawn.size || drawn.size !== drawn.buffer || !options.size.endsWith('x10') ||
          Number(options.size.split('x')[0]) > drawn.most) {
        wrong.push(`size ${options.size}, canvas ${drawn.size}, drawn ${drawn.buffer}, most ${drawn.most}`);
      }
    }
    const ignoring = messages.filter((m) => /thornwick: ignoring /.test(m.text)).map((m) => m.text);
    for (const text of row.ignored) {
      const times = ignoring.filter((line) => line.includes(`ignoring ${text} (`)).length;
      if (times !== 1) wrong.push(`${text} named ${times} times`);
    }
    if (ignoring.length !== row.ignored.length) wrong.push(`the console says: ${ignoring.join('; ')}`);
    if (wrong.length) throw new Error(wrong.join(', '));
    return JSON.stringify(options);
  } finally {
    await page.close();
  }
}

// autostart=no is refused: the page waits for a click as without it.
async function checkNoAutostart(browser, base) {
  const { page, messages } = await openGame(browser, `${base}?autostart=no&silent`);
  try {
    await waitForState(page, ['ready', 'failed'], 60000);
    await sleep(500);
    if (await page.evaluate(() => window.thornwick.state !== 'ready' || window.thornwick.module !== null)) {
      throw new Error('the game started by itself');
    }
    if (!messages.some((m) => m.text.includes('ignoring autostart=no ('))) throw new Error('the console names nothing');
    return 'the page waits for a click';
  } finally {
    await page.close();
  }
}

// The same seeds grow the same worlds in a link and in thornwick-capture,
// and the same seeds are refused by both; a page with a refused seed grows
// its world from the clock, as one with none.
async function checkSeeds(browser, base, native, natives, pageMessages) {
  const images = new Map();
  for (const shot of SeedShots) {
    await check(`?seed=${shot.seed} grows thornwick-capture --seed ${shot.seed}'s world`, async () => {
      const { image, native: captured, seed } = await renderScene(browser, base, shot, natives.get(shot.name),
        pageMessages);
      if (seed !== Number(shot.seed)) throw new Error(`the world grew from seed ${seed}`);
      const { differingShare } = compareImages(image, captured, Tolerance);
      if (differingShare > MostDiffering) throw new Error(`${(differingShare * 100).toFixed(2)}% of pixels differ`);
      images.set(shot.seed, image);
      return `${(differingShare * 100).toFixed(2)}% of pixels differ`;
    });
  }
  await check('the seeds\' pictures tell their worlds apart', async () => {
    const [first, last] = [images.get(SeedShots[0].seed), images.get(SeedShots[SeedShots.length - 1].seed)];
    if (!first || !last) throw new Error('no pictures to compare');
    const { differingShare } = compareImages(first, last, Tolerance);
    if (differingShare <= MostDiffering) {
      throw new Error(`worlds 0 and 4294967295 differ in ${(differingShare * 100).toFixed(2)}% only`);
    }
    return `worlds 0 and 4294967295 differ in ${(differingShare * 100).toFixed(1)}% of pixels`;
  });
  await check(`seeds ${RefusedSeeds.join(' and ')}: refused by thornwick-capture`, async () => {
    for (const seed of RefusedSeeds) {
      const { code, errors } = await runCapture(native, ['--seed', seed, '--frames', '1', '--out', os.tmpdir()]);
      if (code !== 2 || !errors.includes(`bad value '${seed}' for --seed`)) {
        throw new Error(`thornwick-capture --seed ${seed} ended with ${code}: ${errors.trim().split('\n')[0]}`);
      }
    }
    return 'bad value, status 2, for each';
  });
  await check(`?seed=${RefusedSeeds[0]} grows a world from the clock`, async () => {
    const from = Math.floor(Date.now() / 1000);
    const url = gameUrl(base, { seed: RefusedSeeds[0], frames: 1, size: '160x120', silent: true, autostart: true });
    const { page, messages } = await openGame(browser, url);
    try {
      if (await waitForState(page, ['done', 'failed'], 300000) !== 'done') throw new Error('the game failed');
      const seed = await page.evaluate(() => window.thornwick.module._thornwick_world_seed());
      if (seed < from || seed > Date.now() / 1000 + 1) throw new Error(`the world grew from seed ${seed}`);
      const named = messages.filter((m) => m.text.includes(`ignoring seed=${RefusedSeeds[0]} (`)).length;
      if (named !== 1) throw new Error(`the console named it ${named} times`);
      return `seed ${seed}, the clock's`;
    } finally {
      await page.close();
    }
  });
}

async function checkAddresses(browser, base, native, natives, pageMessages) {
  for (const row of AddressRows) await check(`?${row.query}`, () => checkAddress(browser, base, row));
  await check('?autostart=no', () => checkNoAutostart(browser, base));
  await checkSeeds(browser, base, native, natives, pageMessages);
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
  const damaged = !options.only || options.only === 'damaged';
  const addresses = !options.only || options.only === 'addresses';
  fs.mkdirSync(options.out, { recursive: true });
  const natives = captureAll(options.native, (playing ? [StartShot] : []).concat(scenes, addresses ? SeedShots : []),
    options.out);
  const { server, url } = await serveBuild(options.build);
  const browser = await launchBrowser();
  const pageMessages = [];
  try {
    if (playing) await play(browser, url, natives, options.out, pageMessages);
    for (const scene of scenes) await checkScene(browser, url, scene, natives, options.out, pageMessages);
    if (damaged) await checkDamaged(browser, url, options.build);
    if (addresses) await checkAddresses(browser, url, options.native, natives, pageMessages);
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
