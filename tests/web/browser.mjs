// SPDX-License-Identifier: MIT
// Opens korvel.html from disk in Debian's headless Chromium, with every
// request that is not for a file, data or blob refused and recorded, and
// every console error recorded. Shared by the page's tests and benchmark.
import { existsSync } from 'node:fs';
import { createRequire } from 'node:module';
import { pathToFileURL } from 'node:url';

export const chromiumpath = '/usr/bin/chromium';

// playwright-core from `npm ci` in the source tree, or null.
export function playwright() {
  try {
    return createRequire(import.meta.url)('playwright-core');
  } catch {
    return null;
  }
}

// What is missing to run the page here, or null.
export function missing() {
  if (playwright() === null)
    return 'playwright-core (npm ci in the source tree)';
  if (!existsSync(chromiumpath))
    return `${chromiumpath} (Debian package chromium)`;
  return null;
}

export async function openpage(page, executablePath = chromiumpath) {
  const browser = await playwright().chromium.launch({
    executablePath,
    // Without these Chromium calls home at start, which a closed network
    // refuses noisily.
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  const context = await browser.newContext({ acceptDownloads: true });
  const requests = [];
  const errors = [];
  await context.route('**/*', (route) => {
    const url = route.request().url();
    if (/^(file|data|blob):/.test(url))
      return route.continue();
    requests.push(url);
    return route.abort();
  });
  const tab = await context.newPage();
  tab.on('console', (message) => {
    if (message.type() === 'error')
      errors.push(message.text());
  });
  tab.on('pageerror', (error) => errors.push(String(error)));
  await tab.goto(pathToFileURL(page).href);
  return { browser, tab, requests, errors };
}

// Chooses files in the page's picker and waits until korvel has run on
// each; returns their results in the order shown.
export async function choose(tab, files) {
  const before = await tab.locator('[data-korvel-file]').count();
  await tab.setInputFiles('#files', files);
  const cards = tab.locator('[data-korvel-file]');
  await tab.waitForFunction((count) =>
    document.querySelectorAll('[data-korvel-status]').length >= count, before + files.length);
  return cards.evaluateAll((all, from) => all.slice(from).map((card) => ({
    file: card.dataset.korvelFile,
    status: Number(card.dataset.korvelStatus),
    text: card.querySelector('pre').textContent,
  })), before);
}
