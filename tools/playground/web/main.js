// The page: the INI a player gives it, the plug-in's report on it, the drives under it and the ride
// on it. Two workers run the engine: one reads and charts, one plays the ride, so neither waits
// for the other and the page itself never waits for either.
/* global ENGINE_SOURCE */
import { renderReport } from './report.js';
import { Charts } from './charts.js';
import { Ride } from './ride.js';
import { Diagnose } from './diagnose.js';

// The plug-in reads files of any size; a browser tab holds only so much.
const LARGEST_FILE = 64 * 1024 * 1024;
// Beyond this a file is read, but not shown in the editor.
const LARGEST_SHOWN = 512 * 1024;

const started = performance.now();
const engine = URL.createObjectURL(new Blob([ENGINE_SOURCE], { type: 'text/javascript' }));
const analysis = new Worker(engine);
const rideWorker = new Worker(engine);

const $ = (id) => document.getElementById(id);
const editor = $('ini');
const status = $('status');
const large = $('large');

// What the tests and a curious player can look at from the console.
const state = {
  defaultIni: null,
  defaultSettings: null,
  ini: null,
  report: null,
  drives: { yours: null, default: null },
  // Numbers of the last report asked for and of the last one shown.
  requested: 0,
  reported: 0,
  // Which sets of drives have all their runs.
  drivesDone: { yours: false, default: false },
  ride: null,
  timings: {},
  errors: [],
};
window.vornPlayground = state;

const charts = new Charts(document.querySelector('#drives'), () => {
  if (state.timings.firstChart === undefined) state.timings.firstChart = performance.now() - started;
});
const ride = new Ride($('world'), $('timeline'), rideWorker, $('restart'), (frame) => {
  state.ride = frame;
}, (error) => state.errors.push(error));

let requestId = 0;
let shownRequest = 0;

function emptyDrives() {
  return { 0: { bend: {} }, 1: { bend: {} } };
}

function analyse(bytes) {
  state.ini = bytes;
  requestId += 1;
  state.requested = requestId;
  status.textContent = `Reading ${bytes.length.toLocaleString('en')} bytes with the plug-in's reader ...`;
  analysis.postMessage({ type: 'report', id: requestId, ini: bytes });
  ride.useIni(bytes);
}

function onReport(id, report) {
  if (id < requestId) return;
  shownRequest = id;
  state.report = report;
  state.reported = id;
  if (state.timings.firstReport === undefined) state.timings.firstReport = performance.now() - started;
  renderReport(report, {
    keys: $('keys').tBodies[0],
    surprises: $('surprises'),
    ignored: $('ignored'),
    ignoredSummary: $('ignored-summary'),
  });
  status.textContent = `The plug-in's reader went over ${report.lineCount.toLocaleString('en')} lines.`;
  if (state.defaultSettings === null) state.defaultSettings = report.settingsIni;
  if (report.settingsIni === state.defaultSettings) {
    // The same settings drive the same way: one set of runs serves both.
    state.drives.yours = 'default';
    state.drivesDone.yours = state.drivesDone.default;
  } else {
    state.drives.yours = emptyDrives();
    state.drivesDone.yours = false;
    analysis.postMessage({ type: 'drives', which: 'yours', id, ini: state.ini });
  }
  charts.update(state.drives);
}

function onDrive({ id, which, chart, kind, data, radius }) {
  if (which === 'yours' && id !== shownRequest) return;
  const set = state.drives[which];
  if (set === null || set === 'default') return;
  if (chart === 'bend') set[kind].bend[radius] = data;
  else set[kind][chart] = data;
  charts.update(state.drives);
}

analysis.onmessage = (event) => {
  const message = event.data;
  switch (message.type) {
    case 'default-ini': {
      state.defaultIni = message.text;
      const bytes = new TextEncoder().encode(message.text);
      state.drives.default = emptyDrives();
      analysis.postMessage({ type: 'drives', which: 'default', ini: bytes });
      ride.start(bytes);
      showText(message.text);
      analyse(bytes);
      break;
    }
    case 'report':
      onReport(message.id, message.report);
      break;
    case 'drive':
      onDrive(message);
      break;
    case 'drives-done':
      if (message.which === 'default') {
        state.drivesDone.default = true;
        if (state.drives.yours === 'default') state.drivesDone.yours = true;
      } else if (message.id === shownRequest) {
        state.drivesDone.yours = true;
      }
      break;
    case 'error':
      state.errors.push(message);
      status.textContent = `The plug-in's engine stopped on this input (${message.message}).`;
      break;
    default:
      break;
  }
};

function showText(text) {
  large.hidden = true;
  editor.hidden = false;
  editor.value = text;
}

let typing = 0;
editor.addEventListener('input', () => {
  clearTimeout(typing);
  typing = setTimeout(() => analyse(new TextEncoder().encode(editor.value)), 300);
});

async function openFile(file) {
  if (file.size > LARGEST_FILE) {
    status.textContent = `${file.name} is ${(file.size / 1048576).toFixed(1)} MB; this page reads files of up to 64 MB.`;
    return;
  }
  // The bytes as they are: the reader sees exactly what the plug-in would, NUL bytes and all.
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (bytes.length <= LARGEST_SHOWN) {
    showText(new TextDecoder('utf-8').decode(bytes));
  } else {
    editor.hidden = true;
    large.hidden = false;
    large.textContent = `${file.name}: ${(bytes.length / 1048576).toFixed(1)} MB, too large to show here. The report below reads all of it.`;
  }
  analyse(bytes);
}

$('file').addEventListener('change', (event) => {
  if (event.target.files.length > 0) openFile(event.target.files[0]);
});
const drop = $('drop');
drop.addEventListener('dragover', (event) => {
  event.preventDefault();
  drop.classList.add('over');
});
drop.addEventListener('dragleave', () => drop.classList.remove('over'));
drop.addEventListener('drop', (event) => {
  event.preventDefault();
  drop.classList.remove('over');
  if (event.dataTransfer.files.length > 0) openFile(event.dataTransfer.files[0]);
});
$('reset').addEventListener('click', () => {
  if (state.defaultIni === null) return;
  showText(state.defaultIni);
  analyse(new TextEncoder().encode(state.defaultIni));
});

// A folder's VornLoconaut.ini with mistakes opens here, where the report names each.
new Diagnose($('diagnose'), engine, (file) => {
  openFile(file);
  $('settings').scrollIntoView();
});

analysis.postMessage({ type: 'default-ini' });
