// SPDX-License-Identifier: MIT
// Remakes doc/korvel-im-browser.png, the README's picture of the page:
//   node doc/screenshot.mjs build-web/korvel.html
// (needs `npm ci` and Debian's chromium; ImageMagick's convert keeps it small).
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { choose, openpage } from '../tests/web/browser.mjs';

const logo = fileURLToPath(new URL('../examples/logo.bmp', import.meta.url));
const output = fileURLToPath(new URL('korvel-im-browser.png', import.meta.url));
const page = await openpage(process.argv[2]);
await page.tab.setViewportSize({ width: 900, height: 760 });
await choose(page.tab, [logo]);
await page.tab.screenshot({ path: output });
await page.browser.close();
execFileSync('convert', [output, '+dither', '-colors', '24', '-strip', output]);
