// "Why nothing happens": one fake game folder per finding, made here (programs with a version
// resource built by MinGW's windres and gcc, logs in the formats of players' real logs, a sparse
// 150 MB GTA5.exe), chosen in the page as a player chooses the game folder; then the logs alone,
// the odd inputs, and the version reader on damaged resources.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { launch, openPage } from './browser.mjs';
import { GAME, USER, gameFolders, hookLog, loaderLog, sparse } from './game-folder.mjs';
import { PeError, readVersion } from '../web/pe.js';
import { entriesFromInput } from '../web/gamefiles.js';
import { readGameFolder } from '../web/folder.js';
import { diagnose } from '../web/findings.js';

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

// The Ultimate ASI Loader's version resource with its root block cut short: its name is lost.
function cutShort(program) {
  const copy = Buffer.from(program);
  copy.writeUInt16LE(0x5c, copy.indexOf(Buffer.from('VS_VERSION_INFO', 'utf16le')) - 6);
  return copy;
}

// Several game starts in one log, as an appended or twice-pasted log holds them.
const starts = (...logs) => logs.join('');

test('each kind of game folder gives its findings in order: what the logs prove, then the files, then guesses', async () => {
  const other = [['OtherMod.asi', true]];
  const ran = { 'asiloader.log': null, 'ScriptHookV.log': hookLog() };
  const notRun = { 'asiloader.log': null, 'ScriptHookV.log': null };
  const png = Buffer.concat([Buffer.from('\x89PNG\r\n\x1a\n\0\0\0\rIHDR', 'latin1'), Buffer.alloc(300, 7)]);
  const mistakes = 'Train.Sped = 30\r\nTrain.Seat = yes\r\n';
  const twoHundred = starts(...Array.from({ length: 199 }, () => hookLog({ fatal: true })), hookLog());
  // [name, files, the findings in order, the words that matter]
  const cases = [
    ['all in place, the exe 150 MB, a graphics mod\'s DLLs', legacy({ 'GTA5.exe': (path) => sparse(path, programs.legacy, 150 << 20),
      'd3d11.dll': programs.graphics, 'dxgi.dll': programs.graphics }), ['all-good', 'edition'],
    { 'all-good': /The plug-in is running: in story mode, hold F next to a freight train or a tram/, edition: /classic game: GTA5\.exe, version 1\.0\.3586\.0.*ASI loader: dinput8\.dll, the ASI loader from the hook's zip\.Vorn/ }],
    ['not the game folder', { 'VornLoconaut.asi': asi, 'notes.txt': 'x' }, ['wrong-folder'],
      { 'wrong-folder': /neither GTA5\.exe nor GTA5_Enhanced\.exe.*steamapps\\common with Steam/ }],
    ['the game\'s folder in Documents', { 'settings.xml': '<Settings/>', 'Profiles/4F2A0C11/SGTA50000': 'save' }, ['wrong-folder'],
      { 'wrong-folder': /holds settings\.xml and the folder Profiles: it is the folder in Documents\\Rockstar Games where the game keeps your saved games/ }],
    ['a folder of shortcuts', { 'Grand Theft Auto V.lnk': 'L', 'Steam.url': '[InternetShortcut]' }, ['wrong-folder'],
      { 'wrong-folder': /shortcuts \(Grand Theft Auto V\.lnk and Steam\.url\).*"Open file location"/ }],
    ['no hook', legacy({ 'ScriptHookV.dll': null, 'asiloader.log': loaderLog([['VornLoconaut.asi', false]]), 'ScriptHookV.log': null }),
      ['asi-failed-to-load', 'hook-missing', 'edition'], { 'hook-missing': /copy ScriptHookV\.dll from its bin folder/ }],
    ['a hook that is no DLL', legacy({ 'ScriptHookV.dll': '<html>404</html>', 'ScriptHookV.log': null,
      'asiloader.log': loaderLog([['VornLoconaut.asi', false]]) }), ['asi-failed-to-load', 'hook-missing', 'edition']],
    ['a hook older than the game', legacy({ 'ScriptHookV.log': hookLog({ fatal: true }) }), ['hook-outdated', 'edition']],
    ['the Enhanced edition\'s loader in the classic game', legacy({ 'dinput8.dll': null, 'xinput1_4.dll': programs.loader,
      'asiloader.log': null, 'ScriptHookV.log': null }), ['loader-missing', 'edition']],
    ['Enhanced, the game not run since the install', { 'GTA5_Enhanced.exe': programs.enhanced, 'ScriptHookV.dll': programs.hook,
      'xinput1_4.dll': programs.loader, 'VornLoconaut.asi': asi }, ['no-log', 'edition'],
    { 'no-log': /If you have not started the game since installing the hook, start story mode once.*If the logs are still missing, the game's anti-cheat, BattlEye, blocked the loader/ }],
    ['no plug-in', legacy({ 'VornLoconaut.asi': null, 'asiloader.log': loaderLog(other), 'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) }),
      ['asi-missing', 'edition']],
    ['the plug-in in scripts', legacy({ 'VornLoconaut.asi': null, 'scripts/VornLoconaut.asi': asi, 'asiloader.log': loaderLog(other),
      'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) }), ['asi-in-subfolder', 'edition']],
    ['failed to load', legacy({ 'asiloader.log': loaderLog([...other, ['VornLoconaut.asi', false]]),
      'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) }), ['asi-failed-to-load', 'edition'],
    { 'asi-failed-to-load': /Nothing the page read explains it\. A guess: ScriptHookV\.dll missing, or made for another version of the game, is the most common cause, and an outdated or damaged plug-in fails the same way/ }],
    // The folder above the game folder: the game folder found in it, a download of the hook beside.
    ['the folder above the game folder', Object.fromEntries([...Object.entries(legacy()).map(([path, content]) => [`Grand Theft Auto V/${path}`, content]),
      ['Downloads/ScriptHookV_1.0.3586.0/bin/ScriptHookV.dll', programs.hook]]), ['game-folder-below', 'all-good', 'edition'],
    { 'game-folder-below': /The game folder is Grand Theft Auto V, inside the folder you chose \(common\): it holds GTA5\.exe/ }, 'common'],
    ['loaded, not registered', legacy({ 'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) }), ['asi-not-registered', 'edition']],
    ['registered, never launched', legacy({ 'ScriptHookV.log': hookLog({ launched: [] }) }), ['not-started', 'edition']],
    ['a second copy', legacy({ 'VornLoconaut (1).asi': asi,
      'asiloader.log': loaderLog([['VornLoconaut (1).asi', true], ['VornLoconaut.asi', true]]),
      'ScriptHookV.log': hookLog({ registered: ['VornLoconaut (1).asi', 'VornLoconaut.asi'] }) }), ['all-good', 'asi-twice', 'edition']],
    ['another build', legacy({ 'VornLoconaut.asi': Buffer.concat([asi, Buffer.from([0])]) }), ['asi-unknown-build', 'all-good', 'edition']],
    ['the INI beside the plug-in in scripts', legacy({ 'scripts/VornLoconaut.ini': 'Train.SpeedForward = 80\r\n' }),
      ['ini-ignored', 'all-good', 'edition']],
    ['an INI with mistakes', legacy({ 'VornLoconaut.ini': mistakes }), ['ini-mistakes', 'all-good', 'edition']],
    ['VORNLOCONAUT.INI, read as Windows ignores case', legacy({ 'VORNLOCONAUT.INI': mistakes }), ['ini-mistakes', 'all-good', 'edition']],
    // Other ASI loaders: the Ultimate ASI Loader by its version resource, whatever its name.
    ['the Ultimate ASI Loader as dinput8.dll reads scripts', legacy({ 'dinput8.dll': programs.ultimate, ...ran,
      'VornLoconaut.asi': null, 'scripts/VornLoconaut.asi': asi }), ['all-good', 'edition']],
    ['the Ultimate ASI Loader as version.dll, the plug-in in plugins', legacy({ 'dinput8.dll': null, 'version.dll': programs.ultimate,
      ...ran, 'VornLoconaut.asi': null, 'plugins/VornLoconaut.asi': asi }), ['all-good', 'edition'],
    { edition: /ASI loader: version\.dll, the Ultimate ASI Loader 9\.1\.0\.0\./ }],
    ['the Ultimate ASI Loader as winmm.dll, the plug-in a level down in scripts', legacy({ 'dinput8.dll': null, 'winmm.dll': programs.ultimate,
      ...ran, 'VornLoconaut.asi': null, 'scripts/Trains/VornLoconaut.asi': asi }), ['all-good', 'edition']],
    ['two loaders: the hook\'s and the Ultimate ASI Loader as winmm.dll', legacy({ 'winmm.dll': programs.ultimate }),
      ['loaders-twice', 'all-good', 'edition'],
    { 'loaders-twice': /2 ASI loaders in the game folder: dinput8\.dll, the ASI loader from the hook's zip; winmm\.dll, the Ultimate ASI Loader 9\.1\.0\.0\. Each loads every plug-in/ }],
    ['a loader whose version resource is cut short', legacy({ 'version.dll': cutShort(programs.ultimate) }), ['all-good', 'edition']],
    // Crashes: ours after its launch, and another plug-in's.
    ['our script crashed', legacy({ 'ScriptHookV.log': hookLog({ crashed: ['VornLoconaut.asi'] }) }), ['asi-crashed', 'edition'],
      { 'asi-crashed': /ScriptHookV\.log line 11: “\[18:41:17\] CORE: An exception occurred while executing 'VornLoconaut\.asi'.*Copy this report/ }],
    ['another plug-in crashed', legacy({ 'ScriptHookV.log': hookLog({ crashed: ['OtherMod.asi'] }) }), ['all-good', 'other-crashed', 'edition'],
      { 'other-crashed': /another plug-in, OtherMod\.asi, crashed/ }],
    // Several starts in one log: the last one counts, and the line numbers are the file's.
    ['an old hook\'s start, then a start that ran', legacy({ 'ScriptHookV.log': starts(hookLog({ fatal: true }), hookLog()),
      'asiloader.log': starts(loaderLog([['VornLoconaut.asi', false]]), loaderLog([['VornLoconaut.asi', true]])) }), ['all-good', 'edition'],
    { 'all-good': /ScriptHookV\.log line 14: the plug-in's script started in the game's last start, the last of 2 in this log/ }],
    ['a start that ran, then one that never reached story mode', legacy({ 'ScriptHookV.log': starts(hookLog(), hookLog({ launched: [] })) }),
      ['not-started', 'edition'], { 'not-started': /ScriptHookV\.log line 16 registers VornLoconaut\.asi/ }],
    ['a log of 200 starts', legacy({ 'ScriptHookV.log': twoHundred }), ['all-good', 'edition'], { 'all-good': /the last of 200 in this log/ }],
    // Settings files the plug-in cannot read, or never reads.
    ['the INI saved as Unicode', legacy({ 'VornLoconaut.ini': Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(mistakes, 'utf16le')]) }),
      ['ini-encoding', 'all-good', 'edition'], { 'ini-encoding': /Unicode \(UTF-16 LE\)\. Saved as Unicode \(UTF-16\): the plug-in reads none of these settings/ }],
    ['a picture named VornLoconaut.ini', legacy({ 'VornLoconaut.ini': png }), ['not-text', 'all-good', 'edition'],
      { 'not-text': /Not a settings file: a PNG picture/ }],
    ['the INI under the names a browser and Notepad give it', legacy({ 'VornLoconaut (1).ini': mistakes, 'VornLoconaut.ini.txt': mistakes }),
      ['ini-misnamed', 'ini-misnamed', 'all-good', 'edition'], { 'ini-misnamed': /VornLoconaut \(1\)\.ini .*Rename it to VornLoconaut\.ini/ }],
    // What the files prove comes before a guess from a missing log.
    ['no logs, the plug-in in scripts', legacy({ ...notRun, 'VornLoconaut.asi': null, 'scripts/VornLoconaut.asi': asi }),
      ['asi-in-subfolder', 'no-log', 'edition']],
    ['no logs, another build', legacy({ ...notRun, 'VornLoconaut.asi': Buffer.concat([asi, Buffer.from([1])]) }),
      ['asi-unknown-build', 'no-log', 'edition']],
  ];
  const dirs = {};
  let slowest = 0;
  for (const [name, files, expected, words = {}, folderName] of cases) {
    dirs[name] = makeFolder(name, files, folderName);
    const { codes, timings, bytesRead } = await choose(dirs[name]);
    assert.deepEqual(codes, expected, name);
    for (const [code, pattern] of Object.entries(words)) {
      assert.match(await page.textContent(`[data-finding="${code}"]`), pattern, `${name}: ${code}`);
    }
    slowest = Math.max(slowest, timings.ms);
    if (name.startsWith('all in place')) {
      assert.ok(bytesRead < 64 * 1024, `${bytesRead} bytes read of the programs`);
      assert.ok(timings.ms < 2000, `the 150 MB exe's folder took ${Math.round(timings.ms)} ms`);
      console.log(`folder with a 150 MB GTA5.exe: findings after ${Math.round(timings.ms)} ms, ${bytesRead} bytes of its programs read`);
    }
    // Where a loader works, the page never tells the player to add one.
    if (expected.includes('all-good')) assert.doesNotMatch(await page.textContent('#findings'), /Copy dinput8\.dll/, name);
    if (name.startsWith('all in place')) assert.doesNotMatch(await page.textContent('[data-finding="edition"]'), /d3d11|dxgi/);
    if (name === 'a loader whose version resource is cut short') {
      assert.match(await page.textContent('#unchecked'), /version\.dll: the page could not read what it is \(its version details are cut short\)/);
    }
    // A guess says so, on the page and in the report.
    for (const code of expected.filter((c) => c === 'no-log' || (c === 'asi-failed-to-load' && name === 'failed to load'))) {
      assert.equal(await page.getAttribute(`[data-finding="${code}"]`, 'class'), 'finding problem guess', `${name}: ${code}`);
      assert.match(await page.evaluate(() => window.vornDiagnose.report), new RegExp(`\\[${code}\\] \\(a guess\\)`));
    }
    if (name === 'our script crashed') {
      const report = await page.evaluate(() => window.vornDiagnose.report);
      assert.match(report, /\n +11 {2}\[18:41:17\] CORE: An exception occurred while executing 'VornLoconaut\.asi'/);
    }
    if (name === 'a log of 200 starts') {
      const report = await page.evaluate(() => window.vornDiagnose.report);
      assert.match(report, /ScriptHookV\.log {2}806 lines, 200 game starts, the last from line 797/);
      assert.match(report, /ScriptHookV\.log \(the last start\):\n +797 {2}\/\/ GTA V SCRIPT HOOK/);
    }
  }
  console.log(`${cases.length} game folders: the slowest gave its findings after ${Math.round(slowest)} ms`);
  // A folder's INI goes to the settings section, which then reports on it.
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

// The folder as the browser hands it to the page (Files whose webkitRelativePath starts with the
// chosen folder's name), read and judged by the page's own modules here in Node.js.
function chosen(files, root) {
  return Object.entries(files).filter(([, content]) => content !== null && typeof content !== 'function').map(([path, content]) => {
    const file = content instanceof File ? content : new File([content], path.split('/').pop());
    Object.defineProperty(file, 'webkitRelativePath', { value: `${root}/${path}` });
    return file;
  });
}

test('the whole folder as evidence: files wherever they lie, known by their content, judged by the loaders\' rules', async () => {
  const release = { version: '3.2.0', sha256: createHash('sha256').update(asi).digest('hex') };
  const judge = async (files, root = 'Grand Theft Auto V') => {
    const handed = chosen(files, root);
    const started = performance.now();
    const result = diagnose(await readGameFolder(entriesFromInput(handed), release), release);
    result.ms = performance.now() - started;
    return { result, codes: result.findings.map((f) => f.code), text: (code) => result.findings.filter((f) => f.code === code).map((f) => `${f.saw} ${f.todo}`).join('\n') };
  };
  const other = [['OtherMod.asi', true]];
  const noLogs = { 'asiloader.log': null, 'ScriptHookV.log': null };
  const failed = { 'asiloader.log': loaderLog([...other, ['VornLoconaut.asi', false]]), 'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) };
  const ran = { 'asiloader.log': null, 'ScriptHookV.log': hookLog() };
  const older = (n) => Buffer.concat([asi, Buffer.from([n])]);
  // The Ultimate ASI Loader as linked on 1 March 2025, before its fix for the Enhanced edition.
  const oldUltimate = Buffer.from(programs.ultimate);
  oldUltimate.writeUInt32LE(Date.UTC(2025, 2, 1) / 1000, oldUltimate.readUInt32LE(0x3c) + 8);
  // The release's zip, downloaded and never unpacked.
  const zipDir = join(scratch, 'zip');
  mkdirSync(zipDir, { recursive: true });
  writeFileSync(join(zipDir, 'VornLoconaut.asi'), asi);
  execFileSync('zip', ['-q', '-X', 'VornLoconaut-3.2.0.zip', 'VornLoconaut.asi'], { cwd: zipDir });
  const zip = readFileSync(join(zipDir, 'VornLoconaut-3.2.0.zip'));
  const unreadable = (name) => {
    const file = new File([Buffer.alloc(4096)], name);
    const refuse = () => Promise.reject(new DOMException('The file could not be read', 'NotReadableError'));
    file.slice = () => ({ arrayBuffer: refuse });
    file.arrayBuffer = refuse;
    return file;
  };

  // [name, files, the findings in order, { code: the words that matter }, the chosen folder's name]
  const cases = [
    ['the hook\'s bin folder unpacked as it is', legacy({ 'ScriptHookV.dll': null, 'dinput8.dll': null, 'bin/ScriptHookV.dll': programs.hook,
      'bin/dinput8.dll': programs.loader, ...noLogs }), ['hook-missing', 'loader-missing', 'edition'],
    { 'hook-missing': /^ScriptHookV\.dll is in bin\\, where nothing loads it, not in the game folder \(Grand Theft Auto V\) itself\. Move bin\\ScriptHookV\.dll into the game folder itself/,
      'loader-missing': /^dinput8\.dll is in bin\\: it is the ASI loader for the classic game, but Windows loads it only from the game folder itself\. Move bin\\dinput8\.dll into the game folder itself/ }],
    ['the hook saved twice by the browser', legacy({ 'ScriptHookV.dll': null, 'ScriptHookV (1).dll': programs.hook, ...failed }),
      ['asi-failed-to-load', 'hook-missing', 'edition'], { 'hook-missing': /ScriptHookV \(1\)\.dll in the game folder is the hook .* Rename ScriptHookV \(1\)\.dll to ScriptHookV\.dll/ }],
    ['a ScriptHookV.dll that is not the hook, the hook in the picked folder\'s downloads', legacy({ 'ScriptHookV.dll': programs.loader,
      'Downloads/ScriptHookV_1.0.3586.0/bin/ScriptHookV.dll': programs.hook, ...failed }), ['asi-failed-to-load', 'hook-missing', 'edition'],
    { 'hook-missing': /^ScriptHookV\.dll is in Downloads\\ScriptHookV_1\.0\.3586\.0\\bin\\, where nothing loads it; the ScriptHookV\.dll in the game folder is damaged \(it lacks the functions the hook gives plug-ins, so it is not the hook\)/,
      'asi-failed-to-load': /That is because ScriptHookV\.dll is missing or damaged here, as the page found/ }],
    ['the release\'s zip, never unpacked', legacy({ 'VornLoconaut.asi': null, 'VornLoconaut-3.2.0.zip': zip, 'asiloader.log': loaderLog(other),
      'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }) }), ['in-archive', 'edition'],
    { 'in-archive': /^VornLoconaut\.asi is only inside VornLoconaut-3\.2\.0\.zip, which has not been unpacked/ }],
    // Which copies run: the hook's loader reads the game folder alone, the Ultimate ASI Loader
    // scripts\ with its folders and plugins\ too; a copy is known by its content under any name.
    ['a copy in scripts beside the one in the game folder, the hook\'s loader', legacy({ 'scripts/VornLoconaut.asi': asi }), ['all-good', 'edition']],
    ['a copy in scripts beside the one in the game folder, the Ultimate ASI Loader', legacy({ 'dinput8.dll': programs.ultimate, ...ran,
      'scripts/VornLoconaut.asi': asi }), ['all-good', 'asi-twice', 'edition'],
    { 'asi-twice': /2 copies of the plug-in: VornLoconaut\.asi and scripts\\VornLoconaut\.asi\. .*this release runs only the first copy the game loads/ }],
    ['the plug-in under another name beside it', legacy({ 'Trains.asi': asi }), ['all-good', 'asi-twice', 'edition'],
      { 'asi-twice': /VornLoconaut\.asi and Trains\.asi/ }],
    ['an older copy beside this release\'s, as Windows names a copy', legacy({ 'VornLoconaut - Copy.asi': older(2) }),
      ['asi-twice', 'asi-unknown-build', 'all-good', 'edition'], { 'asi-twice': /each copy a loader finds runs as a plug-in of its own/ }],
    ['the plug-in two folders down in SCRIPTS, the Ultimate ASI Loader', legacy({ 'dinput8.dll': programs.ultimate, ...noLogs, 'VornLoconaut.asi': null,
      'SCRIPTS/Züge Neu/alt/VornLoconaut.asi': asi }), ['asi-in-subfolder', 'edition'],
    { 'asi-in-subfolder': /\(SCRIPTS\\Züge Neu\\alt\\VornLoconaut\.asi\), and the Ultimate ASI Loader loads plug-ins from the game folder, scripts\\ \(and the folders in it\) and plugins\\ only/ }],
    ['the plug-in one folder down in SCRIPTS, the Ultimate ASI Loader', legacy({ 'dinput8.dll': programs.ultimate, ...noLogs, 'VornLoconaut.asi': null,
      'SCRIPTS/Züge Neu/VORNLOCONAUT.ASI': asi }), ['edition']],
    // Evidence, then guesses: what the files prove explains the failure.
    ['failed to load: another build, the hook fits the game', legacy({ 'VornLoconaut.asi': older(3), ...failed }),
      ['asi-failed-to-load', 'asi-unknown-build', 'edition'],
    { 'asi-failed-to-load': /That is because VornLoconaut\.asi is not this release's plug-in, as the page found \(ScriptHookV\.dll here is the hook, made for 1\.0\.3586\.0, which fits the game\)/ }],
    ['failed to load: a copy cut short', legacy({ 'VornLoconaut.asi': asi.subarray(0, 300), ...failed }), ['asi-failed-to-load', 'asi-unknown-build', 'edition'],
      { 'asi-failed-to-load': /VornLoconaut\.asi is damaged \(it ends inside its [a-z ]+\), as the page found/ }],
    ['an old Ultimate ASI Loader as xinput1_4.dll on the Enhanced edition', { 'GTA5_Enhanced.exe': programs.enhanced, 'ScriptHookV.dll': programs.hook,
      'xinput1_4.dll': oldUltimate, 'VornLoconaut.asi': asi }, ['loader-outdated', 'edition'],
    { 'loader-outdated': /xinput1_4\.dll, the Ultimate ASI Loader 9\.1\.0\.0 was built on 2025-03-01, before its fix of June 2026 for the Enhanced edition/ }],
    ['a loader of zero bytes', legacy({ 'dinput8.dll': Buffer.alloc(0), ...noLogs }), ['loader-missing', 'edition'],
      { 'loader-missing': /dinput8\.dll, the ASI loader for the classic game, is damaged \(it is only 0 bytes long\)/ }],
    ['a loader the browser cannot read', legacy({ 'dinput8.dll': unreadable('dinput8.dll'), ...noLogs }), ['edition']],
  ];
  for (const [name, files, expected, words = {}, root] of cases) {
    const { result, codes, text } = await judge(files, root);
    assert.deepEqual(codes, expected, name);
    for (const [code, pattern] of Object.entries(words)) assert.match(text(code), pattern, `${name}: ${code}`);
    // What the page found is never said to be missing.
    if (name.includes('bin folder') || name.includes('saved twice')) assert.doesNotMatch(JSON.stringify(result.findings), /There is no ScriptHookV\.dll/);
    if (name === 'failed to load: another build, the hook fits the game') assert.ok(!result.findings[0].guess);
    if (name === 'a loader the browser cannot read') {
      assert.match(result.unchecked.join('\n'), /dinput8\.dll: the page could not read what it is \(your browser could not read it/);
    }
  }

  // Tens of thousands of files, hundreds of them DLLs: the answer in time, and what was skipped said.
  const crowded = legacy();
  for (let i = 0; i < 60000; i += 1) crowded[`x64/data/f${i}.dat`] = '';
  for (let i = 0; i < 400; i += 1) crowded[`mods/m${i % 20}/lib${i}.dll`] = programs.loader;
  const { codes, result } = await judge(crowded);
  console.log(`a folder of ${Object.keys(crowded).length.toLocaleString('en')} files, 400 of them DLLs, judged in Node.js after ${Math.round(result.ms)} ms`);
  assert.deepEqual(codes, ['all-good', 'edition']);
  assert.match(result.unchecked.join('\n'), /knows the other \d+ by name only/);
});

// Chromium hands the page such a folder slowly (Playwright's hand-over alone takes about 0.6 ms a
// file), so the suite keeps to 20,000; VORN_CROWDED_FILES=100000 tries the worst case.
const CROWDED = Number(process.env.VORN_CROWDED_FILES || 20000);

test('odd folders: thousands of files, a name with letters beyond English ones, damaged programs', async () => {
  const crowded = makeFolder('crowded', legacy({ 'asiloader.log': loaderLog([]), 'ScriptHookV.log': null }));
  for (let i = 0; i < CROWDED; i += 1) writeFileSync(join(crowded, `f${i}.dat`), '');
  const { codes, timings } = await choose(crowded);
  assert.equal(codes[0], 'nothing-loaded');
  console.log(`a folder of ${CROWDED.toLocaleString('en')} files: findings after ${Math.round(timings.ms)} ms, ${Math.round(timings.readMs)} ms of them reading the candidates`);

  // An exe cut inside its section table, a loader of 12 bytes.
  const header = programs.legacy.readUInt32LE(0x3c);
  const odd = makeFolder('odd', {
    'GTA5.exe': programs.legacy.subarray(0, header + 24 + programs.legacy.readUInt16LE(header + 20) + 20),
    'dinput8.dll': 'MZ not a DLL', 'ScriptHookV.dll': programs.hook, 'VornLoconaut.asi': asi, 'asiloader.log': loaderLog([]),
  }, 'Grand Theft Auto V – Łódź');
  const result = await choose(odd);
  assert.deepEqual(result.codes.slice(0, 2), ['nothing-loaded', 'loader-missing']);
  assert.match(await page.textContent('[data-finding="loader-missing"]'), /dinput8\.dll.*is damaged \(it is only 12 bytes long\)/);
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
