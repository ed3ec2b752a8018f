// The engine's worker: the plug-in compiled to WebAssembly runs here, off the page's thread, so a
// file of megabytes or a long chart never stops the page. The page puts emscripten's module
// (createVornModule) in front of this code in one Blob, and before both the WebAssembly as the page
// carries it (vornEngineWasm, gzipped and in base64).
/* global createVornModule, vornEngineWasm */

import { answer as json, drivePlan, runDrive, withBytes } from './drives.js';
import { gunzip } from './gunzip.js';

const ready = gunzip(vornEngineWasm).then((wasmBinary) => createVornModule({ wasmBinary }));
ready.then(() => postMessage({ type: 'ready' }));
// Newer settings make the drives of older ones pointless; they stop between two runs.
let latest = 0;

// Lets messages that arrived meanwhile be handled before the next run.
const pause = () => new Promise((resolve) => setTimeout(resolve, 0));

async function drives(module, { id, settings, which }) {
  for (const step of drivePlan()) {
    if (id < latest) return;
    const { chart, kind, radius } = step;
    postMessage({ type: 'drive', id, which, chart, kind, radius, data: runDrive(module, settings, step) });
    await pause();
  }
  postMessage({ type: 'drives-done', id, which });
}

onmessage = async (event) => {
  const message = event.data;
  const module = await ready;
  if (message.type === 'drives') latest = Math.max(latest, message.id ?? 0);
  try {
    switch (message.type) {
      case 'default-ini':
        postMessage({ type: 'default-ini', text: module.UTF8ToString(module._vorn_default_ini()) });
        break;
      case 'report': {
        const report = withBytes(module, message.ini, (p, n) => json(module, module._vorn_report(p, n)));
        postMessage({ type: 'report', id: message.id, report });
        break;
      }
      case 'drives':
        await drives(module, message);
        break;
      case 'ride-start': {
        const layout = withBytes(module, message.ini, (p, n) => json(module, module._vorn_ride_start(p, n)));
        postMessage({ type: 'ride-layout', layout });
        break;
      }
      case 'recording': {
        const view = withBytes(module, message.bytes, (p, n) => json(module, module._vorn_recording(p, n)));
        postMessage({ type: 'recording', id: message.id, view });
        break;
      }
      case 'ride-ini':
        withBytes(module, message.ini, (p, n) => module._vorn_ride_write_ini(p, n));
        break;
      case 'ride-step': {
        const { held, tapped, frames, seconds, walkX, walkY } = message;
        const hands = new TextEncoder().encode(JSON.stringify({ held, tapped }));
        const frame = withBytes(module, hands, (p, n) => json(module, module._vorn_ride_step(p, n, frames, seconds, walkX, walkY)));
        postMessage({ type: 'ride-frame', frame });
        break;
      }
      default:
        break;
    }
  } catch (error) {
    postMessage({ type: 'error', request: message.type, id: message.id, message: String(error && error.message) });
  }
};
