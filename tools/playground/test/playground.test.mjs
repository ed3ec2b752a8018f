// The playground page as a player gets it: opened from disk in headless Chromium, offline. Its
// numbers must be the plug-in's: the report is compared with the same code built natively, and a
// chart point with the simulator's own run of the same ride.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { launch, linuxBuild, loadIni, openPage, pagePath } from './browser.mjs';

let browser;
const scratch = mkdtempSync(join(tmpdir(), 'vorn-playground-test-'));
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
  rmSync(scratch, { recursive: true, force: true });
});

function native(...args) {
  return execFileSync(join(linuxBuild, args[0]), args.slice(1), { maxBuffer: 256 * 1024 * 1024 }).toString();
}

// What the natively built tool reports on the same bytes.
function nativeReport(bytes) {
  const file = join(scratch, 'native.ini');
  writeFileSync(file, bytes);
  return JSON.parse(native('vornloconaut-playground', 'report', file));
}

// The mistakes players make, every kind of line end, NUL bytes and numbers the reader refuses.
const MISTAKES = Buffer.concat([
  Buffer.from([
    '; a comment', '[Common]', 'ab', 'Train.Sped = 30', 'Train.Seat = yes', 'train.seat = 0', 'Train.Braking = 3',
    '[FreightTrain]', 'Train.Braking = 4', 'Train.Models = Freight Train', 'Train.SpeedForward = 30 = 40',
  ].join('\n')),
  Buffer.from('\r\nTram.SpeedForward\r\nTram.Braking =\rTram.Braking = ; none\r\nDisplay.Speed = 2\n'),
  Buffer.from('Trains.EnterDelay = 1e999\nTrains.DerailedWagonsMaxCount = -7.9\nTram.Acceleration = 0x10\n'),
  Buffer.from('Tram.Derailment = -3\nTram.Explosion = 1.5\nDisplays.Position = inf\nTrain.Acceleration = nan\n'),
  Buffer.from('Train.Explosion = 1e-50\nKeyAction.Radio = +1\nKeyAction.ChangeSeat = +-1\n'),
  Buffer.from('Tram.Models = metrotrain , , other,\nTrain.SpeedBackward\0 = 9\nTrains.EntranceType = 2\0x'),
]);

test('opened from disk it reports on the default file and no request leaves the page', async () => {
  const { page, requests, errors } = await openPage(browser.context);
  await page.waitForFunction(() => window.vornPlayground.timings.firstChart !== undefined);
  const { report, timings } = await page.evaluate(() => ({ report: window.vornPlayground.report, timings: window.vornPlayground.timings }));
  // Every key the plug-in writes into its default file, in its order, and no other.
  const written = native('vornloconaut-playground', 'default-ini').split('\r\n')
    .map((line) => /^([A-Za-z]+\.[A-Za-z]+) = /.exec(line)?.[1]).filter(Boolean);
  assert.deepEqual(report.keys.map((key) => key.key), written);
  assert.ok(report.keys.every((key) => /^line \d+$/.test(key.why)), 'the default file supplies every key');
  assert.deepEqual(report.surprises, []);
  assert.deepEqual(requests, []);
  assert.deepEqual(errors, []);
  console.log(`page ${statSync(pagePath).size} bytes; first report after ${Math.round(timings.firstReport)} ms, ` +
    `first chart after ${Math.round(timings.firstChart)} ms`);
  await page.close();
});

test('the report names each mistake, as the plug-in built for this machine reads the same bytes', async () => {
  const { page, errors } = await openPage(browser.context);
  const report = await loadIni(page, MISTAKES);
  assert.deepEqual(report, nativeReport(MISTAKES));

  const from = async (key) => page.textContent(`#keys tr[data-key="${key}"] td.from`);
  const inForce = async (key) => page.textContent(`#keys tr[data-key="${key}"] td.value`);
  assert.match(await from('Train.Seat'), /default: the value on line 5 is not a number/);
  assert.equal(await inForce('Train.Braking'), '3');
  assert.match(await from('Trains.EnterDelay'), /out of range/);
  assert.match(await from('Train.Explosion'), /out of range/);
  assert.match(await from('Displays.Position'), /not a number/);
  assert.match(await from('KeyAction.ChangeSeat'), /not a number/);
  assert.equal(await inForce('KeyAction.Radio'), '1');
  assert.match(await from('Tram.Braking'), /no value before its comment/);
  assert.match(await from('Tram.SpeedForward'), /no line supplies it.*without "="/);
  assert.match(await from('Train.SpeedBackward'), /no line supplies it/);
  assert.equal(await inForce('Tram.Derailment'), '0');
  assert.equal(await inForce('Trains.DerailedWagonsMaxCount'), '-7');

  const ignored = async (line) => page.textContent(`#ignored li[data-line="${line}"]`);
  assert.match(await ignored(4), /Train\.Sped.*did you mean Train\.SpeedForward/);
  assert.match(await ignored(6), /wrong case.*Train\.Seat/);
  assert.match(await ignored(8), /section header/);
  assert.match(await ignored(9), /Train\.Braking again: line 7 supplies it/);
  assert.match(await ignored(11), /"= 40" from the second "=" on is dropped/);
  assert.match(await ignored(3), /too short/);
  assert.match(await ignored(1), /a comment/);

  const surprises = await page.textContent('#surprises');
  for (const expected of ['"Freight Train" has a space', 'Display.Speed: 2 turns it off', 'Tram.Explosion: 1.5 is outside 0 to 1',
    'Trains.DerailedWagonsMaxCount: -7.9 is cut', 'Tram.Models: the empty name between two commas is dropped',
    'only the number "0" at the start of "0x10"', 'Trains.EntranceType: 2 is the realistic entrance']) {
    assert.ok(surprises.includes(expected), `the surprises name ${expected}: ${surprises}`);
  }
  assert.deepEqual(errors, []);
  await page.close();
});

