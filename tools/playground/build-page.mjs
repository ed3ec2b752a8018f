// node build-page.mjs ENGINE_JS OUTPUT_HTML VERSION ASI_SHA256 LINKED_LIBRARIES
//
// Puts the playground page together as one HTML file: the style (uPlot's and ours) in its head; in
// the first chart's place a picture of it (chart-picture.mjs), so that the first screen shows the
// chart before any script runs; after the markup (where the parser waits for a script from a Blob,
// so the browser draws the first frame before it reads the rest) the default file's data as a JSON
// block and the page's script, bundled by esbuild, as a block of plain text that a small script runs
// once the first frame is drawn (the live charts replace the picture then); and last, as blocks of plain
// text the browser neither parses nor runs, the engine's worker (emscripten's module, then our
// worker code, minified by esbuild) and the WebAssembly beside ENGINE_JS, each gzipped and in
// base64, a third of their size as they are. Workers are made from their text once the page's
// script has drawn the first screen. The same inputs give the same bytes: no paths, dates or
// build-machine names go into the file. ASI_SHA256 is the released VornLoconaut.asi's, which the
// page tells apart from other builds by. LINKED_LIBRARIES is scripts/linked-libraries.sh's list of
// the Debian packages whose code the plug-in and the engine carry; with the npm packages esbuild
// bundled into the page, they make the page's About section and THIRD-PARTY-NOTICES.txt beside
// OUTPUT_HTML, each package with the licence text it ships.
import { readFile, readdir, rename, writeFile } from 'node:fs/promises';
import { gzipSync } from 'node:zlib';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { build, transform } from 'esbuild';
import { answer, drivePlan, emptyDrives, runDrive, storeDrive, withBytes } from './web/drives.js';
import { CHART_SIZE, chartOf } from './web/charts.js';
import { chartPicture } from './chart-picture.mjs';

const [engineFile, outputFile, version, asiSha256, linkedFile] = process.argv.slice(2);
if (!engineFile || !outputFile || !/^[0-9][0-9.]*$/.test(version || '') || !/^[0-9a-f]{64}$/.test(asiSha256 || '') || !linkedFile) {
  console.error('usage: node build-page.mjs ENGINE_JS OUTPUT_HTML VERSION ASI_SHA256 LINKED_LIBRARIES');
  process.exit(2);
}

const here = dirname(fileURLToPath(import.meta.url));
const web = join(here, 'web');
// The browsers the page is for: the first to unpack gzip (DecompressionStream), which the page needs
// for its engine, are Chrome and Edge 80 and Firefox 113.
const BROWSERS = ['chrome100', 'edge100', 'firefox113'];
const common = {
  bundle: true,
  write: false,
  format: 'iife',
  minify: true,
  target: BROWSERS,
  absWorkingDir: here,
  metafile: true,
};

// The default file, the plug-in's report on it, its settings and their drives, made here once by the
// same engine: the page shows the default file's report and charts at once, and for a player's file
// the defaults' charts as soon as the engine has read it, without driving.
async function defaults(module) {
  const ini = module.UTF8ToString(module._vorn_default_ini());
  const bytes = new TextEncoder().encode(ini);
  const report = withBytes(module, bytes, (pointer, length) => answer(module, module._vorn_report(pointer, length)));
  const drives = emptyDrives();
  const settings = new TextEncoder().encode(report.settingsIni);
  for (const step of drivePlan()) storeDrive(drives, step, runDrive(module, settings, step));
  // The cab's keys and buttons as the default file binds them: the try-out names them before its
  // own engine runs.
  withBytes(module, bytes, (pointer, length) => module._vorn_ride_start(pointer, length));
  const { bindings } = withBytes(module, new TextEncoder().encode('{}'),
    (pointer, length) => answer(module, module._vorn_ride_step(pointer, length, 1, 1 / 60, 0, 0)));
  return { ini, settings: report.settingsIni, report, drives, bindings };
}

