#!/usr/bin/env node
// Renders the README's scenes in the browser build: the shots of
// scripts/make-screenshots (seed, step, frame count, place, keys), silent as
// SDL_AUDIODRIVER=none makes the capture tool, at 800 x 600. With --native,
// compares each with the capture tool's PNG of the same name and fails when
// more than 2% of the pixels differ by more than 10% in a channel.
//   node tests/web/scenes.js [--build build-web] [--out DIR] [--native DIR] [--only NAME]
'use strict';

const fs = require('fs');
const path = require('path');

const { launchBrowser, gameUrl, openGame, waitForState, canvasPng, serveBuild } = require('./browser.js');
const { decodePng, compareImages } = require('./png.js');

const Root = path.resolve(__dirname, '../..');
const MostDiffering = 0.02;
const Tolerance = 0.1;

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
  const options = { build: path.join(Root, 'build-web'), out: path.join(Root, 'build-web/scenes'), native: null,
    only: null };
  for (let i = 0; i < argv.length; i += 2) {
    const name = argv[i].replace(/^--/, '');
    if (!(name in options) || i + 1 >= argv.length) throw new Error(`unknown or incomplete option ${argv[i]}`);
    options[name] = argv[i + 1];
  }
  return options;
}

async function renderScene(browser, base, scene) {
  const url = gameUrl(base, { seed: scene.seed, dt: scene.dt, frames: scene.frames, place: scene.place,
    keys: scene.keys, size: '800x600', silent: true, autostart: true });
  const { page, messages } = await openGame(browser, url);
  try {
    const state = await waitForState(page, ['done', 'failed', 'ended'], 600000);
    const facts = await page.evaluate(() => ({ firstFrameMs: window.thornwick.firstFrameMs,
      error: window.thornwick.error }));
    if (state !== 'done') throw new Error(`${scene.name}: the game ${state}: ${facts.error}`);
    return { png: await canvasPng(page), firstFrameMs: facts.firstFrameMs, messages };
  } finally {
    await page.close();
  }
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const scenes = readScenes().filter((scene) => !options.only || scene.name === options.only);
  fs.mkdirSync(options.out, { recursive: true });
  const { server, url } = await serveBuild(options.build);
  const browser = await launchBrowser();
  let failed = false;
  try {
    for (const scene of scenes) {
      const started = Date.now();
      const result = await renderScene(browser, url, scene);
      const file = path.join(options.out, scene.name + '.png');
      fs.writeFileSync(file, result.png);
      const errors = result.messages.filter((m) => m.type === 'error' || m.type === 'pageerror');
      let line = `${scene.name}: ${file} (first frame ${Math.round(result.firstFrameMs)} ms, ` +
        `${((Date.now() - started) / 1000).toFixed(1)} s)`;
      if (options.native) {
        const native = decodePng(fs.readFileSync(path.join(options.native, scene.name + '.png')));
        const { differingShare, largest } = compareImages(decodePng(result.png), native, Tolerance);
        line += `: ${(differingShare * 100).toFixed(2)}% of pixels differ by more than ` +
          `${Tolerance * 100}% (largest ${largest})`;
        if (differingShare > MostDiffering) failed = true;
      }
      for (const error of errors) line += `\n  console ${error.type}: ${error.text}`;
      if (errors.length) failed = true;
      console.log(line);
    }
  } finally {
    await browser.close();
    server.close();
  }
  process.exitCode = failed ? 1 : 0;
}

main().catch((error) => {
  console.error('scenes: ' + error.message);
  process.exitCode = 1;
});
