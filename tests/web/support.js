// What the browser tests share: a static server for the page, headless chromium through
// puppeteer-core, the page's console watched for errors, the setup panel driven, page messages
// answered, frames grabbed and compared, and native runs of the capture tool for reference.
'use strict';
const assert = require('node:assert/strict');
const {execFileSync, spawnSync} = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

// Paths from the environment CTest gives (tests/web/CMakeLists.txt).
const env = (name) => {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set (run through ctest)`);
  return value;
};
const PAGE_DIR = () => env('VM_WEB_PAGE');
const PRODUCTION = () => env('VM_WEB_PRODUCTION');
const CAPTURE = () => env('VM_CAPTURE');
const FXBAKE = () => env('VM_FXBAKE');
const CHROMIUM = () => process.env.VM_CHROMIUM || '/usr/bin/chromium';

const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
               '.data': 'application/octet-stream'};

// Serves a folder on a free local port; resolves to {url, close}.
function serve(folder) {
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/+/, '');
    const file = path.join(folder, name || 'index.html');
    if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      res.writeHead(404).end();
      return;
    }
    res.writeHead(200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise((done) => server.close(done)),
  })));
}

// Chromium's messages that say nothing about the page: its software renderer's notes.
const BROWSER_NOISE = [/GPU stall due to ReadPixels/, /Automatic fallback to software WebGL/];

// Opens the page in headless chromium; console errors and page exceptions are collected.
async function openPage({width = 960, height = 540} = {}) {
  const server = await serve(PAGE_DIR());
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM(),
    args: ['--headless', '--no-sandbox', '--enable-unsafe-swiftshader',
           '--autoplay-policy=no-user-gesture-required', '--mute-audio'],
  });
  const page = await browser.newPage();
  await page.setViewport({width, height});
  const problems = [];
  page.on('console', (m) => {
    if (m.type() === 'error' && !BROWSER_NOISE.some((re) => re.test(m.text())))
      problems.push(`console error: ${m.text()}`);
  });
  page.on('pageerror', (e) => problems.push(`page exception: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()}`));
  await page.goto(server.url);
  const close = async () => {
    await browser.close();
    await server.close();
  };
  return {page, problems, close};
}

// Waits for the setup panel, chooses by visible text, and presses Run.
async function runFromPanel(page, {resolution = '640x 360', multisample = 'No Multisampling',
                                  aspect = '16:9', fullscreen = false} = {}) {
  await page.waitForSelector('#panel select', {timeout: 60000});
  await page.evaluate((choices) => {
    for (const [id, text] of choices) {
      const select = document.querySelector(`#panel select[data-id="${id}"]`);
      const index = [...select.options].findIndex((o) => o.text.replace(/\u00a0/g, ' ').includes(text));
      if (index < 0) throw new Error(`no "${text}" in list ${id}`);
      select.selectedIndex = index;
    }
  }, [[1003, resolution], [1017, multisample], [1016, aspect]]);
  await page.evaluate((on) => {
    document.querySelector('#panel [data-id="1001"] input').checked = on;
  }, fullscreen);
  await page.click('#panel button[data-id="1"]');
}

// Presses OK on every page message as it comes, until stopped.
function answerMessages(page) {
  const timer = setInterval(() => {
    page.evaluate(() => document.querySelectorAll('#messages button').forEach((b) => b.click()))
      .catch(() => {});
  }, 100);
  return () => clearInterval(timer);
}

// Holds the music at a time (every stream paused there) and grabs a frame drawn at it.
async function frameAt(page, seconds) {
  await page.evaluate((t) => {
    vessmark.pause(true);  // first: a seek while playing would move on before the pause
    vessmark.seek(t);
  }, seconds);
  // The frame being drawn when the music stopped may be of the time before: take the one after.
  await page.evaluate(() => vessmark.grab());
  const frame = await page.evaluate(async () => {
    const f = await vessmark.grab();
    return {width: f.width, height: f.height, rgba: Array.from(f.rgba),
            seconds: vessmark.musicSeconds()};
  });
  frame.rgba = Uint8Array.from(frame.rgba);
  return frame;
}

// Decodes a PNG into RGBA in the page (the browser has the decoder).
async function decodePng(page, file) {
  const data = fs.readFileSync(file).toString('base64');
  const out = await page.evaluate(async (b64) => {
    const blob = await (await fetch(`data:image/png;base64,${b64}`)).blob();
    const bitmap = await createImageBitmap(blob);
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const g = canvas.getContext('2d');
    g.drawImage(bitmap, 0, 0);
    const image = g.getImageData(0, 0, bitmap.width, bitmap.height);
    return {width: image.width, height: image.height, rgba: Array.from(image.data)};
  }, data);
  out.rgba = Uint8Array.from(out.rgba);
  return out;
}

// How far two RGBA pictures differ: mean absolute difference per colour channel, and the share of
// pixels where some channel differs by more than `far`.
function difference(a, b, far = 48) {
  assert.equal(a.width, b.width, 'widths differ');
  assert.equal(a.height, b.height, 'heights differ');
  let sum = 0, farPixels = 0;
  for (let i = 0; i < a.rgba.length; i += 4) {
    let worst = 0;
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(a.rgba[i + c] - b.rgba[i + c]);
      sum += d;
      worst = Math.max(worst, d);
    }
    if (worst > far) ++farPixels;
  }
  const pixels = a.width * a.height;
  return {mean: sum / (pixels * 3), farShare: farPixels / pixels};
}

// A scratch copy of the production, removed at exit.
function productionCopy() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vessmark-web-'));
  fs.cpSync(PRODUCTION(), dir, {recursive: true});
  process.on('exit', () => fs.rmSync(dir, {recursive: true, force: true}));
  return dir;
}

// Runs the native capture tool headless in a production folder; returns {status, stderr, pngs}.
function captureNative(dataDir, args) {
  const pngDir = fs.mkdtempSync(path.join(os.tmpdir(), 'vessmark-frames-'));
  process.on('exit', () => fs.rmSync(pngDir, {recursive: true, force: true}));
  const run = spawnSync(CAPTURE(), ['--data', dataDir, '--quiet', '--png-dir', pngDir, ...args], {
    encoding: 'utf8', timeout: 240000,
    env: {...process.env, SDL_AUDIODRIVER: 'dummy', DISPLAY: ''},
  });
  const pngs = fs.existsSync(pngDir) ? fs.readdirSync(pngDir).sort().map((f) => path.join(pngDir, f))
                                     : [];
  return {status: run.status, stderr: run.stderr || '', pngs};
}

// Bakes the effects of a production folder natively.
function bake(dataDir) {
  execFileSync(FXBAKE(), [dataDir], {stdio: 'pipe'});
}

// Runs the named cases in order; the process fails on the first failure, with its message.
async function runCases(cases) {
  for (const [name, body] of cases) {
    const started = Date.now();
    try {
      await body();
      console.log(`ok   ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
    } catch (e) {
      console.log(`FAIL ${name}: ${e && e.stack ? e.stack : e}`);
      process.exitCode = 1;
      return;
    }
  }
}

module.exports = {openPage, runFromPanel, answerMessages, frameAt, decodePng, difference,
                  productionCopy, captureNative, bake, runCases};
