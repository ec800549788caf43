#!/usr/bin/env node
// The browser build's figures (make bench-web), written to
// bench/web-latest.txt in make bench's style and printed:
//   - the download: every file the page fetches, gzip-compressed (gzip -9);
//   - page load to the first running frame, headless, each load in a fresh
//     browser context (nothing cached), seed 7, started without a click;
//   - the frame time of thornwick-bench's scripted walk (seed 7, a 1/30 s
//     step, the same keys, 800 x 600) in the browser against the native
//     game on llvmpipe (thornwick-bench's own walk), the runs interleaved so
//     both see the same load on the machine.
//   node tools/bench/web_bench.js [--build build-web] [--native build] [--out FILE] [--loads 7] [--runs 3]
'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');

const { launchBrowser, gameUrl, waitForState, serveBuild } = require('../../tests/web/browser.js');

const Root = path.resolve(__dirname, '../..');
const DownloadGoalMB = 4;
const FirstFrameGoalS = 3;
const FrameRatioGoal = 2;
const ClockTicks = Number(execFileSync('getconf', ['CLK_TCK'], { encoding: 'utf8' }));

// The walk as tools/bench/frame_bench.cpp defines it, read from there so
// that both sides always walk the same way.
function nativeWalk() {
  const source = fs.readFileSync(path.join(Root, 'tools/bench/frame_bench.cpp'), 'utf8');
  const value = (pattern) => {
    const m = source.match(pattern);
    if (!m) throw new Error(`tools/bench/frame_bench.cpp no longer has ${pattern}`);
    return m[1];
  };
  return {
    seed: value(/BenchSeed = (\d+);/),
    step: String(1 / Number(value(/FrameStep = 1\.0 \/ ([\d.]+);/))),
    frames: Number(value(/WalkFrames = (\d+);/)),
    keys: value(/WalkKeys = "([^"]*)";/),
  };
}

function parseArguments(argv) {
  const options = { build: path.join(Root, 'build-web'), native: path.join(Root, 'build'),
    out: path.join(Root, 'bench/web-latest.txt'), loads: '7', runs: '3' };
  for (let i = 0; i < argv.length; i += 2) {
    const name = argv[i].replace(/^--/, '');
    if (!(name in options) || i + 1 >= argv.length) throw new Error(`unknown or incomplete option ${argv[i]}`);
    options[name] = argv[i + 1];
  }
  // The native tools run in their own run folder.
  options.native = path.resolve(options.native);
  return options;
}

const sorted = (values) => values.slice().sort((a, b) => a - b);
const median = (s) => (s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2);
const percentile = (s, p) => s[Math.min(s.length - 1, Math.floor(p * s.length))];
const loadAverage = () => os.loadavg().map((l) => l.toFixed(2)).join(' ');

// "median 12.345 ms (spread 12.001..13.456, n 9)", as make bench writes it.
function describe(values, unit = 'ms', digits = 3) {
  const s = sorted(values);
  const f = (v) => v.toFixed(digits);
  return `median ${f(median(s))} ${unit} (spread ${f(s[0])}..${f(s[s.length - 1])}, n ${s.length})`;
}

// Each load in a context of its own, so nothing comes from a cache. Returns
// the page's own figures and the files it fetched.
async function loadOnce(browser, url) {
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    const fetched = [];
    page.on('requestfinished', (request) => fetched.push(new URL(request.url()).pathname));
    await page.goto(url, { waitUntil: 'load' });
    await page.waitForFunction(() => window.thornwick.firstFrameMs !== null || window.thornwick.state === 'failed',
      { timeout: 120000, polling: 20 });
    const figures = await page.evaluate(() => ({ state: window.thornwick.state, error: window.thornwick.error,
      readyMs: window.thornwick.readyMs, firstFrameMs: window.thornwick.firstFrameMs }));
    if (figures.state === 'failed') throw new Error('the page failed: ' + figures.error);
    return { ...figures, fetched };
  } finally {
    await context.close();
  }
}

function downloadSize(build, fetched) {
  const files = [...new Set(fetched)].map((name) => (name === '/' ? '/index.html' : name));
  const sizes = files.map((name) => {
    const bytes = fs.readFileSync(path.join(build, name));
    return { name: name.slice(1), raw: bytes.length, gzip: zlib.gzipSync(bytes, { level: 9 }).length };
  });
  return sizes.sort((a, b) => b.gzip - a.gzip);
}

