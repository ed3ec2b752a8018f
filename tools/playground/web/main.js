// The page: the INI a player gives it, the plug-in's report on it, the drives under it and the ride
// on it. Two workers run the engine: one reads and charts, one plays the ride, so neither waits
// for the other and the page itself never waits for either. The default file, the plug-in's report
// on it, its settings and their drives come with the page, made by its build, so the first screen
// and its charts are drawn before the browser has even read the engine, which follows this script.
import uPlot from 'uplot';
import { Charts } from './charts.js';
import { renderReport, renderSummary } from './report.js';
import { Ride } from './ride.js';
import { Editor } from './editor.js';
import { emptyDrives, storeDrive } from './drives.js';
import { Diagnose } from './diagnose.js';
import { RecordingView } from './recording.js';
import { dropZone } from './drop.js';
import { grouped } from './numbers.js';
import { gunzip } from './gunzip.js';

// The plug-in reads files of any size; a browser tab holds only so much.
const LARGEST_FILE = 64 * 1024 * 1024;
// Beyond this a file is read, but not shown in the editor.
const LARGEST_SHOWN = 512 * 1024;
// Where the browser keeps the player's last edit.
const KEPT = 'vornloconaut-playground.ini';

// The default file's data, made by the page's build, and the charts, the first of which the build
// drew as a picture already.
const defaults = JSON.parse(document.getElementById('vorn-defaults').textContent);
const charts = new Charts(document.querySelector('#drives'), () => {
  state.timings.firstChart = performance.now();
});

// The engine's text, once the document is read and its first frame drawn: a Blob for its workers.
// The page carries the worker's script gzipped and the WebAssembly gzipped, both in base64; each
// worker unpacks the WebAssembly itself.
const engine = new Promise((resolve) => {
  const blocks = (name) => [...document.querySelectorAll(`script.${name}`)].map((block) => block.textContent).join('');
  const made = () => requestAnimationFrame(() => setTimeout(async () => {
    const script = await gunzip(blocks('vorn-engine'));
    const wasm = `const vornEngineWasm = '${blocks('vorn-engine-wasm')}';\n`;
    resolve(URL.createObjectURL(new Blob([wasm, script], { type: 'text/javascript' })));
  }));
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', made);
  else made();
});
// The reading worker starts as soon as the engine is there, so a player's file need not wait for
// it; messages sent before wait for it in the order they were sent.
const analysisWorker = engine.then((url) => {
  const worker = new Worker(url);
  worker.onmessage = onAnalysis;
  return worker;
});
const analysis = {
  postMessage(message) {
    analysisWorker.then((worker) => worker.postMessage(message));
  },
};

const $ = (id) => document.getElementById(id);
const editor = new Editor($('ini'), $('gutter'));
const status = $('status');
const large = $('large');
const kept = $('kept');

/* global VORN_CONTRACT */
// What the tests and a curious player can look at from the console.
const state = {
  // What the page's script and the engine agree on (the ride's control bits, the mode numbers).
  contract: VORN_CONTRACT,
  defaultIni: defaults.ini,
  defaultSettings: defaults.settings,
  ini: null,
  // Where the bytes of the last report came from: default, file, typed, restored or converted.
  source: 'default',
  fileName: null,
  // The editor shows the analysed bytes line for line (not so for UTF-16 or a file too large).
  linesMatch: true,
  report: null,
  drives: { yours: null, default: defaults.drives },
  // Numbers of the last report asked for and of the last one shown.
  requested: 0,
  reported: 0,
  // Which sets of drives have all their runs.
  drivesDone: { yours: false, default: true },
  ride: null,
  // Whether the browser keeps the last edit.
  keeping: null,
  // Why Save and Copy hand over nothing: the file opened is not text, or too large for the editor.
  refusal: null,
  // Times are from the navigation on, where performance.now() starts.
  timings: {},
  errors: [],
};
window.vornPlayground = state;

const ride = new Ride($('world'), $('timeline'), $('restart'), { derailed: $('derailed'), hint: $('hint'), hud: $('hud'), touch: document.querySelector('#try .touch'), legend: $('ride-keys'), legendTitle: $('ride-keys-title') }, (frame) => {
  state.ride = frame;
}, (error) => state.errors.push(error));
ride.showKeys(defaults.bindings);

let requestId = 0;
let shownRequest = 0;
// Bytes of an opened file, shown in the editor once the report says how they are encoded.
let pendingFile = null;

function analyse(bytes, source, name = null) {
  state.ini = bytes;
  state.source = source;
  state.fileName = name;
  requestId += 1;
  state.requested = requestId;
  ride.useIni(bytes);
  if (source === 'default') {
    // The build ran the plug-in's reader on the default file already: no need to wait for the engine.
    onReport(requestId, defaults.report);
    return;
  }
  status.textContent = `Reading ${grouped(bytes.length)} bytes with the plug-in's reader ...`;
  analysis.postMessage({ type: 'report', id: requestId, ini: bytes });
}

