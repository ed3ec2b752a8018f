// A ride recording as the page reads it: the engine's view (the natively built tool, the same C++ as
// the page's engine) of the recording VornLoconaut.asi wrote under Wine, and the page's own summary of
// it for the report a player copies.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { chartData, markLines, recordingSummary } from '../web/recording.js';
import { WINE_RECORDING, recordingView } from './recordings.mjs';

test('the Windows plug-in\'s recording of a derailed ride reads as that ride, and a cut one names its byte', () => {
  const view = recordingView(WINE_RECORDING);
  assert.equal(view.error, null);
  assert.match(view.summary.replay, /^replayed \d+ passes, no divergence$/);
  assert.equal(view.summary.catalogue.same, true);
  const kinds = view.marks.map((m) => m.kind).filter((k) => k !== 'explosion');
  assert.deepEqual(kinds, ['entry', 'derailment', 'exit']);
  assert.ok(view.marks.some((m) => m.kind === 'explosion'));
  const columns = chartData(view);
  assert.ok(columns.every((c) => c.length === view.summary.passes), 'a value a pass in every column');
  assert.ok(Math.max(...columns[1]) > 60, 'the speed shown climbs past 60 km/h');

  const summary = recordingSummary(view, 'VornLoconaut-last-ride.vlrec');
  assert.match(summary, /^Ride recording VornLoconaut-last-ride\.vlrec: made by Vorn Loconaut [\d.]+, written when the ride ended, after about 0:\d\d\.\d of play\.$/m);
  assert.match(summary, /Played back on this page: the plug-in here did everything it did in your game\./);
  assert.match(summary, /What happened: 0:0\d\.\d took the cab; 0:0\d\.\d the train derailed; 0:\d\d\.\d a derailed wagon exploded; 0:1\d\.\d got off by the exit key\./);
  assert.doesNotMatch(summary, /\bpasses\b|diverg/, 'the page speaks a player\'s words; the replay\'s are a developer\'s');
  assert.match(summary, /Debug\.Recording = 1/);
  assert.deepEqual(markLines({ marks: [] }), []);
  const several = [{ kind: 'entry', seconds: 1 }, { kind: 'explosion', seconds: 65.25 }, { kind: 'explosion', seconds: 66 }, { kind: 'derailment', seconds: 4 }];
  assert.deepEqual(markLines({ marks: several }).map((line) => line.text),
    ['0:01.0 took the cab', '0:04.0 the train derailed', '1:05.3 the first of 2 explosions of derailed wagons']);
  const parted = { ...view, summary: { ...view.summary, playback: { same: false, seconds: 12.34, refusedCall: false } } };
  assert.match(recordingSummary(parted, 'a.vlrec'), /Played back on this page: from 0:12\.3 on, the plug-in here acts differently than it did in your game/);
  assert.doesNotMatch(summary, /Train\.SpeedForward/, 'a value written otherwise but equal to its default is no change');

  const scratch = mkdtempSync(join(tmpdir(), 'vorn-recording-test-'));
  try {
    const cut = join(scratch, 'cut.vlrec');
    writeFileSync(cut, readFileSync(WINE_RECORDING).subarray(0, 5000));
    assert.match(recordingView(cut).error, /^byte \d+: the file ends .*\(truncated\)$/);
  } finally {
    rmSync(scratch, { recursive: true, force: true });
  }
});
