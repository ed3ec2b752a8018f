// The drives as charts: speed against time at full throttle, speed against distance while braking,
// and the highest steady speed against the radius of a bend; the player's settings beside the defaults.
import uPlot from 'uplot';
import { RADII } from './drives.js';
import { grouped } from './numbers.js';
const KMH = 3.6;

const YOURS = '#d9480f';
const YOURS_SECOND = '#1c7ed6';
const DEFAULT = '#868e96';

const kmh = (v) => (v === null || v === undefined ? null : Math.round(v * KMH * 10) / 10);
const seconds = (t) => `${t.toFixed(1)} s`;
const metres = (d) => `${Math.round(d)} m`;

// Labels only: a value per series under the chart would just repeat the summary.
const LEGEND = { live: false };

// The axes' text in the page's small size (uPlot's own is 12 px): one size fewer for the browser to
// look up before the first frame, which shows the build's picture of a chart (chart-picture.mjs).
export const AXIS_FONT_SIZE = 13.5;
// uPlot's own font families, kept.
export const AXIS_FONT_FAMILY = "system-ui, -apple-system, 'Segoe UI', Roboto, 'Helvetica Neue', Arial, 'Noto Sans', sans-serif";
const AXIS_FONT = `${AXIS_FONT_SIZE}px ${AXIS_FONT_FAMILY}`;

// An axis labelled in the page's own numbers, not uPlot's, which would call on Intl.
const axis = (label) => ({
  label, font: AXIS_FONT, labelFont: `bold ${AXIS_FONT}`,
  values: (plot, splits) => splits.map((v) => (v === null ? '' : grouped(v))),
});

function series(label, stroke, dashed) {
  return { label, stroke, width: 2, dash: dashed ? [6, 4] : undefined, spanGaps: true, points: { show: false } };
}

// Columns of equal length, the shorter padded with nulls, for uPlot's shared x.
function padded(columns) {
  const length = Math.max(...columns.map((c) => c.length));
  return columns.map((c) => c.concat(Array(length - c.length).fill(null)));
}

// The handbrake's last frame sets the stop value where the brake runs on through zero: the two
// differ only in that frame's few centimetres.
function sameCurve(a, b) {
  const last = a.distance.length - 1;
  return last === b.distance.length - 1 && a.distance.every((d, i) => (i < last
    ? d === b.distance[i] && a.speed[i] === b.speed[i] : Math.abs(d - b.distance[i]) < 0.1));
}

// Speed at `distance` along a braking curve, or null beyond its stop.
function speedAt(curve, distance) {
  const d = curve.distance;
  if (d.length === 0 || distance > d[d.length - 1]) return null;
  let i = 1;
  while (i < d.length && d[i] < distance) i += 1;
  if (i >= d.length) return curve.speed[d.length - 1];
  const span = d[i] - d[i - 1];
  const u = span > 0 ? (distance - d[i - 1]) / span : 0;
  return curve.speed[i - 1] + (curve.speed[i] - curve.speed[i - 1]) * u;
}

const CHARTS = {
  acceleration: {
    options: () => ({
      scales: { x: { time: false } },
      legend: LEGEND,
      axes: [axis('s'), axis('km/h')],
      series: [{ label: 'time' }, series('yours', YOURS), series('default', DEFAULT, true)],
    }),
    data(yours, byDefault) {
      const time = [yours, byDefault].filter(Boolean).reduce((a, r) => (r.time.length > a.length ? r.time : a), []);
      const columns = padded([time, ...[yours, byDefault].map((r) => (r ? r.speed.map(kmh) : []))]);
      return columns;
    },
    summary(yours, byDefault) {
      const after = (t) => (t === null ? 'not reached' : `after ${seconds(t)}`);
      const text = (r) => (r.error ? r.error : `100 km/h ${after(r.timeTo100)}, the top speed of ${kmh(r.topSpeed)} km/h ${after(r.timeToTop)}${r.note ? `; ${r.note}` : ''}`);
      return [yours && `yours: ${text(yours)}`, byDefault && `default: ${text(byDefault)}`].filter(Boolean).join('; ');
    },
  },
  braking: {
    // The brake and the handbrake slow a train alike until it stops; only the handbrake then holds
    // it. Two lines that coincide are drawn as one, labelled so.
    series(yours, byDefault) {
      const lines = [];
      for (const [set, who, stroke, second, dashed] of [[yours, 'yours', YOURS, YOURS_SECOND, false],
        [byDefault, 'default', DEFAULT, '#495057', true]]) {
        if (!set) continue;
        if (sameCurve(set.brake, set.handbrake)) {
          lines.push({ curve: set.brake, series: series(`${who}: brake = handbrake`, stroke, dashed) });
        } else {
          lines.push({ curve: set.brake, series: series(`brake, ${who}`, stroke, dashed) });
          lines.push({ curve: set.handbrake, series: series(`handbrake, ${who}`, second, dashed) });
        }
      }
      return lines;
    },
    options(lines) {
      return {
        scales: { x: { time: false } },
        legend: LEGEND,
        axes: [axis('m'), axis('km/h')],
        series: [{ label: 'distance' }, ...lines.map((l) => l.series)],
      };
    },
    data(lines) {
      const distances = [...new Set(lines.flatMap((l) => l.curve.distance.map((d) => Math.round(d * 10) / 10)))]
        .sort((a, b) => a - b);
      return [distances, ...lines.map((l) => distances.map((d) => kmh(speedAt(l.curve, d))))];
    },
    summary(yours, byDefault) {
      const stop = (c) => (c.note ? c.note : c.stopDistance === null ? 'no stop' : `stops in ${metres(c.stopDistance)}, ${seconds(c.stopTime)}`);
      const text = (r) => (r.error ? r.error : sameCurve(r.brake, r.handbrake)
        ? `from ${kmh(r.from)} km/h, brake or handbrake: ${stop(r.brake)}`
        : `from ${kmh(r.from)} km/h, brake: ${stop(r.brake)}, handbrake: ${stop(r.handbrake)}`);
      const alike = [yours, byDefault].some((r) => r && !r.error && sameCurve(r.brake, r.handbrake));
      return [yours && `yours: ${text(yours)}`, byDefault && `default: ${text(byDefault)}`].filter(Boolean).join('; ') +
        (alike ? '. The brake and the handbrake slow a train alike; the handbrake also holds it at a standstill' : '');
    },
  },
  bend: {
    options: () => ({
      scales: { x: { time: false, distr: 3 } },
      legend: LEGEND,
      axes: [axis('bend radius, m'), axis('km/h')],
      series: [{ label: 'radius' }, series('yours', YOURS), series('default', DEFAULT, true)],
    }),
    data(yours, byDefault) {
      const column = (set) => RADII.map((r) => (set && set[r] && !set[r].error ? kmh(set[r].speed) : null));
      return [RADII, column(yours), column(byDefault)];
    },
    summary(yours, byDefault) {
      const at = (set, r) => (set && set[r] ? (set[r].error ? set[r].error : `${kmh(set[r].speed)} km/h${set[r].capped ? ' (top speed, no derailment)' : ''}`) : '...');
      return `on a 100 m bend: yours ${at(yours, 100)}, default ${at(byDefault, 100)}`;
    },
  },
};