const encode = (text) => new TextEncoder().encode(text);

function showLine(line) {
  if (!state.linesMatch || editor.textarea.hidden) {
    status.textContent = `Line ${line} counts the file's bytes as the plug-in does; the editor shows them decoded, ` +
      'with other lines. "Check the text as UTF-8" makes the two agree.';
    return;
  }
  if (editor.selectLine(line)) status.textContent = `Line ${line} is selected in the editor.`;
}

function onReport(id, report) {
  if (id < requestId) return;
  shownRequest = id;
  state.report = report;
  state.reported = id;
  if (state.timings.firstReport === undefined) {
    state.timings.firstReport = performance.now();
    // The ride's engine starts now, not competing with the first report for the processor.
    engine.then((url) => ride.connect(new Worker(url)));
  }
  if (pendingFile) {
    const { bytes, name } = pendingFile;
    pendingFile = null;
    const decodeAs = report.encoding.decodeAs;
    if (report.encoding.name === 'not-text') {
      hideText(`${name} is not a settings file: it is ${report.encoding.label.replace(/^Not a settings file: /, '')}. ` +
        'There is no text here to show, save or copy.',
      `${name} is not text, so the page does not save or copy it: open your real VornLoconaut.ini instead.`);
    } else {
      showText(new TextDecoder(decodeAs).decode(bytes));
      state.linesMatch = !decodeAs.startsWith('utf-16');
      keep(editor.text);
    }
  }
  renderSummary(report, $('summary'), {
    source: state.source,
    name: state.fileName,
    onConvert: report.encoding.name === 'not-text' ? null : () => analyse(encode(editor.text), 'converted'),
    onLine: showLine,
  });
  renderReport(report, {
    keys: $('keys').tBodies[0],
    surprises: $('surprises'),
    ignored: $('ignored'),
    ignoredSummary: $('ignored-summary'),
  }, showLine);
  if (state.source === 'converted') state.linesMatch = true;
  status.textContent = report.encoding.name === 'not-text' ? ''
    : `The plug-in's reader went over ${grouped(report.lineCount)} lines.`;
  if (report.settingsIni === state.defaultSettings) {
    // The same settings drive the same way: the defaults' runs serve both.
    state.drives.yours = 'default';
    state.drivesDone.yours = true;
  } else {
    state.drives.yours = emptyDrives();
    state.drivesDone.yours = false;
    analysis.postMessage({ type: 'drives', which: 'yours', id, settings: encode(report.settingsIni) });
  }
  charts.update(state.drives);
}

function onDrive({ id, which, chart, kind, data, radius }) {
  if (which !== 'yours' || id !== shownRequest) return;
  const set = state.drives.yours;
  if (set === null || set === 'default') return;
  storeDrive(set, { chart, kind, radius }, data);
  charts.update(state.drives);
}

function onAnalysis(event) {
  const message = event.data;
  switch (message.type) {
    case 'ready':
      if (state.timings.engineReady === undefined) state.timings.engineReady = performance.now();
      break;
    case 'report':
      onReport(message.id, message.report);
      break;
    case 'drive':
      onDrive(message);
      break;
    case 'drives-done':
      if (message.id === shownRequest) state.drivesDone.yours = true;
      break;
    case 'error':
      state.errors.push(message);
      status.textContent = `The plug-in's engine stopped on this input (${message.message}).`;
      break;
    default:
      break;
  }
}

function showText(text) {
  large.hidden = true;
  editor.textarea.hidden = false;
  editor.textarea.parentElement.hidden = false;
  $('gutter').hidden = false;
  editor.text = text;
  state.linesMatch = true;
  state.refusal = null;
}

// A file the editor does not show: `why` says so where the text would be; Save and Copy say
// `refusal` rather than hand over anything but the player's own bytes.
function hideText(why, refusal) {
  editor.textarea.hidden = true;
  editor.textarea.parentElement.hidden = true;
  $('gutter').hidden = true;
  state.linesMatch = false;
  large.hidden = false;
  large.textContent = why;
  state.refusal = refusal;
}

// --- The last edit, kept by the browser; a browser that keeps nothing says so ---

function keepingOff() {
  state.keeping = false;
  kept.hidden = false;
  kept.replaceChildren('This browser does not keep your edits here (its storage is off or full): save the file ' +
    'before you leave the page.');
}

function keep(text) {
  try {
    if (text === state.defaultIni) localStorage.removeItem(KEPT);
    else localStorage.setItem(KEPT, JSON.stringify({ text, at: Date.now() }));
    state.keeping = true;
  } catch {
    keepingOff();
  }
}