// uPlot makes a number formatter and reads the time zone as its module loads. The first use of the
// browser's Intl costs a cold page 50 to 100 ms, which would hold up the first charts; both are made
// on first use instead (the charts' axes write their own numbers). Its version is pinned by
// package-lock.json, and the build stops if the lines are not there as expected.
const lazyIntl = {
  name: 'lazy-intl',
  setup(bundler) {
    bundler.onLoad({ filter: /uplot[\\/]dist[\\/]uPlot\.esm\.js$/ }, async ({ path }) => {
      let text = await readFile(path, 'utf8');
      for (const [from, to] of [
        ["const numFormatter = new Intl.NumberFormat(domEnv ? nav.language : 'en-US');",
          "let numFormat; const numFormatter = { format: (v) => (numFormat ??= new Intl.NumberFormat(domEnv ? nav.language : 'en-US')).format(v) };"],
        ['const localTz = new Intl.DateTimeFormat().resolvedOptions().timeZone;', 'let localTz;'],
        ['else if (tz == localTz)', 'else if (tz == (localTz ??= new Intl.DateTimeFormat().resolvedOptions().timeZone))'],
      ]) {
        if (!text.includes(from)) throw new Error(`uPlot no longer has "${from}"`);
        text = text.replace(from, to);
      }
      return { contents: text, loader: 'js' };
    });
  },
};

const createVornModule = createRequire(import.meta.url)(resolve(engineFile));
// Handed over, not read by emscripten's loader, which would fetch() the path with Node's fetch.
const wasmBinary = await readFile(engineFile.replace(/\.js$/, '.wasm'));
const module = await createVornModule({ wasmBinary });
const worker = await build({ ...common, entryPoints: [join(web, 'engine-worker.js')], legalComments: 'none' });
// Node's gzip header holds no time and no name, so the same engine gives the same text.
const gzipped = (bytes) => gzipSync(bytes, { level: 9 }).toString('base64');
// emscripten's module as the browser gets it: minified by esbuild, which shortens its names (a fifth
// less, gzipped); Node above reads the file as emscripten wrote it.
const engineScript = await transform(await readFile(engineFile, 'utf8'), { minify: true, target: BROWSERS, legalComments: 'none' });
const engine = gzipped(`${engineScript.code}\n${worker.outputFiles[0].text}`);
const engineWasm = gzipped(wasmBinary);
const page = await build({
  ...common,
  entryPoints: [join(web, 'main.js')],
  legalComments: 'eof',
  plugins: [lazyIntl],
  define: {
    VORN_RELEASE: JSON.stringify({ version, sha256: asiSha256 }),
    // What the page's script and the engine agree on, as the engine declares it.
    VORN_CONTRACT: JSON.stringify(answer(module, module._vorn_contract())),
  },
});
// The page in ASCII alone: one character past Latin-1 anywhere in it (a word in a regular expression,
// which esbuild leaves as written) makes the browser decode the whole file, engine and all, into
// 16-bit text, which takes it three times as long before the first frame. In the script and the
// JSON, \u escapes mean the same characters.
const ascii = (text) => text.replace(/[^\0-\x7f]/g, (c) => `\\u${c.charCodeAt(0).toString(16).padStart(4, '0')}`);
const script = ascii(page.outputFiles[0].text);
// "<" never appears raw in the JSON block, so no text in it can end the block.
const defaultSet = await defaults(module);
const defaultData = ascii(JSON.stringify(defaultSet).replaceAll('<', '\\u003c'));
// The first chart as the page's script draws it first: the defaults' full-throttle run of the freight
// train alone, at the widest a chart is.
const firstChart = chartOf('acceleration', undefined, defaultSet.drives[0].acceleration);
const firstPicture = chartPicture(firstChart, CHART_SIZE.most, CHART_SIZE.height);
const style = (await transform([
  await readFile(join(here, 'node_modules', 'uplot', 'dist', 'uPlot.min.css'), 'utf8'),
  await readFile(join(web, 'style.css'), 'utf8'),
].join('\n'), { loader: 'css', minify: true, target: BROWSERS })).code;

// Inline text that would end its element early, or open an HTML comment inside a script, would
// break the page; it cannot be escaped safely after the fact, so the build stops instead.
for (const [what, text, bad] of [['script', script, /<\/script|<!--/i], ['style', style, /<\/style/i]]) {
  if (bad.test(text)) {
    console.error(`build-page: the ${what} holds ${text.match(bad)[0]}, which would break the page`);
    process.exit(1);
  }
}

// The engine in blocks of 16 KB: the browser's parser may pause between two blocks and show the
// first screen, where it reads one long block to its end first.
const ENGINE_BLOCK = 16 * 1024;
const blocks = (text, name) => Array.from({ length: Math.ceil(text.length / ENGINE_BLOCK) },
  (_, i) => `<script type="text/plain" class="${name}">${text.slice(i * ENGINE_BLOCK, (i + 1) * ENGINE_BLOCK)}</script>`).join('\n');
