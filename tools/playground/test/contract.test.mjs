// The page's script and the engine agree on what passes between them: the engine's declaration,
// from the natively built tool (the same C++ as the page's engine), against what the script takes
// from it. An action, device, key, mode or text renamed or added on either side fails here.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';
import { derailedNote } from '../web/contract.js';
import { KEY_NAMES, PAD_BUTTONS, PAD_STICKS } from '../web/hands.js';
import { linuxBuild, root } from './browser.mjs';

const contract = JSON.parse(execFileSync(join(linuxBuild, 'vornloconaut-playground'), ['contract']).toString());

test('the page names keys and buttons as the game\'s control list does, its actions as the engine does, and finds the modes and texts it shows', () => {
  const unknown = Object.entries(KEY_NAMES).filter(([, name]) => !contract.inputs.keyboard.includes(name));
  assert.deepEqual(unknown, [], 'every key the page sends is one the engine knows');
  assert.equal(new Set(Object.values(KEY_NAMES)).size, Object.keys(KEY_NAMES).length, 'one code a key');
  // Every button and stick of a pad reaches the game: the pad has no settings of its own to make up for one missing.
  assert.deepEqual([...PAD_BUTTONS, ...PAD_STICKS.map((stick) => stick.name)].sort(), [...contract.inputs.pad].sort());
  assert.deepEqual(contract.devices, ['keyboard', 'pad']);

  const template = readFileSync(join(root, 'tools/playground/web/index.html'), 'utf8');
  const touched = [...template.matchAll(/data-action="([^"]*)"/g)].map((match) => match[1]);
  assert.ok(touched.length > 0 && touched.every((action) => contract.actions.includes(action)), touched.join(', '));
  assert.equal(new Set(contract.actions).size, contract.actions.length);

  assert.ok(Number.isInteger(contract.modes.inCab));
  const note = derailedNote(contract, 53.6, 'Y');
  assert.ok(note.startsWith(contract.texts.derailed.split('{speed}')[0]) && note.includes(' 54 km/h'), note);
  assert.doesNotMatch(note, /[{}]|undefined/);
  assert.ok(note.endsWith(`${contract.texts.getOut.replace('{exit}', 'Y')}.`) && note.includes('Y'), note);
});
