// "Why nothing happens": one fake game folder per finding, made here (programs with a version
// resource built by MinGW's windres and gcc, logs in the formats of players' real logs, a sparse
// 150 MB GTA5.exe), chosen in the page as a player chooses the game folder; then the logs alone,
// the odd inputs, and the version reader on damaged resources.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { launch, openPage } from './browser.mjs';
import { GAME, USER, gameFolders, hookLog, loaderLog, sparse } from './game-folder.mjs';
import { PeError, readVersion } from '../web/pe.js';

const scratch = mkdtempSync(join(tmpdir(), 'vorn-diagnose-test-'));
let browser;
let page;
let programs;
let asi;
let legacy;
let makeFolder;

// Chooses the folder in the page and waits for its findings.
async function choose(dir) {
  const before = await page.evaluate(() => window.vornDiagnose.run);
  await page.setInputFiles('#game-folder', dir);
  await page.waitForFunction((old) => window.vornDiagnose.run > old && window.vornDiagnose.done === window.vornDiagnose.run, before);
  return page.evaluate(() => ({ codes: window.vornDiagnose.codes, timings: window.vornDiagnose.timings, bytesRead: window.vornDiagnose.bytesRead }));
}

before(async () => {
  const folders = gameFolders(scratch);
  ({ programs, asi, legacy } = folders);
  makeFolder = folders.folder;
  browser = await launch();
  await browser.context.grantPermissions(['clipboard-read', 'clipboard-write']);
  ({ page } = await openPage(browser.context));
});
after(async () => {
  await browser?.close();
  rmSync(scratch, { recursive: true, force: true });
});