const engineBlocks = `${blocks(engine, 'vorn-engine')}\n${blocks(engineWasm, 'vorn-engine-wasm')}`;

// The npm packages whose code went into the page, from what esbuild read, each with its licence file.
async function bundledPackages(...builds) {
  const dirs = new Set();
  for (const { metafile } of builds) {
    for (const input of Object.keys(metafile.inputs)) {
      const m = /^(.*node_modules\/(?:@[^/]+\/)?[^/]+)\//.exec(input);
      if (m) dirs.add(m[1]);
    }
  }
  const packages = [];
  for (const dir of [...dirs].sort()) {
    const meta = JSON.parse(await readFile(join(here, dir, 'package.json'), 'utf8'));
    const licence = (await readdir(join(here, dir))).find((name) => /^licen[cs]e(\.(md|txt))?$/i.test(name));
    if (!licence) throw new Error(`${meta.name} ships no licence file`);
    packages.push({ name: meta.name, version: meta.version, licence: meta.license, text: await readFile(join(here, dir, licence), 'utf8'),
      source: 'npm', in: 'VornLoconaut-playground.html', files: 'bundled into the page' });
  }
  return packages;
}

// The Debian packages scripts/linked-libraries.sh found, each with its copyright file.
async function linkedPackages(file) {
  const packages = [];
  for (const line of (await readFile(file, 'utf8')).split('\n').filter(Boolean)) {
    const [name, packageVersion, binary, files, copyright] = line.split('\t');
    packages.push({ name, version: packageVersion, source: 'Debian', in: binary, text: await readFile(copyright, 'utf8'),
      files: files === 'headers' ? 'its headers, compiled in' : `linked: ${files.split(',').join(', ')}` });
  }
  return packages;
}

// THIRD-PARTY-NOTICES.txt, with Windows line ends as README.txt has them; a text shipped by two
// packages is given once.
function notices(packages) {
  const out = [`Vorn Loconaut ${version}: third-party notices`, '',
    'VornLoconaut.asi and VornLoconaut-playground.html carry code of the packages',
    'below besides Vorn Loconaut\'s own (whose licence is in LICENSE). Each is',
    'named with where its code is, then its licence text as the package ships it.'];
  const seen = new Map();
  for (const p of packages) {
    const title = `${p.name} ${p.version} (${p.source} package)`;
    out.push('', '', `== ${title} ==`, `In ${p.in}: ${p.files}.`);
    if (seen.has(p.text)) out.push(`The same licence text as ${seen.get(p.text)} above.`);
    else {
      seen.set(p.text, title);
      out.push('', p.text.trimEnd());
    }
  }
  return `${out.join('\n')}\n`.replace(/\r?\n/g, '\r\n');
}

const escaped = (text) => text.replaceAll('&', '&amp;').replaceAll('<', '&lt;').replaceAll('>', '&gt;');
const packages = [...await bundledPackages(page, worker), ...await linkedPackages(linkedFile)];
const about = packages.map((p) => `<li><strong>${escaped(p.name)}</strong> ${escaped(p.version)} (${p.source}${p.licence ? `, ${escaped(p.licence)} licence` : ''}): in ${escaped(p.in)}, ${escaped(p.files)}</li>`).join('\n');
await writeFile(join(dirname(outputFile), 'THIRD-PARTY-NOTICES.txt'), notices(packages));

const template = await readFile(join(web, 'index.html'), 'utf8');
const html = template
  .replaceAll('@VERSION@', version)
  .replaceAll('@ASI_SHA256@', asiSha256)
  .replace('@STYLE@', () => style)
  .replace('@FIRST_CHART@', () => firstPicture)
  .replace('@FIRST_SUMMARY@', () => escaped(firstChart.summary))
  .replace('@DEFAULTS@', () => defaultData)
  .replace('@SCRIPT@', () => script)
  .replace('@ABOUT@', () => about)
  .replace('@ENGINE@', () => engineBlocks);
if (/[^\0-\x7f]/.test(html)) {
  console.error(`build-page: the page holds "${html.match(/[^\0-\x7f]/)[0]}", not ASCII, which would double the browser's work`);
  process.exit(1);
}
// Whole or not at all: a browser that opens the page while it is built again reads the old page.
await writeFile(`${outputFile}.part`, html);
await rename(`${outputFile}.part`, outputFile);
console.log(`build-page: ${outputFile} (${html.length} characters)`);
