// SPDX-License-Identifier: MIT
// Benchmark of korvel.html in headless Chromium: the time from choosing a
// 255 x 255 picture to its text and preview on the page, as a 1-bit BMP
// and as a PNG that the page first makes 1-bit, and from choosing 200 BMPs
// of 128 x 64 at once to all their results, each time on a new page.
// Prints the median and the range over RUNS choices of each (default 20;
// a fifth of them for the 200), after one to warm up.
//   node bench/page.mjs build-web/korvel.html [RUNS]
// Needs `npm ci` and Debian's chromium; not a test, as times vary.
import { performance } from 'node:perf_hooks';
import { readFileSync } from 'node:fs';
import { openpage } from '../tests/web/browser.mjs';

const runs = Number(process.argv[3] || 20);
const page = await openpage(process.argv[2]);

// 255 x 255 from a fixed pattern, made in the page: a BMP as paint
// programs write it, and a PNG of the same pixels.
const pictures = await page.tab.evaluate(async () => {
  const side = 255, stride = 32, offset = 62;
  const bmp = new Uint8Array(offset + stride * side);
  const view = new DataView(bmp.buffer);
  bmp.set([0x42, 0x4D]);
  view.setUint32(2, bmp.length, true);
  view.setUint32(10, offset, true);
  view.setUint32(14, 40, true);
  view.setInt32(18, side, true);
  view.setInt32(22, side, true);
  view.setUint16(26, 1, true);
  view.setUint16(28, 1, true);
  bmp.set([0, 0, 0, 0, 255, 255, 255, 0], 54);
  const canvas = document.createElement('canvas');
  canvas.width = canvas.height = side;
  const context = canvas.getContext('2d');
  for (let i = offset; i < bmp.length; i++)
    bmp[i] = Math.imul(i, 2654435761) >>> 13 & 255;
  for (let y = 0; y < side; y++)
    for (let x = 0; x < side; x++) {
      const on = bmp[offset + (side - 1 - y) * stride + (x >> 3)] & (0x80 >> (x & 7));
      context.fillStyle = on ? '#fff' : '#000';
      context.fillRect(x, y, 1, 1);
    }
  const png = new Uint8Array(await (await new Promise((done) => canvas.toBlob(done))).arrayBuffer());
  return { bmp: Array.from(bmp), png: Array.from(png) };
});

const median = (times) => times.sort((a, b) => a - b)[times.length >> 1];
for (const [kind, mimeType] of [['bmp', 'image/bmp'], ['png', 'image/png']]) {
  const times = [];
  for (let run = 0; run <= runs; run++) {
    const name = `bild${run}.${kind}`;
    const start = performance.now();
    await page.tab.setInputFiles('#files', { name, mimeType, buffer: Buffer.from(pictures[kind]) });
    await page.tab.waitForSelector(`[data-korvel-file="${name}"][data-korvel-status="0"] canvas`);
    if (run > 0)
      times.push(performance.now() - start);
  }
  console.log(`255 x 255 ${kind.toUpperCase()}: median ${median(times).toFixed(1)} ms ` +
              `(${times[0].toFixed(1)} to ${times[times.length - 1].toFixed(1)} ms, ${runs} runs)`);
}
await page.browser.close();

// korvel's example picture, 128 x 64, under 200 names.
const logo = readFileSync(new URL('../examples/logo.bmp', import.meta.url));
const many = Array.from({ length: 200 }, (_, i) => ({ name: `bild${i}.bmp`, mimeType: 'image/bmp', buffer: logo }));
const times = [];
for (let run = 0; run <= Math.max(1, Math.round(runs / 5)); run++) {
  const fresh = await openpage(process.argv[2]);
  const start = performance.now();
  await fresh.tab.setInputFiles('#files', many);
  await fresh.tab.waitForFunction(() => document.querySelectorAll('[data-korvel-status="0"]').length === 200,
                                  null, { polling: 10 });
  if (run > 0)
    times.push(performance.now() - start);
  await fresh.browser.close();
}
console.log(`200 BMPs of 128 x 64: median ${median(times).toFixed(0)} ms ` +
            `(${times[0].toFixed(0)} to ${times[times.length - 1].toFixed(0)} ms, ${times.length} runs)`);