test('each game folder gives its finding first; all in place gives only all-good and the edition', async () => {
  const other = [['OtherMod.asi', true]];
  const cases = [
    ['all in place, the exe 150 MB', legacy({ 'GTA5.exe': (path) => sparse(path, programs.legacy, 150 << 20) }), 'all-good'],
    ['not the game folder', { 'VornLoconaut.asi': asi, 'notes.txt': 'x' }, 'edition'],
    ['no hook', legacy({ 'ScriptHookV.dll': null, 'asiloader.log': loaderLog([['VornLoconaut.asi', false]]), 'ScriptHookV.log': null }), 'hook-missing'],
    ['a hook that is no DLL', legacy({ 'ScriptHookV.dll': '<html>404</html>', 'ScriptHookV.log': null,
      'asiloader.log': loaderLog([['VornLoconaut.asi', false]]) }), 'hook-missing'],
    ['a hook older than the game', legacy({ 'ScriptHookV.log': hookLog({ fatal: true }) }), 'hook-outdated'],
    ['the Enhanced edition\'s loader in the classic game', legacy({ 'dinput8.dll': null, 'xinput1_4.dll': programs.loader,
      'asiloader.log': null, 'ScriptHookV.log': null }), 'loader-missing'],
    ['Enhanced, its loader wrote no log', { 'GTA5_Enhanced.exe': programs.enhanced, 'ScriptHookV.dll': programs.hook,
      'xinput1_4.dll': programs.loader, 'VornLoconaut.asi': asi }, 'nothing-loaded'],
    ['no plug-in', legacy({ 'VornLoconaut.asi': null, 'asiloader.log': loaderLog(other), 'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) }), 'asi-missing'],
    ['the plug-in in scripts', legacy({ 'VornLoconaut.asi': null, 'scripts/VornLoconaut.asi': asi, 'asiloader.log': loaderLog(other),
      'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) }), 'asi-in-subfolder'],
    ['failed to load', legacy({ 'asiloader.log': loaderLog([...other, ['VornLoconaut.asi', false]]),
      'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) }), 'asi-failed-to-load'],
    ['loaded, not registered', legacy({ 'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) }), 'asi-not-registered'],
    ['registered, never launched', legacy({ 'ScriptHookV.log': hookLog({ launched: [] }) }), 'not-started'],
    ['a second copy', legacy({ 'VornLoconaut (1).asi': asi,
      'asiloader.log': loaderLog([['VornLoconaut (1).asi', true], ['VornLoconaut.asi', true]]),
      'ScriptHookV.log': hookLog({ registered: ['VornLoconaut (1).asi', 'VornLoconaut.asi'] }) }), 'asi-twice'],
    ['another build', legacy({ 'VornLoconaut.asi': Buffer.concat([asi, Buffer.from([0])]) }), 'asi-unknown-build'],
    ['the INI beside the plug-in in scripts', legacy({ 'scripts/VornLoconaut.ini': 'Train.SpeedForward = 80\r\n' }), 'ini-ignored'],
    ['an INI with mistakes', legacy({ 'VornLoconaut.ini': 'Train.Sped = 30\r\nTrain.Seat = yes\r\n' }), 'ini-mistakes'],
    ['the Ultimate ASI Loader reads scripts', legacy({ 'dinput8.dll': programs.ultimate, 'asiloader.log': null,
      'VornLoconaut.asi': null, 'scripts/VornLoconaut.asi': asi }), 'all-good'],
  ];
  const dirs = {};
  for (const [name, files, first] of cases) {
    dirs[name] = makeFolder(name, files);
    const { codes, timings, bytesRead } = await choose(dirs[name]);
    assert.equal(codes[0], first, `${name}: ${codes.join(', ')}`);
    if (name.startsWith('all in place')) {
      assert.deepEqual(codes, ['all-good', 'edition']);
      assert.match(await page.textContent('[data-finding="edition"]'), /classic game: GTA5\.exe, version 1\.0\.3586\.0/);
      assert.ok(bytesRead < 64 * 1024, `${bytesRead} bytes read of the programs`);
      assert.ok(timings.ms < 2000, `the 150 MB exe's folder took ${Math.round(timings.ms)} ms`);
      console.log(`folder with a 150 MB GTA5.exe: findings after ${Math.round(timings.ms)} ms, ${bytesRead} bytes of its programs read`);
    }
  }
  assert.match(await page.textContent('[data-finding="all-good"]'), /hold F next to a freight train or a tram/);
  // The last folder's INI goes to the settings section, which then reports on it.
  await choose(dirs['an INI with mistakes']);
  await page.click('[data-finding="ini-mistakes"] button');
  await page.waitForFunction(() => window.vornPlayground.ini?.length === 35 && window.vornPlayground.reported === window.vornPlayground.requested);
  assert.match(await page.textContent('#ignored'), /Train\.Sped.*did you mean Train\.SpeedForward/);

  // A phone's screen with findings of every colour shown: nothing scrolls sideways, no contrast too low.
  await page.setViewportSize({ width: 390, height: 844 });
  await choose(dirs['the plug-in in scripts']);
  await page.evaluate(readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8'));
  const [scrollWidth, clientWidth] = await page.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth]);
  assert.ok(scrollWidth <= clientWidth, `the page is ${scrollWidth} px wide`);
  const { violations } = await page.evaluate(() => window.axe.run('#diagnose', { resultTypes: ['violations'] }));
  assert.deepEqual(violations.map((v) => `${v.id}: ${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join('; ')}`), []);
  await page.setViewportSize({ width: 1366, height: 768 });
});

test('the logs alone: UTF-16 and CR LF, 50 MB, a truncated last line, pasted; the report copied names no user', async () => {
  const open = async (files) => {
    const before = await page.evaluate(() => window.vornDiagnose.run);
    await page.setInputFiles('#game-logs', files);
    await page.waitForFunction((old) => window.vornDiagnose.done > old, before);
    return page.evaluate(() => window.vornDiagnose.codes);
  };
  // Notepad's "Unicode": UTF-16 with a byte-order mark; a loader that found no plug-in.
  const none = Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(loaderLog([]), 'utf16le')]);
  assert.deepEqual((await open([{ name: 'asiloader.log', mimeType: 'text/plain', buffer: none }])).slice(0, 1), ['nothing-loaded']);

  // 50 MB of other plug-ins, and ours failed on the last line, which has no line end.
  const many = loaderLog(Array.from({ length: 400000 }, (_, i) => [`Plugin${i}.asi`, true])).replace(/LOADER: Finished.*\r\n$/, '');
  const big = join(scratch, 'asiloader.log');
  writeFileSync(big, `${many}ASI: Loading "${GAME}\\VornLoconaut.asi"\r\n     "VornLoconaut.asi" failed to load`);
  const started = Date.now();
  assert.equal((await open(big))[0], 'asi-failed-to-load');
  console.log(`a ${(statSync(big).size / 1048576).toFixed(0)} MB asiloader.log read in ${Date.now() - started} ms`);

  // Both logs pasted at once: the hook's fatal line comes first, and each log counts its own lines.
  const before = await page.evaluate(() => window.vornDiagnose.run);
  await page.fill('#log-paste', `${hookLog({ fatal: true })}${loaderLog([['VornLoconaut.asi', true]])}`);
  await page.waitForFunction((old) => window.vornDiagnose.done > old, before);
  assert.equal((await page.evaluate(() => window.vornDiagnose.codes))[0], 'hook-outdated');
  assert.match(await page.textContent('[data-finding="hook-outdated"]'), /ScriptHookV\.log line 4: \u201c\[18:33:53\] FATAL: Unknown game version\u201d/);

  await page.click('#copy-report');
  await page.waitForFunction(() => document.querySelector('#copy-status').textContent !== '');
  const copied = await page.evaluate(() => navigator.clipboard.readText());
  assert.match(copied, /\[hook-outdated\]/);
  assert.match(copied, /C:\\Users\\<user>\\Games\\Grand Theft Auto V\\VornLoconaut\.asi/);
  assert.ok(!copied.includes(USER), 'the report names no user');
  assert.ok(!(await page.textContent('#diagnose')).includes(USER), 'the page shows no user name either');
});

// Chromium hands the page such a folder slowly (Playwright's hand-over alone takes about 0.6 ms a
// file), so the suite keeps to 20,000; VORN_CROWDED_FILES=100000 tries the worst case.
const CROWDED = Number(process.env.VORN_CROWDED_FILES || 20000);

test('odd folders: thousands of files, a name with letters beyond English ones, damaged programs', async () => {
  const crowded = makeFolder('crowded', legacy({ 'asiloader.log': loaderLog([]), 'ScriptHookV.log': null }));
  for (let i = 0; i < CROWDED; i += 1) writeFileSync(join(crowded, `f${i}.dat`), '');
  const { codes, timings } = await choose(crowded);
  assert.equal(codes[0], 'nothing-loaded');
  console.log(`a folder of ${CROWDED.toLocaleString('en')} files: findings after ${Math.round(timings.ms)} ms`);

  // An exe cut inside its section table, a loader of 12 bytes.
  const header = programs.legacy.readUInt32LE(0x3c);
  const odd = makeFolder('odd', {
    'GTA5.exe': programs.legacy.subarray(0, header + 24 + programs.legacy.readUInt16LE(header + 20) + 20),
    'dinput8.dll': 'MZ not a DLL', 'ScriptHookV.dll': programs.hook, 'VornLoconaut.asi': asi, 'asiloader.log': loaderLog([]),
  }, 'Grand Theft Auto V – Łódź');
  const result = await choose(odd);
  assert.deepEqual(result.codes.slice(0, 2), ['loader-missing', 'nothing-loaded']);
  assert.match(await page.textContent('[data-finding="loader-missing"]'), /dinput8\.dll.*is no working DLL: it is only 12 bytes long/);
  assert.match(await page.textContent('[data-finding="nothing-loaded"]'), /Łódź, has letters beyond English ones/);
  assert.match(await page.textContent('[data-finding="edition"]'), /GTA5\.exe; its version could not be read \(it ends inside its section table\)/);
});

test('the version reader: every cut of a program, damaged lengths and offsets give a version or a PeError', async () => {
  const read = (bytes) => async (offset, length) => bytes.subarray(offset, offset + length);
  const version = async (bytes) => {
    try {
      return await readVersion(read(bytes), bytes.length);
    } catch (error) {
      assert.ok(error instanceof PeError, `${error.stack}`);
      return error;
    }
  };
  const exe = programs.legacy;
  assert.equal((await version(exe)).fileVersion, '1.0.3586.0');
  for (let length = 0; length < exe.length; length += 7) await version(exe.subarray(0, length));

  // The version block: where windres put it, found by its key.
  const key = Buffer.from('VS_VERSION_INFO', 'utf16le');
  const block = exe.indexOf(key) - 6;
  const patched = (offset, value, size = 2) => {
    const copy = Buffer.from(exe);
    if (size === 2) copy.writeUInt16LE(value, offset);
    else copy.writeUInt32LE(value, offset);
    return copy;
  };
  // Odd, zero, too long and too short lengths of the root block and of the first child.
  for (const length of [0, 1, 5, 7, 0x53, 0xffff]) {
    const result = await version(patched(block, length));
    if (!(result instanceof PeError)) assert.ok(result.fileVersion === null || result.fileVersion === '1.0.3586.0');
  }
  const child = exe.indexOf(Buffer.from('StringFileInfo', 'utf16le')) - 6;
  for (const length of [0, 3, 9, 0xfff1]) {
    const result = await version(patched(child, length));
    assert.equal(result.fileVersion, '1.0.3586.0', `a child block of length ${length} keeps the fixed version`);
  }
  // A value length beyond its block; offsets beyond the file; then every byte of the resource set
  // to 0xff in turn.
  assert.equal((await version(patched(block + 2, 0xffff))).fileVersion, '1.0.3586.0');
  const lfanew = exe.readUInt32LE(0x3c);
  assert.ok((await version(patched(0x3c, 0x7fffffff, 4))) instanceof PeError);
  assert.ok((await version(patched(lfanew + 6, 0xffff))) instanceof PeError, 'more sections than the file holds');
  for (let offset = block - 512; offset < block + 128; offset += 1) {
    const copy = Buffer.from(exe);
    copy[offset] = 0xff;
    await version(copy);
  }
});