function restored() {
  try {
    const raw = localStorage.getItem(KEPT);
    state.keeping = true;
    const value = raw === null ? null : JSON.parse(raw);
    return value && typeof value.text === 'string' ? value : null;
  } catch {
    keepingOff();
    return null;
  }
}

function backToDefault() {
  $('confirm-reset').hidden = true;
  showText(state.defaultIni);
  keep(state.defaultIni);
  if (state.keeping) kept.hidden = true;
  analyse(encode(state.defaultIni), 'default');
}

function showRestored({ text, at }) {
  const when = new Date(at).toLocaleString('en-GB', { day: 'numeric', month: 'long', hour: '2-digit', minute: '2-digit' });
  const drop = document.createElement('button');
  drop.type = 'button';
  drop.textContent = 'Drop it';
  drop.addEventListener('click', backToDefault);
  kept.replaceChildren(`Your last edit (${when}), kept by this browser, is back in the editor. `, drop);
  kept.hidden = false;
  showText(text);
  analyse(encode(text), 'restored');
}

let typing = 0;
editor.textarea.addEventListener('input', () => {
  clearTimeout(typing);
  typing = setTimeout(() => {
    analyse(encode(editor.text), 'typed');
    keep(editor.text);
  }, 300);
});

async function openFile(file) {
  if (file.size > LARGEST_FILE) {
    status.textContent = `${file.name} is ${(file.size / 1048576).toFixed(1)} MB; this page reads files of up to 64 MB.`;
    return;
  }
  // The bytes as they are: the reader sees exactly what the plug-in would, NUL bytes and all.
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (bytes.length <= LARGEST_SHOWN) {
    pendingFile = { bytes, name: file.name };
  } else {
    pendingFile = null;
    const size = `${(bytes.length / 1048576).toFixed(1)} MB`;
    hideText(`${file.name} is ${size}, too large to show here. The checks on this page cover all of it; ` +
      'to change it, open it in Notepad.',
    `${file.name} is ${size}, too large for this page to save or copy: open it in Notepad to change it.`);
  }
  analyse(bytes, 'file', file.name);
}

$('open').addEventListener('click', () => $('file').click());
$('file').addEventListener('change', (event) => {
  if (event.target.files.length > 0) openFile(event.target.files[0]);
  event.target.value = '';
});
dropZone($('drop'), (dropped) => {
  if (dropped.files.length > 0) openFile(dropped.files[0]);
});

$('save').addEventListener('click', () => {
  if (state.refusal) {
    status.textContent = state.refusal;
    return;
  }
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([editor.fileBytes()], { type: 'application/octet-stream' }));
  link.download = 'VornLoconaut.ini';
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  status.textContent = 'Saved as VornLoconaut.ini (UTF-8, Windows line ends): put it in the game\'s folder, the one with GTA5.exe.';
});

$('copy').addEventListener('click', async () => {
  const refused = 'The browser refused the clipboard: click in the editor, press Ctrl+A, then Ctrl+C.';
  if (state.refusal) {
    status.textContent = state.refusal;
    return;
  }
  try {
    await navigator.clipboard.writeText(editor.text);
    status.textContent = 'Copied: paste it into VornLoconaut.ini in Notepad and save it as UTF-8.';
  } catch {
    status.textContent = refused;
  }
});

$('reset').addEventListener('click', () => {
  if (editor.textarea.hidden || editor.text === state.defaultIni) {
    backToDefault();
    return;
  }
  $('confirm-reset').hidden = false;
  $('reset-yes').focus();
});
$('reset-yes').addEventListener('click', backToDefault);
$('reset-no').addEventListener('click', () => {
  $('confirm-reset').hidden = true;
  $('reset').focus();
});

// The first chart takes its picture's place in the next frame, the other charts follow in the one
// after, and the settings and their report fill the first screen; the engine is read after that.
ride.start(encode(state.defaultIni));
charts.update(state.drives);
requestAnimationFrame(() => setTimeout(() => {
  const last = restored();
  if (last && last.text !== state.defaultIni) {
    showRestored(last);
  } else {
    showText(state.defaultIni);
    analyse(encode(state.defaultIni), 'default');
  }
}));

// A folder's VornLoconaut.ini with mistakes opens here, where the report names each; so do the
// settings a ride recording was made with. The report a player copies carries the recording's summary.
const underYourSettings = (file) => {
  openFile(file);
  $('settings').scrollIntoView();
};
const diagnose = new Diagnose($('diagnose'), engine, underYourSettings);
const recording = new RecordingView($('recording'), engine, uPlot, underYourSettings, () => diagnose.refreshReport());
diagnose.appendices.push(() => recording.state.summary);
