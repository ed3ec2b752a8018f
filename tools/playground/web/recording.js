// "A ride you recorded": a VornLoconaut-last-ride.vlrec a player drops or opens. The engine reads it
// in a worker of its own and plays it back with the plug-in's own code; the page shows the ride over
// time with what happened in it, the settings it was made with and the settings check's notes on
// them, and hands its summary to the report a player copies. The file never leaves the page.
import { dropZone } from './drop.js';
import { grouped } from './numbers.js';
import { sameValue } from './report.js';

const KMH = 3.6;
// A recording holds at most a few minutes; anything far larger is some other file.
const LARGEST = 64 * 1024 * 1024;
const MODES = ['on foot', 'entering', 'in the cab'];
// On a phone's width the plot keeps room of its own.
const SHORT_MODES = ['foot', 'enter', 'cab'];
const MARKS = {
  entry: 'took the cab',
  exit: 'got off by the exit key',
  lost: 'the game took the player off the train',
  seat: 'changed seat',
  derailment: 'the train derailed',
  restart: 'the game reloaded',
  explosion: 'a derailed wagon exploded',
};
const MARK_COLOURS = { entry: '#2b8a3e', exit: '#1864ab', lost: '#c92a2a', seat: '#5f3dc4', derailment: '#c92a2a', restart: '#495057', explosion: '#e67700' };

const clock = (seconds) => {
  const whole = Math.max(0, Math.round(seconds * 10) / 10);
  const minutes = Math.floor(whole / 60);
  return `${minutes}:${(whole - minutes * 60).toFixed(1).padStart(4, '0')}`;
};

function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

// What happened in the ride, in words, one line a mark with its time and kind, in the order of time;
// explosions in one line at the first one's time, counted, not listed one by one.
export function markLines(view) {
  const lines = [];
  const explosions = view.marks.filter((mark) => mark.kind === 'explosion');
  for (const mark of view.marks) {
    if (mark.kind === 'explosion' && mark !== explosions[0]) continue;
    const said = mark.kind !== 'explosion' ? MARKS[mark.kind] || mark.kind
      : explosions.length === 1 ? MARKS.explosion : `the first of ${grouped(explosions.length)} explosions of derailed wagons`;
    lines.push({ kind: mark.kind, seconds: mark.seconds, text: `${clock(mark.seconds)} ${said}` });
  }
  return lines.sort((a, b) => a.seconds - b.seconds);
}

// How the plug-in on this page played the ride back, in a player's words.
function playbackWords({ same, seconds, refusedCall }) {
  if (same) return 'the plug-in here did everything it did in your game';
  const from = seconds === null ? 'from the start' : `from ${clock(seconds)} on`;
  return refusedCall ? `${from}, the plug-in here makes a call the game would refuse`
    : `${from}, the plug-in here acts differently than it did in your game: this page's version differs from yours, or that is where the fault lies`;
}

// The recording in a few lines, for the report a player copies into a bug report.
export function recordingSummary(view, name) {
  const { summary } = view;
  const out = [`Ride recording ${name}: made by Vorn Loconaut ${summary.pluginVersion}, written when ${summary.reason}` +
    `${summary.seconds === null ? '' : `, after about ${clock(summary.seconds)} of play`}.`];
  if (!summary.catalogue.same) {
    out.push(`Made with another build's natives (catalogue ${summary.catalogue.recording}, this page's ` +
      `${summary.catalogue.page}): this page does not play it back.`);
  } else {
    out.push(`Played back on this page: ${playbackWords(summary.playback)}.`);
  }
  const lines = markLines(view).map((line) => line.text);
  if (lines.length > 0) out.push(`What happened: ${lines.join('; ')}.`);
  const report = view.settings.report;
  const differing = report.keys.filter((key) => !sameValue(key)).map((key) => `${key.key} = ${key.value}`);
  out.push(`Settings (${view.settings.from}): ${differing.length === 0 ? 'every one at its default' : differing.join(', ')}.`);
  if (report.surprises.length > 0) out.push(`Settings check: ${report.surprises.join(' ')}`);
  return out.join('\n');
}

// The chart's columns: time, speed shown and commanded in km/h, risk in per cent, mode.
export function chartData(view) {
  const { time, shownSpeed, speed, risk, mode } = view.series;
  const kmh = (v) => Math.round(Math.abs(v) * KMH * 10) / 10;
  // The risk as its bar shows it: full at 1.
  return [time, shownSpeed.map(kmh), speed.map(kmh), risk.map((r) => Math.round(Math.min(Math.max(r, 0), 1) * 1000) / 10), mode];
}

export class RecordingView {
  // `engineUrl`: the engine's worker script (a promise of its address); `uPlot` the page's charts;
  // `showIni` opens a file under "Your settings"; `changed` is told when the summary changes.
  constructor(section, engineUrl, uPlot, showIni, changed) {
    this.engineUrl = engineUrl;
    this.uPlot = uPlot;
    this.showIni = showIni;
    this.changed = changed;
    this.worker = null;
    this.plot = null;
    this.request = 0;
    const $ = (selector) => section.querySelector(selector);
    this.ui = {
      file: $('#recording-file'), status: $('#recording-status'), view: $('#recording-view'), summary: $('#recording-summary'),
      chart: $('#recording-chart'), marks: $('#recording-marks'), from: $('#recording-settings-from'),
      settings: $('#recording-settings'), open: $('#recording-open-settings'),
    };
    // What the tests and a curious player can look at from the console.
    this.state = { name: null, view: null, summary: '', errors: [] };
    window.vornRecording = this.state;
    $('#open-recording').addEventListener('click', () => this.ui.file.click());
    this.ui.file.addEventListener('change', () => {
      if (this.ui.file.files.length > 0) this.open(this.ui.file.files[0]);
      this.ui.file.value = '';
    });
    dropZone($('#recording-drop'), (dropped) => {
      if (dropped.files.length > 0) this.open(dropped.files[0]);
    });
    this.ui.open.addEventListener('click', () => {
      const { view, name } = this.state;
      if (view) this.showIni(new File([view.settings.ini], `the settings of ${name}`, { type: 'text/plain' }));
    });
  }

