// node pictures.mjs DIR: the README's pictures of the playground page, taken in headless Chromium
// from the built page: a ride in the tram with the plug-in's displays, then the report on a
// player's INI with typical slips and the charts of its drives beside the defaults; the first
// screen of that report as a laptop (1366 x 768) and a phone (390 x 844) show it; and what "Why
// nothing happens" says of a game folder with the plug-in in scripts\.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch, loadIni, openPage } from './test/browser.mjs';
import { gameFolders, hookLog, loaderLog } from './test/game-folder.mjs';

const out = process.argv[2];
if (!out) {
  console.error('usage: node pictures.mjs DIR');
  process.exit(2);
}

const browser = await launch();
try {
  const { page } = await openPage(browser.context);
  await page.setViewportSize({ width: 1366, height: 768 });

  // With the default settings: to the tram beside the start, in, and off at speed.
  await page.waitForFunction(() => window.vornPlayground.ride !== null);
  await page.click('#world');
  await page.keyboard.down('ArrowLeft');
  await page.waitForFunction(() => window.vornPlayground.ride.player.x < -22);
  await page.keyboard.up('ArrowLeft');
  await page.keyboard.down('f');
  await page.waitForFunction(() => window.vornPlayground.ride.mode === window.vornPlayground.contract.modes.inCab);
  await page.keyboard.up('f');
  await page.keyboard.down('w');
  await page.waitForFunction(() => window.vornPlayground.ride.speed > 9);
  await page.keyboard.up('w');
  await page.locator('#try .ride').screenshot({ path: join(out, 'playground-ride.png') });
  console.log(`${join(out, 'playground-ride.png')}: a ride in the tram`);

  const defaults = await page.evaluate(() => window.vornPlayground.defaultIni);
  const edited = defaults
    .replace('Train.Acceleration = 1.0', 'Train.Acceleration = 1.6')
    .replace('Train.SpeedForward = 40.0', 'Train.SpeedForward = 120')
    .replace('Train.Seat = 1 ', 'Train.Seat = yes ')
    .replace('Tram.Braking = 5.5', 'Tram.Braking = 3.5 m/s2\r\nTram.Derailment = 0,5')
    .replace('[FreightTrain]', '[FreightTrain]\r\nTrain.Sped = 30\r\ntrain.seat = 0\r\nTrain.Acceleration = 2');
  await loadIni(page, Buffer.from(edited));
  await page.waitForFunction(() => window.vornPlayground.drivesDone.yours && window.vornPlayground.drivesDone.default,
    null, { timeout: 180000 });
  await page.locator('#settings').screenshot({ path: join(out, 'playground-settings.png') });
  console.log(`${join(out, 'playground-settings.png')}: the report on an INI with slips`);
  await page.locator('#drives').screenshot({ path: join(out, 'playground-drives.png') });
  console.log(`${join(out, 'playground-drives.png')}: its drives beside the defaults`);
  for (const [width, height] of [[1366, 768], [390, 844]]) {
    await page.setViewportSize({ width, height });
    await page.evaluate(() => window.scrollTo(0, 0));
    const file = join(out, `playground-${width}.png`);
    await page.screenshot({ path: file });
    console.log(`${file}: the first screen at ${width} x ${height}`);
  }
  await page.setViewportSize({ width: 1366, height: 768 });

  const scratch = mkdtempSync(join(tmpdir(), 'vorn-pictures-'));
  try {
    const folders = gameFolders(scratch);
    const folder = folders.folder('scripts', folders.legacy({
      'VornLoconaut.asi': null, 'scripts/VornLoconaut.asi': folders.asi, 'scripts/VornLoconaut.ini': 'Train.SpeedForward = 60\r\n',
      'asiloader.log': loaderLog([['OtherMod.asi', true]]), 'ScriptHookV.log': hookLog({ registered: ['OtherMod.asi'] }),
    }));
    await page.setInputFiles('#game-folder', folder);
    await page.waitForFunction(() => window.vornDiagnose.done > 0 && window.vornDiagnose.done === window.vornDiagnose.run);
    await page.locator('#diagnose').screenshot({ path: join(out, 'playground-diagnose.png') });
    console.log(`${join(out, 'playground-diagnose.png')}: why nothing happens, the plug-in in scripts\\`);
  } finally {
    rmSync(scratch, { recursive: true, force: true });
  }
} finally {
  await browser.close();
}