// A chart's size: as wide as its place, within these bounds.
export const CHART_SIZE = { least: 260, most: 520, height: 220 };

// A chart's uPlot options, its columns and its summary, for the player's runs and the defaults'.
export function chartOf(name, mine, theirs) {
  const chart = CHARTS[name];
  const usable = (r) => (name === 'bend' ? r : r && !r.error ? r : undefined);
  const summary = `(${chart.summary(mine, theirs)})`;
  if (chart.series) {
    const lines = chart.series(usable(mine), usable(theirs));
    return { options: chart.options(lines), data: chart.data(lines), summary };
  }
  return { options: chart.options(), data: chart.data(usable(mine), usable(theirs)), summary };
}

export class Charts {
  constructor(root, onFirstData) {
    this.root = root;
    this.onFirstData = onFirstData;
    this.plots = new Map();
    this.latest = null;
    this.scheduled = false;
    this.begun = false;
  }

  // The first chart alone, so that it takes its picture's place at once; the others follow.
  drawFirst(drives) {
    this.begun = true;
    this.draw(drives, 1);
  }

  // Redrawn at most once a frame, however fast the runs come in. Unless the first chart is drawn
  // already, the very first frame draws it alone, so it shows at once; the others follow in the next.
  update(drives) {
    this.latest = drives;
    if (this.scheduled) return;
    this.scheduled = true;
    requestAnimationFrame(() => {
      this.scheduled = false;
      if (this.begun) {
        this.draw(this.latest);
      } else {
        this.drawFirst(this.latest);
        this.update(this.latest);
      }
    });
  }

  draw(drives, most = Infinity) {
    let drawn = 0;
    const byDefault = drives.default;
    const yours = drives.yours === 'default' ? byDefault : drives.yours;
    for (const kindRoot of this.root.querySelectorAll('.kind')) {
      const kind = kindRoot.dataset.kind;
      for (const name of Object.keys(CHARTS)) {
        if (drawn === most) return;
        const mine = yours ? yours[kind][name] : undefined;
        const theirs = byDefault ? byDefault[kind][name] : undefined;
        const bend = name === 'bend';
        const target = kindRoot.querySelector(`.chart[data-chart="${name}"]`);
        const statement = kindRoot.querySelector(`.statement[data-chart="${name}"]`);
        // A train the plug-in does not recognise is not driven: its charts give way to the reason.
        const refusal = mine && (mine.error || (bend && Object.values(mine).find((r) => r.error)?.error));
        statement.hidden = !refusal;
        statement.textContent = refusal || '';
        target.hidden = Boolean(refusal);
        kindRoot.querySelector(`.summary[data-chart="${name}"]`).hidden = Boolean(refusal);
        if (refusal) continue;
        const has = (r) => r && !r.error && (bend ? Object.keys(r).length > 0 : true);
        if (!has(mine) && !has(theirs)) continue;
        drawn += 1;
        const { options, data, summary } = chartOf(name, mine, theirs);
        const key = `${kind}/${name}`;
        const shape = options.series.map((s) => s.label).join('|');
        let plot = this.plots.get(key);
        if (plot && plot.shape !== shape) {
          plot.destroy();
          plot = undefined;
        }
        if (!plot) {
          // The picture the page's build drew of the first chart gives way to the chart.
          target.querySelector('.chart-picture')?.remove();
          const width = Math.max(CHART_SIZE.least, Math.min(CHART_SIZE.most, target.clientWidth || 440));
          plot = new uPlot({ ...options, width, height: CHART_SIZE.height }, data, target);
          plot.shape = shape;
          this.plots.set(key, plot);
        } else {
          plot.setData(data);
        }
        target.dataset.points = String(data[0].length);
        kindRoot.querySelector(`.summary[data-chart="${name}"]`).textContent = summary;
        if (data[0].length > 0 && this.onFirstData) {
          this.onFirstData();
          this.onFirstData = null;
        }
      }
    }
  }
}
