// The page's script and the engine agree on what passes between them: the engine's declaration,
// from the natively built tool (the same C++ as the page's engine), against what the script takes
// from it. A control, mode or text renamed or added on either side fails here.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import { test } from 'node:test';
import { CONTROL_KEYS, derailedNote, keysByBit } from '../web/contract.js';
import { linuxBuild } from './browser.mjs';

const contract = JSON.parse(execFileSync(join(linuxBuild, 'vornloconaut-playground'), ['contract']).toString());

test('the page has keys for each control of the engine and for no other, and finds the mode and texts it shows', () => {
  assert.deepEqual(Object.keys(CONTROL_KEYS).sort(), [...new Set(contract.controls)].sort());
  assert.equal(new Set(contract.controls).size, contract.controls.length, 'a control has one bit');
  assert.ok(keysByBit(contract).every((keys) => keys.length > 0));
  assert.ok(Number.isInteger(contract.modes.inCab));
  const note = derailedNote(contract, 53.6);
  assert.ok(note.startsWith(contract.texts.derailed.split('{speed}')[0]) && note.includes(' 54 km/h'), note);
  assert.doesNotMatch(note, /[{}]|undefined/);
  assert.ok(note.endsWith(`${contract.texts.getOut}.`), note);
});