// Times every display of the game: the main loop runs in
// requestAnimationFrame callbacks, and a callback in which the game's frame
// count moved on drew a frame. window.thornwickFrames: [start, end, frames]...
function recordFrames() {
  const record = [];
  window.thornwickFrames = record;
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => request((time) => {
    const start = performance.now();
    callback(time);
    const game = window.thornwick && window.thornwick.module;
    const frames = game && game._thornwick_frames ? game._thornwick_frames() : -1;
    if (frames !== (record.length ? record[record.length - 1] : -1)) record.push(start, performance.now(), frames);
  });
}

// Processor time (user and system, in ms) spent so far by a process and
// all its descendants: Chromium draws in a GPU process of its own.
function treeCpuMs(root) {
  const parents = new Map();
  const ticks = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parents.set(Number(entry), Number(fields[1]));
      ticks.set(Number(entry), Number(fields[11]) + Number(fields[12]));
    } catch (error) {
      // gone meanwhile
    }
  }
  let total = 0;
  for (const [pid, own] of ticks) {
    for (let p = pid; p > 1; p = parents.get(p)) {
      if (p === root) {
        total += own;
        break;
      }
    }
  }
  return total * 1000 / ClockTicks;
}

// One walk in the browser: the time between one drawn frame and the next
// (what a player sees), and the main thread's share of it; the loading
// screen and the world build are left out, as the native walk leaves them.
async function browserWalk(browser, base, walk) {
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    await page.evaluateOnNewDocument(recordFrames);
    await page.goto(gameUrl(base, { seed: walk.seed, dt: walk.step, frames: walk.frames + 1, keys: walk.keys,
      size: '800x600', autostart: true }), { waitUntil: 'load' });
    const cpuBefore = treeCpuMs(browser.process().pid);
    const state = await waitForState(page, ['done', 'failed', 'ended'], 900000);
    const cpuMs = treeCpuMs(browser.process().pid) - cpuBefore;
    if (state !== 'done') throw new Error(`the walk ${state}: ${await page.evaluate(() => window.thornwick.error)}`);
    const record = await page.evaluate(() => window.thornwickFrames);
    const renderer = await page.evaluate(() => {
      const gl = document.createElement('canvas').getContext('webgl2');
      const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
      return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : 'unknown';
    });
    const periods = [];
    const mainThread = [];
    // Frame 1 is the loading screen's, frame 2 the world build's.
    for (let i = 0; i + 2 < record.length; i += 3) {
      if (record[i + 2] < 3) continue;
      mainThread.push(record[i + 1] - record[i]);
      if (i >= 3 && record[i - 1] >= 3) periods.push(record[i] - record[i - 3]);
    }
    // Over the whole page: loading and the world build too.
    return { periods, mainThread, renderer, cpuPerFrame: cpuMs / (walk.frames + 1) };
  } finally {
    await context.close();
  }
}

// One walk natively: thornwick-bench's own, in a fresh process; per frame
// the wall time, then the processor time of all its threads.
function nativeWalkRun(native) {
  const output = execFileSync(path.join(native, 'thornwick-bench'), ['--child', 'frames-plain'],
    { cwd: path.join(native, 'run'), env: { ...process.env, SDL_AUDIODRIVER: 'dummy' }, encoding: 'utf8',
      maxBuffer: 16 << 20 });
  const lines = output.trim().split('\n');
  const frames = lines.slice(1, -1).map((line) => line.split(' ').map(Number));
  return { renderer: lines[0], wall: frames.map((f) => f[0]), cpu: frames.map((f) => f[1]) };
}

