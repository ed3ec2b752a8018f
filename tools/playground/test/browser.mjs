// Debian's Chromium, headless, driven by Playwright: no browser download, no network, a fresh
// profile each time.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

export const root = resolve(fileURLToPath(new URL('../../..', import.meta.url)));
export const pagePath = resolve(process.env.VORN_PLAYGROUND_HTML || join(root, 'build/playground/VornLoconaut-playground.html'));
export const linuxBuild = resolve(process.env.VORN_LINUX_BUILD || join(root, 'build/linux'));

const ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'vorn-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.VORN_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ARGS,
    viewport: { width: 1280, height: 900 },
  });
  return {
    context,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Opens the page from disk and waits for the plug-in's first report. Every request that is not to
// the file itself or to the page's own blob and data addresses is recorded, and so is every error.
export async function openPage(context) {
  const page = await context.newPage();
  // Game time follows the clock, and a loaded machine draws fewer frames.
  page.setDefaultTimeout(90000);
  const requests = [];
  const errors = [];
  page.on('request', (request) => {
    if (!/^(blob|data):/.test(request.url()) && request.url() !== pathToFileURL(pagePath).href) requests.push(request.url());
  });
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  // Each page starts without an edit kept by an earlier one; a reload keeps what it has. Told by the
  // navigation's own type, not by a mark in sessionStorage, which a reload on a loaded machine at
  // times lost (see reloadKeeping).
  await page.addInitScript(() => {
    if (performance.getEntriesByType('navigation')[0]?.type !== 'reload') localStorage.clear();
  });
  await page.goto(pathToFileURL(pagePath).href);
  await page.waitForFunction(() => window.vornPlayground && window.vornPlayground.reported > 0 &&
    window.vornPlayground.reported === window.vornPlayground.requested);
  return { page, requests, errors };
}

// Reloads a page and waits for its first report, with what the page had stored before. Chromium on
// a loaded machine at times loses what a page stored a second before a reload (4 runs in 40 at a
// load of 10: the reloaded document, and any other tab, found the storage empty, however often it
// was reloaded). Keeping and restoring are the page's part, and the test checks both: what the page
// stored is read back before the reload and, if the browser lost it, put back for the new document.
export async function reloadKeeping(page) {
  const stored = await page.evaluate(() => Object.fromEntries(Object.entries(localStorage)));
  await page.addInitScript((items) => {
    if (localStorage.length === 0) for (const [key, value] of Object.entries(items)) localStorage.setItem(key, value);
  }, stored);
  await page.reload();
  // Polled on a timer, so a page that never draws a frame fails with what it holds instead of a timeout.
  await page.waitForFunction(() => window.vornPlayground?.reported > 0, null, { polling: 100 });
}

// Gives the page an INI as a player opening a file would, and waits for the report on those bytes.
export async function loadIni(page, bytes, name = 'VornLoconaut.ini') {
  const before = await page.evaluate(() => window.vornPlayground.requested);
  await page.setInputFiles('#file', { name, mimeType: 'text/plain', buffer: Buffer.from(bytes) });
  await page.waitForFunction((old) => window.vornPlayground.requested > old &&
    window.vornPlayground.reported === window.vornPlayground.requested, before, { timeout: 60000 });
  return page.evaluate(() => window.vornPlayground.report);
}

// First ink, from navigation on: when the browser has rendered the first frame that holds a
// drawing on any canvas or a picture (an SVG element, which the page's build draws of its first
// chart). A frame's animation callbacks, style, layout and paint run in one task, so a message
// posted in it arrives once that frame is rendered. A drawing made, or a picture put into the page,
// inside a frame's callbacks shows in that frame; one made elsewhere in the next (a picture the
// parser puts in is seen at the end of the parser's task, before any frame). Measured this way on
// the page and on a bare page with one canvas, each in a browser of its own, so the two compare.
// The first drawing on a canvas is noted too (vornCanvasInk), picture or not.
function recordFirstInk() {
  const channel = new MessageChannel();
  let inFrame = false;
  let rendered = null;
  channel.port1.onmessage = () => {
    inFrame = false;
    if (rendered) {
      rendered();
      rendered = null;
    }
  };
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => request((time) => {
    if (!inFrame) {
      inFrame = true;
      channel.port2.postMessage(null);
    }
    callback(time);
  });
  const sectionOf = (element) => element.closest?.('section')?.id || null;
  const ink = (what, element) => {
    if (window.vornInk !== undefined) return;
    window.vornInk = { what, section: sectionOf(element) };
    const done = () => {
      window.vornInk.ms = performance.now();
    };
    if (inFrame) rendered = done;
    else {
      window.requestAnimationFrame(() => {
        rendered = done;
      });
    }
  };
  new MutationObserver((records) => {
    for (const record of records) {
      for (const node of record.addedNodes) {
        const picture = node.nodeName.toLowerCase() === 'svg' ? node : node.querySelector?.('svg');
        if (picture) ink('picture', picture);
      }
    }
  }).observe(document, { childList: true, subtree: true });
  const prototype = CanvasRenderingContext2D.prototype;
  for (const name of ['stroke', 'fill', 'fillRect', 'strokeRect', 'fillText', 'strokeText', 'drawImage', 'putImageData']) {
    const draw = prototype[name];
    prototype[name] = function inked(...args) {
      window.vornCanvasInk ??= { section: sectionOf(this.canvas) };
      ink('canvas', this.canvas);
      return draw.apply(this, args);
    };
  }
}

// The first ink ({ what, section, ms }) on the page in `file`, opened in a browser of its own, and
// the section of the first drawing on a canvas (canvasSection).
export async function firstInk(file) {
  const cold = await launch();
  try {
    const page = await cold.context.newPage();
    await page.addInitScript(recordFirstInk);
    await page.goto(pathToFileURL(file).href);
    await page.waitForFunction(() => window.vornInk?.ms !== undefined && window.vornCanvasInk !== undefined, null, { timeout: 90000 });
    return await page.evaluate(() => ({ ...window.vornInk, canvasSection: window.vornCanvasInk.section }));
  } finally {
    await cold.close();
  }
}
