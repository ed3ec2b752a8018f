// node tools/playground/trace-first-frame.mjs [LOADS] [PAGE...]
//
// What the browser's renderer does before it draws a page's first frame: each page (by default the
// built playground page and a bare page with one canvas, the first-ink test's two) is opened cold,
// LOADS times (5 unless given), in turns, in Debian's Chromium with a performance trace running,
// and for each load this prints when the first frame that paints ends, the processor time of the
// renderer's main thread until then (the work the first frame waits for: parsing, style, layout,
// paint), its wall time, and how often it asked the browser process for a font (each a round trip
// that waits for that process). Medians close each page. For finding what a change does to the
// first frame, beside the test's timings, which mix it with the machine's other work.
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';
import { pagePath } from './test/browser.mjs';

const args = process.argv.slice(2);
const loads = /^\d+$/.test(args[0] || '') ? Number(args.shift()) : 5;
const scratch = mkdtempSync(join(tmpdir(), 'vorn-trace-'));
const bare = join(scratch, 'bare.html');
writeFileSync(bare, '<!DOCTYPE html><html><body><canvas width="300" height="150"></canvas><script>' +
  'const c = document.querySelector("canvas").getContext("2d"); c.moveTo(0, 0); c.lineTo(300, 150); c.stroke();</script></body></html>');
const pages = args.length > 0 ? args.map((page) => resolve(page)) : [pagePath, bare];

const CATEGORIES = ['toplevel', 'devtools.timeline', 'blink', 'blink.user_timing', 'loading', 'v8', 'fonts'];
const FONT_ROUND_TRIPS = new Set(['FontDataManager::onMatchFamilyStyle', 'WebSandboxSupportLinux::GetWebFontRenderStyleForStrike']);

async function trace(page) {
  const browser = await chromium.launch({
    executablePath: process.env.VORN_CHROMIUM || '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const tab = await (await browser.newContext({ viewport: { width: 1280, height: 900 } })).newPage();
    await browser.startTracing(tab, { categories: CATEGORIES });
    await tab.goto(pathToFileURL(page).href);
    await tab.waitForTimeout(1000);
    return JSON.parse(await browser.stopTracing()).traceEvents;
  } finally {
    await browser.close();
  }
}

// The renderer's main thread from the navigation to the end of the task that paints first.
function firstFrame(events) {
  const threads = new Map(events.filter((e) => e.name === 'thread_name').map((e) => [`${e.pid}:${e.tid}`, e.args.name]));
  const start = events.find((e) => e.name === 'navigationStart' && e.args?.data?.documentLoaderURL?.startsWith('file:'));
  const main = events.filter((e) => e.ph === 'X' && e.pid === start.pid && threads.get(`${e.pid}:${e.tid}`) === 'CrRendererMain')
    .sort((a, b) => a.ts - b.ts || b.dur - a.dur);
  const tasks = [];
  for (const e of main) if (tasks.length === 0 || e.ts >= tasks.at(-1).ts + tasks.at(-1).dur) tasks.push(e);
  const paint = main.find((e) => e.name === 'Paint' && e.ts > start.ts);
  const frame = tasks.find((e) => e.ts <= paint.ts && e.ts + e.dur >= paint.ts);
  const end = frame.ts + frame.dur;
  const before = tasks.filter((e) => e.ts + e.dur > start.ts && e.ts <= frame.ts);
  return {
    ends: (end - start.ts) / 1000,
    cpu: before.reduce((sum, e) => sum + (e.tdur ?? 0), 0) / 1000,
    wall: before.reduce((sum, e) => sum + e.dur, 0) / 1000,
    fonts: main.filter((e) => FONT_ROUND_TRIPS.has(e.name) && e.ts > start.ts && e.ts < end).length,
  };
}

const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];
const results = new Map(pages.map((page) => [page, []]));
try {
  for (let load = 0; load < loads; load += 1) {
    for (const page of pages) {
      const frame = firstFrame(await trace(page));
      results.get(page).push(frame);
      console.log(`${page === bare ? 'bare page' : page}: first frame ends ${frame.ends.toFixed(1)} ms, main thread ` +
        `${frame.cpu.toFixed(1)} ms processor time (${frame.wall.toFixed(1)} ms wall), ${frame.fonts} font lookups`);
    }
  }
} finally {
  rmSync(scratch, { recursive: true, force: true });
}
for (const [page, frames] of results) {
  console.log(`${page === bare ? 'bare page' : page}, medians of ${frames.length}: first frame ends ` +
    `${median(frames.map((f) => f.ends)).toFixed(1)} ms, main thread ${median(frames.map((f) => f.cpu)).toFixed(1)} ms ` +
    `processor time, ${median(frames.map((f) => f.fonts))} font lookups`);
}