function cpuModel() {
  const info = fs.readFileSync('/proc/cpuinfo', 'utf8').match(/^model name\s*:\s*(.*)$/m);
  return `${info ? info[1] : 'unknown'}, ${os.cpus().length} hardware threads`;
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const walk = nativeWalk();
  if (!fs.existsSync(path.join(options.native, 'thornwick-bench'))) {
    throw new Error(`no thornwick-bench in ${options.native}: make build`);
  }
  const lines = [];
  const say = (line) => {
    lines.push(line);
    console.log(line);
  };
  const { server, url } = await serveBuild(options.build);
  const browser = await launchBrowser();
  try {
    say(`browser: ${await browser.version()} headless, on 127.0.0.1`);
    say(`CPU: ${cpuModel()}`);
    say(`load average at the start: ${loadAverage()}`);

    const loads = [];
    for (let i = 0; i < Number(options.loads); ++i) {
      loads.push(await loadOnce(browser, gameUrl(url, { seed: walk.seed, autostart: true })));
    }
    const download = downloadSize(options.build, loads[0].fetched);
    const gzip = download.reduce((sum, file) => sum + file.gzip, 0);
    const raw = download.reduce((sum, file) => sum + file.raw, 0);
    const mb = (bytes) => (bytes / 1e6).toFixed(3) + ' MB';
    say(`download, ${download.length} files gzip -9: ${mb(gzip)} (goal at most ${DownloadGoalMB} MB; ` +
      `${mb(raw)} uncompressed)`);
    for (const file of download) say(`  ${file.name}: ${mb(file.gzip)} (${mb(file.raw)} uncompressed)`);
    const firstFrames = loads.map((load) => load.firstFrameMs / 1000);
    say(`page load to first running frame (seed ${walk.seed}, no click, nothing cached): ` +
      `${describe(firstFrames, 's')} (goal at most ${FirstFrameGoalS} s)`);
    say(`  page load to program and content ready: ${describe(loads.map((load) => load.readyMs / 1000), 's')}`);

    const browserRuns = [];
    const nativeRuns = [];
    for (let run = 0; run < Number(options.runs); ++run) {
      nativeRuns.push(nativeWalkRun(options.native));
      browserRuns.push(await browserWalk(browser, url, walk));
    }
    const all = (runs, key) => runs.flatMap((run) => run[key]);
    const runMedians = (runs, key) => sorted(runs.map((run) => median(sorted(run[key]))));
    const frameLine = (values, runs, key) => {
      const s = sorted(values);
      const medians = runMedians(runs, key);
      return `median ${median(s).toFixed(3)} ms, p99 ${percentile(s, 0.99).toFixed(3)} ms (n ${s.length}) ` +
        `(run medians ${medians[0].toFixed(3)}..${medians[medians.length - 1].toFixed(3)} ms)`;
    };
    const browserMedian = median(sorted(all(browserRuns, 'periods')));
    const nativeMedian = median(sorted(all(nativeRuns, 'wall')));
    say(`scripted walk at 800x600 (seed ${walk.seed}, ${walk.frames} frames of 1/30 s x ${options.runs} runs each, ` +
      'interleaved):');
    say(`  browser, ${browserRuns[0].renderer}: ${frameLine(all(browserRuns, 'periods'), browserRuns, 'periods')}`);
    say(`    main thread per frame: ${frameLine(all(browserRuns, 'mainThread'), browserRuns, 'mainThread')}`);
    say(`  native, ${nativeRuns[0].renderer}: ${frameLine(all(nativeRuns, 'wall'), nativeRuns, 'wall')}`);
    say(`    processor time per frame, all threads: ${frameLine(all(nativeRuns, 'cpu'), nativeRuns, 'cpu')}`);
    const mean = (values) => values.reduce((sum, v) => sum + v, 0) / values.length;
    const browserCpu = mean(browserRuns.map((run) => run.cpuPerFrame));
    const nativeCpu = mean(all(nativeRuns, 'cpu'));
    say(`  browser / native: ${(browserMedian / nativeMedian).toFixed(2)}x (goal within ${FrameRatioGoal}x)`);
    say(`  processor time per frame, mean: browser ${browserCpu.toFixed(3)} ms (all of Chromium's processes, ` +
      `loading and world build included), native ${nativeCpu.toFixed(3)} ms: ${(browserCpu / nativeCpu).toFixed(2)}x`);
    say(`load average at the end: ${loadAverage()}`);
  } finally {
    await browser.close();
    server.close();
  }
  fs.mkdirSync(path.dirname(path.resolve(options.out)), { recursive: true });
  fs.writeFileSync(options.out, lines.join('\n') + '\n');
}

main().catch((error) => {
  console.error('bench: ' + (error.stack || error.message));
  process.exitCode = 1;
});