test('the charts have data and a chart point is the simulator\'s own run of the same ride', async () => {
  const { page } = await openPage(browser.context);
  await page.waitForFunction(() => window.vornPlayground.drives.default?.[0]?.acceleration !== undefined);
  const points = await page.getAttribute('.kind[data-kind="0"] .chart[data-chart="acceleration"]', 'data-points');
  assert.ok(Number(points) > 100, `the freight acceleration chart has ${points} points`);
  const run = await page.evaluate(() => window.vornPlayground.drives.default[0].acceleration);

  // The page's run in the simulator: the same world, the player at the cab door, the enter key
  // held from the first frame, the accelerate key from the page's start frame on.
  const sample = 100;
  const frame = run.startFrame + sample * 15 - 1;
  const scenario = {
    name: 'playground acceleration', frames: frame,
    tracks: [{ id: 'line', points: [[0, 0, 0], [0, 20000, 0]] }],
    trains: [{ id: 'freight', model: 'freight', carriages: 3, track: 'line', distance: 1000, speed: 0, engineer: true }],
    player: { position: [1.4, 1003.7, 1.5] },
    events: [{ frame: 1, hold: 23 }, { frame: run.startFrame, release: 23, hold: 71 }],
    expect: [{ frame: run.startFrame - 1, playerIn: 'freight' }],
  };
  const file = join(scratch, 'acceleration.json');
  const trace = join(scratch, 'acceleration.jsonl');
  writeFileSync(file, JSON.stringify(scenario));
  native('vornloconaut-sim', file, '--trace', trace, '--workdir', join(scratch, 'game'));
  const set = readFileSync(trace, 'utf8').split('\n').filter(Boolean).map((line) => JSON.parse(line))
    .filter((call) => call.op === 'SetTrainCurrentSpeed' && call.frame === frame);
  assert.equal(set.length, 1);
  assert.equal(Math.fround(run.speed[sample]), Math.fround(set[0].args[1]),
    `speed ${run.time[sample]} s after the accelerate key went down`);
  assert.ok(run.speed[sample] > 10);
  await page.close();
});

test('a short ride by key presses: enter, accelerate, the speed text rises, exit', async () => {
  const { page, errors } = await openPage(browser.context);
  const ride = () => page.evaluate(() => window.vornPlayground.ride);
  await page.waitForFunction(() => window.vornPlayground.ride !== null);
  await page.click('#world');
  // The player starts 14 m beside the locomotive; within 12 m of it the enter key works.
  await page.keyboard.down('ArrowRight');
  await page.waitForFunction(() => window.vornPlayground.ride.player.x > -9);
  await page.keyboard.up('ArrowRight');
  await page.keyboard.down('f');
  await page.waitForFunction(() => window.vornPlayground.ride.texts.some((t) => t.text.startsWith('Hold key')));
  await page.waitForFunction(() => window.vornPlayground.ride.mode === 2);
  await page.keyboard.up('f');

  const speedText = async () => {
    const frame = await ride();
    const text = frame.texts.find((t) => / km\/h\)$/.test(t.text));
    return text ? Number(text.text.match(/\((\d+) km\/h\)/)[1]) : null;
  };
  await page.waitForFunction(() => window.vornPlayground.ride.texts.some((t) => / km\/h\)$/.test(t.text)));
  assert.equal(await speedText(), 0);
  await page.keyboard.down('w');
  await page.waitForFunction(() => window.vornPlayground.ride.texts.some((t) => /\(([2-9]\d|\d{3,}) km\/h\)/.test(t.text)));
  await page.keyboard.up('w');
  assert.ok((await speedText()) >= 20);

  await page.keyboard.press('f');
  await page.waitForFunction(() => window.vornPlayground.ride.mode === 0 && window.vornPlayground.ride.player.vehicle === 0);
  assert.deepEqual(errors, []);
  await page.close();
});

test('a file of 10 MB, a line of 1 MB, NUL and binary bytes: the page stays responsive and reports what the reader does', async () => {
  const { page, errors } = await openPage(browser.context);
  const line = `Train.Seat = 0${'9'.repeat(1 << 20)}\n`;
  const filler = 'Trian.Seat = 0\r\n; comment\rTram.Braking = 3\0\n'.repeat(Math.ceil((10 << 20) / 45));
  const binary = Buffer.from(Array.from({ length: 4096 }, (_, i) => (i * 7919) % 256));
  const bytes = Buffer.concat([Buffer.from(line), Buffer.from(filler), binary, Buffer.from('\nTrain.Braking = 7')]);

  // Frames keep coming while the worker reads: the page's own thread is never held up.
  await page.evaluate(() => {
    window.framesDrawn = 0;
    const count = () => {
      window.framesDrawn += 1;
      requestAnimationFrame(count);
    };
    requestAnimationFrame(count);
  });
  const report = await loadIni(page, bytes, 'huge.ini');
  assert.ok(await page.evaluate(() => window.framesDrawn) > 5, 'animation frames ran while the file was read');
  assert.deepEqual(report, nativeReport(bytes));
  assert.equal(report.keys.find((k) => k.key === 'Train.Braking').value, '7');
  assert.match(report.keys.find((k) => k.key === 'Train.Seat').why, /the number on line 1 is out of range/);
  assert.match(await page.textContent('#large'), /too large to show here/);
  assert.deepEqual(errors, []);
  await page.close();
});