  async open(file) {
    if (file.size > LARGEST) {
      this.ui.status.textContent = `${file.name} is ${(file.size / 1048576).toFixed(1)} MB: no ride recording is that large.`;
      return;
    }
    this.request += 1;
    const id = this.request;
    this.ui.status.textContent = `Playing ${file.name} back with the plug-in's own code ...`;
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (!this.worker) {
      this.worker = new Worker(await this.engineUrl);
      this.worker.onmessage = ({ data }) => this.answered(data);
    }
    this.pending = { id, name: file.name };
    this.worker.postMessage({ type: 'recording', id, bytes }, [bytes.buffer]);
  }

  answered(message) {
    if (!this.pending || message.id !== this.pending.id) return;
    const { name } = this.pending;
    if (message.type === 'error') {
      this.state.errors.push(message.message);
      this.ui.status.textContent = `The plug-in's engine stopped on ${name} (${message.message}).`;
      return;
    }
    const { view } = message;
    if (view.error) {
      this.ui.status.textContent = `${name} is not a ride recording this page can read: ${view.error}.`;
      this.ui.view.hidden = true;
      this.state.view = null;
      this.state.summary = '';
      this.changed();
      return;
    }
    this.state.name = name;
    this.state.view = view;
    this.state.summary = recordingSummary(view, name);
    this.ui.status.textContent = '';
    this.render(view);
    this.changed();
  }

  render(view) {
    this.ui.view.hidden = false;
    this.ui.summary.textContent = this.state.summary.split('\n').slice(0, 2).join(' ');
    this.drawChart(view);
    this.ui.marks.replaceChildren(...markLines(view).map((line) => {
      const item = element('li');
      const swatch = element('span', 'swatch');
      swatch.style.background = MARK_COLOURS[line.kind] || '#495057';
      item.append(swatch, line.text);
      return item;
    }));
    if (view.marks.length === 0) this.ui.marks.append(element('li', 'empty', 'Nothing but the ride itself: no entry, exit or derailment in it.'));

    const { report } = view.settings;
    this.ui.from.textContent = `From ${view.settings.from}.`;
    const items = [];
    for (const key of report.keys) {
      if (!sameValue(key)) {
        const item = element('li');
        item.append(element('code', null, `${key.key} = ${key.value}`), ` (default ${key.default === '' ? 'none' : key.default})`);
        items.push(item);
      }
    }
    if (items.length === 0) items.push(element('li', null, 'Every setting at its default.'));
    for (const note of report.surprises) items.push(element('li', 'attention', note));
    this.ui.settings.replaceChildren(...items);
  }

  drawChart(view) {
    const data = chartData(view);
    this.ui.chart.dataset.points = String(data[0].length);
    const marks = view.marks;
    // An axis labelled in the page's own numbers, as the other charts' are.
    const numbers = (u, splits) => splits.map((v) => (v === null ? '' : grouped(v)));
    const width = Math.max(300, Math.min(1000, this.ui.chart.clientWidth || 900));
    const modes = width < 600 ? SHORT_MODES : MODES;
    const options = {
      width,
      height: 280,
      legend: { live: false },
      scales: { x: { time: false }, kmh: {}, risk: { range: [0, 100] }, mode: { range: [-0.2, 2.2] } },
      axes: [{ label: 's', values: numbers }, { label: 'km/h', scale: 'kmh', values: numbers },
        { label: 'risk %', scale: 'risk', side: 1, grid: { show: false }, values: numbers },
        { scale: 'mode', side: 1, size: width < 600 ? 56 : 90, grid: { show: false }, splits: () => [0, 1, 2], values: (u, splits) => splits.map((v) => modes[v] || '') }],
      series: [{ label: 'time' },
        { label: 'speed shown', stroke: '#d9480f', width: 2, scale: 'kmh', points: { show: false } },
        { label: 'speed commanded', stroke: '#1c7ed6', width: 1, dash: [6, 4], scale: 'kmh', points: { show: false } },
        { label: 'derailment risk', stroke: '#c92a2a', width: 1, scale: 'risk', points: { show: false } },
        { label: 'mode', stroke: '#868e96', width: 1, scale: 'mode', paths: this.uPlot.paths.stepped({ align: 1 }), points: { show: false } }],
      hooks: {
        // A line at each thing that happened, in its colour.
        draw: [(u) => {
          const { ctx } = u;
          ctx.save();
          for (const mark of marks) {
            const x = u.valToPos(mark.seconds, 'x', true);
            ctx.strokeStyle = MARK_COLOURS[mark.kind] || '#495057';
            ctx.lineWidth = 2;
            ctx.beginPath();
            ctx.moveTo(x, u.bbox.top);
            ctx.lineTo(x, u.bbox.top + u.bbox.height);
            ctx.stroke();
          }
          ctx.restore();
        }],
      },
    };
    if (this.plot) this.plot.destroy();
    this.plot = new this.uPlot(options, data, this.ui.chart);
  }
}
