// Figures of the browser build: the page's size (each file gzipped, as a server would send it),
// the time from the click on Run to the first frame, and the frame time on SwiftShader (Chromium's
// software WebGL, for reference only) at 640x360, by part, with the music held at a time in each.
// Usage: VM_WEB_PAGE=out/web node bench/web/web_bench.js [--loads N] [--frames N]
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');
const t = require('../../tests/web/support');

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const at = args.indexOf(name);
  return at >= 0 ? Number(args[at + 1]) : fallback;
};
const LOADS = option('--loads', 3);
const FRAMES = option('--frames', 20);
// A time inside each part (seconds of music) and the filter running there.
const PARTS = [[1, 20, 'plain'], [2, 32, 'glow'], [3, 48, 'glowing edges'], [4, 66, 'stacked blur'],
               [5, 96, 'glow'], [6, 118, 'plain']];

const median = (values) => {
  const s = [...values].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};

function pageSize(folder) {
  let raw = 0, gzipped = 0;
  const rows = [];
  for (const name of fs.readdirSync(folder).sort()) {
    const bytes = fs.readFileSync(path.join(folder, name));
    const packed = zlib.gzipSync(bytes, {level: 9}).length;
    raw += bytes.length;
    gzipped += packed;
    rows.push(`  ${name.padEnd(12)} ${(bytes.length / 1024).toFixed(0).padStart(6)} KiB, ` +
              `gzipped ${(packed / 1024).toFixed(0).padStart(6)} KiB`);
  }
  return {raw, gzipped, rows};
}

async function main() {
  const size = pageSize(process.env.VM_WEB_PAGE);
  console.log('page size');
  size.rows.forEach((row) => console.log(row));
  console.log(`  total        ${(size.raw / 1024).toFixed(0).padStart(6)} KiB, gzipped ` +
              `${(size.gzipped / 1024).toFixed(0).padStart(6)} KiB`);

  const starts = [];
  for (let i = 0; i < LOADS; ++i) {
    const {page, close} = await t.openPage();
    try {
      await t.runFromPanel(page);
      await page.waitForFunction(() => vessmark.firstFrameAt !== null, {timeout: 120000});
      starts.push(await page.evaluate(() => vessmark.firstFrameAt - vessmark.clickedAt));
      if (i === LOADS - 1) await frameTimes(page);
    } finally {
      await close();
    }
  }
  console.log(`click on Run to first frame (${LOADS} loads): median ${median(starts).toFixed(0)} ms ` +
              `(${starts.map((s) => s.toFixed(0)).join(', ')})`);
}

// Frame intervals with the music held in each part (the browser paces frames; SwiftShader is
// software, so these say little about a real GPU).
async function frameTimes(page) {
  console.log(`frame time on SwiftShader, 640x360, no multisampling (median of ${FRAMES} frames)`);
  for (const [part, seconds, filter] of PARTS) {
    const intervals = await page.evaluate(async (t, n) => {
      vessmark.seek(t);
      vessmark.pause(true);
      await vessmark.grab();  // settled at the time
      const from = vessmark.frameTimes.length;
      while (vessmark.frameTimes.length < from + n + 1) await new Promise((r) => setTimeout(r, 20));
      const times = vessmark.frameTimes.slice(from, from + n + 1);
      return times.slice(1).map((x, i) => x - times[i]);
    }, seconds, FRAMES);
    console.log(`  part ${part} at ${seconds} s (${filter}): ${median(intervals).toFixed(1)} ms`);
  }
}

main().catch((e) => {
  console.error(e.stack || e);
  process.exitCode = 1;
});
