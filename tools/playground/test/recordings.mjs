// A ride recording for the page's tests: the one VornLoconaut.asi wrote under Wine (kept in
// tests/recordings/), and what the natively built tool, the same C++ as the page's engine, makes of a
// recording.
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import { linuxBuild, root } from './browser.mjs';

export const WINE_RECORDING = join(root, 'tests/recordings/recorded-ride-wine.vlrec');

export function recordingView(file) {
  return JSON.parse(execFileSync(join(linuxBuild, 'vornloconaut-playground'), ['recording', file],
    { maxBuffer: 64 * 1024 * 1024 }).toString());
}
