// Faults in the production give the same boxes in the page (as page messages) as natively: a
// broken effect (baked from the same broken text) and a missing track file. The native boxes come
// from the capture tool run headless in a copy of the production with the same fault.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const t = require('./support');

const BROKEN_EFFECT = 'DefaultFilters/Guassian.fx';
const MISSING_TRACK = 's/synced_0_fp.track';

// The boxes of a native run, in order, as "[caption] text" (text as far as the next box or line
// that is not part of it: box texts here are one line).
function nativeBoxes(stderr) {
  // Captions may hold one bracketed name: "[Shader Compilation Error In [x.fx]] ...".
  return distinct(stderr.split('\n').filter((line) => /^\[(?:[^[\]]|\[[^\]]*\])*\] /.test(line)));
}

// Each box once, in the order first shown: a box repeated for every frame that meets the fault
// comes as often as the run is long, and the two runs are not as long.
function distinct(boxes) {
  return [...new Set(boxes)];
}

// Runs the page with a fault put into its files before Run; returns its boxes the same way.
async function pageBoxes(fault) {
  const {page, problems, close} = await t.openPage();
  try {
    await page.waitForSelector('#panel select', {timeout: 60000});
    await page.evaluate(fault);
    const stop = t.answerMessages(page);
    await t.runFromPanel(page);
    // Either the demo gives up, or it plays: then it is sent to its end.
    await page.waitForFunction(() => vessmark.exitCode !== null || vessmark.firstFrameAt !== null,
                               {timeout: 120000});
    await page.evaluate(() => vessmark.exitCode === null && vessmark.seek(122.9));
    await page.waitForFunction(() => vessmark.exitCode !== null, {timeout: 60000});
    stop();
    const messages = await page.evaluate(() => vessmark.messages);
    const unexpected = problems.filter((p) => !/^console error/.test(p));
    assert.deepEqual(unexpected, [], 'the page itself failed');
    return distinct(messages.map((m) => `[${m.caption}] ${m.text.replace(/\n$/, '')}`.split('\n')[0]));
  } finally {
    await close();
  }
}

function nativeRun(prepare) {
  const dir = t.productionCopy();
  prepare(dir);
  const run = t.captureNative(dir, ['--size', '640x360', '--fps', '2', '--end', '0.5']);
  return nativeBoxes(run.stderr);
}

t.runCases([
  ['a broken effect gives the native boxes', async () => {
    const broken = 'float4 main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(nowhere, uv) }\n';
    const native = nativeRun((dir) => fs.writeFileSync(path.join(dir, BROKEN_EFFECT), broken));
    assert.ok(native.length > 0, 'natively the broken effect gave no box');
    // The page's effect is baked from the same text by the same baker.
    const dir = t.productionCopy();
    fs.writeFileSync(path.join(dir, BROKEN_EFFECT), broken);
    t.bake(dir);
    const baked = fs.readFileSync(path.join(dir, BROKEN_EFFECT + '.baked')).toString('base64');
    const web = await pageBoxes(new Function(
        `FS.writeFile('/production/${BROKEN_EFFECT}.baked', ` +
        `Uint8Array.from(atob('${baked}'), (c) => c.charCodeAt(0)));`));
    assert.deepEqual(web, native);
  }],
  ['a missing track file gives the native boxes', async () => {
    const native = nativeRun((dir) => fs.rmSync(path.join(dir, MISSING_TRACK)));
    assert.ok(native.length > 0, 'natively the missing track gave no box');
    const web = await pageBoxes(new Function(`FS.unlink('/production/${MISSING_TRACK}');`));
    assert.deepEqual(web, native);
  }],
]);
