// The engine's worker: the plug-in compiled to WebAssembly runs here, off the page's thread, so a
// file of megabytes or a long chart never stops the page. The build puts emscripten's module
// (createVornModule, with the WebAssembly inlined) in front of this code in one Blob.
/* global createVornModule */

const ready = createVornModule();
// Newer settings make the drives of older ones pointless; they stop between two runs. The
// defaults' drives are asked for once and always finish.
let latest = 0;

const RADII = [50, 75, 100, 150, 200, 300, 400, 500, 700, 1000];

function withBytes(module, bytes, call) {
  const pointer = module._malloc(Math.max(1, bytes.length));
  module.HEAPU8.set(bytes, pointer);
  try {
    return call(pointer, bytes.length);
  } finally {
    module._free(pointer);
  }
}

function json(module, pointer) {
  return JSON.parse(module.UTF8ToString(pointer));
}

// Lets messages that arrived meanwhile be handled before the next run.
const pause = () => new Promise((resolve) => setTimeout(resolve, 0));

async function drives(module, { id, ini, which }) {
  const stale = () => which !== 'default' && id < latest;
  const post = (chart, kind, data, extra = {}) => postMessage({ type: 'drive', id, which, chart, kind, data, ...extra });
  const run = (name, kind, ...more) =>
    withBytes(module, ini, (pointer, length) => json(module, module[name](pointer, length, kind, ...more)));
  const order = [
    ['acceleration', '_vorn_acceleration'],
    ['braking', '_vorn_braking'],
  ];
  for (const [chart, name] of order) {
    for (const kind of [0, 1]) {
      if (stale()) return;
      post(chart, kind, run(name, kind));
      await pause();
    }
  }
  for (const radius of RADII) {
    for (const kind of [0, 1]) {
      if (stale()) return;
      post('bend', kind, run('_vorn_bend', kind, radius), { radius });
      await pause();
    }
  }
  postMessage({ type: 'drives-done', id, which });
}

onmessage = async (event) => {
  const message = event.data;
  const module = await ready;
  if (message.which !== 'default') latest = Math.max(latest, message.id ?? 0);
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
      case 'ride-ini':
        withBytes(module, message.ini, (p, n) => module._vorn_ride_write_ini(p, n));
        break;
      case 'ride-step': {
        const { controls, tapped, frames, seconds, walkX, walkY } = message;
        const frame = json(module, module._vorn_ride_step(controls, tapped, frames, seconds, walkX, walkY));
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
