// SPDX-License-Identifier: MIT
// Benchmark of korvel.html in headless Chromium: the time from choosing a
// 255 x 255 picture to its text and preview on the page, as a 1-bit BMP
// and as a PNG that the page first makes 1-bit, and from dropping 200 BMPs
// of 128 x 64 at once to all their results, with the page's longest task
// meanwhile, each time on a new page. The 200 are made in the page and
// timed there, from the drop to the last result, so that the time is the
// page's own, not the driver's in handing over 200 files.
// Prints the median and the range over RUNS choices of each (default 20;
// a fifth of them for the 200), after one to warm up. Given another page
// (an older build, say), measures both, alternately, side by side.
//   node bench/page.mjs build-web/korvel.html [RUNS] [other.html]
// Needs `npm ci` and Debian's chromium; not a test, as times vary.
import { performance } from 'node:perf_hooks';
import { readFileSync } from 'node:fs';
import { openpage } from '../tests/web/browser.mjs';

const runs = Number(process.argv[3] || 20);
const pages = [process.argv[2], ...(process.argv[4] ? [process.argv[4]] : [])];
const median = (times) => times.sort((a, b) => a - b)[times.length >> 1];
const range = (times, digits) => `median ${median(times).toFixed(digits)} ms ` +
  `(${times[0].toFixed(digits)} to ${times[times.length - 1].toFixed(digits)} ms, ${times.length} runs)`;

// 255 x 255 from a fixed pattern, made in the page: a BMP as paint
// programs write it, and a PNG of the same pixels.
async function makepictures(tab) {
  return tab.evaluate(async () => {
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
}

// One choice of a 255 x 255 picture on an open page, in milliseconds.
async function chooseone(tab, kind, pictures, run) {
  const name = `bild${run}.${kind}`;
  const start = performance.now();
  await tab.setInputFiles('#files', { name, mimeType: `image/${kind}`, buffer: Buffer.from(pictures[kind]) });
  await tab.waitForSelector(`[data-korvel-file="${name}"][data-korvel-status="0"] canvas`);
  return performance.now() - start;
}

// 200 BMPs dropped on a new page: the time to their last result and the
// longest task meanwhile, in the page's own clock.
const logo = Array.from(readFileSync(new URL('../examples/logo.bmp', import.meta.url)));
async function dropmany(file) {
  const fresh = await openpage(file);
  const [time, longest] = await fresh.tab.evaluate(async (logo) => {
    const data = new DataTransfer();
    for (let i = 0; i < 200; i++)
      data.items.add(new File([new Uint8Array(logo)], `bild${i}.bmp`, { type: 'image/bmp' }));
    let longest = 0;
    new PerformanceObserver((list) => {
      longest = Math.max(longest, ...list.getEntries().map((entry) => entry.duration));
    }).observe({ type: 'longtask' });
    await new Promise((done) => setTimeout(done, 200));
    const done = new Promise((resolve) => {
      new MutationObserver(() => {
        if (document.querySelectorAll('[data-korvel-status="0"]').length === 200)
          resolve(performance.now());
      }).observe(document.getElementById('results'), { subtree: true, attributes: true, attributeFilter: ['data-korvel-status'] });
    });
    const start = performance.now();
    document.body.dispatchEvent(new DragEvent('drop', { bubbles: true, dataTransfer: data }));
    const end = await done;
    await new Promise((resolve) => setTimeout(resolve, 100));
    return [end - start, longest];
  }, logo);
  await fresh.browser.close();
  return { time, longest };
}

const open = await Promise.all(pages.map((file) => openpage(file)));
const pictures = await makepictures(open[0].tab);
for (const kind of ['bmp', 'png']) {
  const times = pages.map(() => []);
  for (let run = 0; run <= runs; run++)
    for (const [i, { tab }] of open.entries()) {
      const time = await chooseone(tab, kind, pictures, run);
      if (run > 0)
        times[i].push(time);
    }
  pages.forEach((file, i) => console.log(`${file}: 255 x 255 ${kind.toUpperCase()}: ${range(times[i], 1)}`));
}
await Promise.all(open.map((page) => page.browser.close()));

const many = pages.map(() => ({ times: [], longest: [] }));
for (let run = 0; run <= Math.max(1, Math.round(runs / 5)); run++)
  for (const [i, file] of pages.entries()) {
    const { time, longest } = await dropmany(file);
    if (run > 0) {
      many[i].times.push(time);
      many[i].longest.push(longest);
    }
  }
pages.forEach((file, i) => console.log(`${file}: 200 BMPs of 128 x 64: ${range(many[i].times, 0)}; ` +
                                       `longest task ${Math.max(...many[i].longest).toFixed(0)} ms`));
