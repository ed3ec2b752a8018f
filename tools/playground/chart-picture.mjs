// The first chart as a picture, made by the page's build: an SVG laid out as uPlot lays out the
// page's charts (the plot's box, the axes with their steps, values and labels, the legend under
// it), which the browser shows with the first screen, before any script runs; the live chart takes
// its place when the page's script draws it. What the charts use, and no more: linear numeric
// scales, one axis at the bottom and one on the left, each with a label, and lines with or without
// a dash.
import uPlot from 'uplot';
import { AXIS_FONT_FAMILY, AXIS_FONT_SIZE } from './web/charts.js';

// uPlot's defaults: an axis's size and its label's, a tick's length, the gap from tick to value, the
// least distance between two steps, the plot's padding where no axis is, the grid's colour.
const AXIS = 50;
const LABEL = 30;
const TICK = 10;
const GAP = 5;
const SPACE = { x: 50, y: 30 };
const PAD = { top: Math.round(AXIS / 3), right: Math.round(AXIS / 2) };
const GRID = 'rgba(0,0,0,0.07)';

const escaped = (text) => String(text).replaceAll('&', '&amp;').replaceAll('<', '&lt;').replaceAll('>', '&gt;').replaceAll('"', '&quot;');
const decimals = (step) => (String(step).split('.')[1] || '').length;
const fixed = (v) => Number(v.toFixed(1));

// The steps uPlot chooses from (1, 2, 2.5 and 5 times a power of ten): the smallest that keeps the
// values `space` pixels apart, and the values it gives within [min, max].
function steps(min, max, pixels, space) {
  for (let exp = -16; exp <= 16; exp += 1) {
    for (const mult of [1, 2, 2.5, 5]) {
      const step = Number((mult * 10 ** exp).toFixed(Math.max(0, 1 - exp)));
      if (pixels * step / (max - min) < space) continue;
      const values = [];
      for (let k = Math.ceil(Number((min / step).toFixed(9))); k * step <= max + step * 1e-9; k += 1) {
        values.push(Number((k * step).toFixed(decimals(step))));
      }
      return values;
    }
  }
  return [];
}

// The line through the points, without those that lie within a fifth of a pixel of it.
function simplified(points) {
  if (points.length < 3) return points;
  const [ax, ay] = points[0];
  const [bx, by] = points[points.length - 1];
  const length = Math.hypot(bx - ax, by - ay) || 1;
  let far = 0;
  let at = 0;
  for (let i = 1; i < points.length - 1; i += 1) {
    const d = Math.abs((bx - ax) * (ay - points[i][1]) - (ax - points[i][0]) * (by - ay)) / length;
    if (d > far) [far, at] = [d, i];
  }
  if (far <= 0.2) return [points[0], points[points.length - 1]];
  return [...simplified(points.slice(0, at + 1)).slice(0, -1), ...simplified(points.slice(at))];
}

// A text at (x, y): `anchor` its horizontal alignment, `baseline` its vertical one, as SVG names them.
const label = (x, y, anchor, baseline, text, more = '') =>
  `<text x="${x}" y="${y}" text-anchor="${anchor}" dominant-baseline="${baseline}"${more}>${escaped(text)}</text>`;

// `options` and `data` as the page hands them to uPlot, at `width` by `height` pixels.
export function chartPicture({ options, data }, width, height) {
  if (options.axes.length !== 2 || options.scales.x.distr !== undefined) {
    throw new Error('chartPicture: only a chart with linear scales and two axes');
  }
  const left = AXIS + LABEL;
  const top = PAD.top;
  const plotWidth = width - left - PAD.right;
  const plotHeight = height - AXIS - LABEL - top;
  const bottom = top + plotHeight;
  const xs = data[0];
  const ys = data.slice(1).flat().filter((v) => v !== null && v !== undefined);
  const [x0, x1] = [Math.min(...xs), Math.max(...xs)];
  const [y0, y1] = uPlot.rangeNum(Math.min(...ys), Math.max(...ys), 0.1, true);
  const px = (v) => fixed(left + (v - x0) / (x1 - x0) * plotWidth);
  const py = (v) => fixed(top + (1 - (v - y0) / (y1 - y0)) * plotHeight);
  const [xAxis, yAxis] = options.axes;
  const xSteps = steps(x0, x1, plotWidth, SPACE.x);
  const ySteps = steps(y0, y1, plotHeight, SPACE.y);
  const xValues = xAxis.values(null, xSteps);
  const yValues = yAxis.values(null, ySteps);
  // The grid with the ticks, then the values at the ticks and the axes' labels.
  const grid = [...xSteps.map((v) => `M${px(v)} ${top}V${bottom + TICK}`), ...ySteps.map((v) => `M${left - TICK} ${py(v)}H${left + plotWidth}`)];
  const bold = ' font-weight="bold"';
  const text = [
    ...xSteps.map((v, i) => label(px(v), bottom + TICK + GAP, 'middle', 'text-before-edge', xValues[i])),
    ...ySteps.map((v, i) => label(left - TICK - GAP, py(v), 'end', 'central', yValues[i])),
    label(fixed(left + plotWidth / 2), bottom + AXIS, 'middle', 'text-before-edge', xAxis.label, bold),
    label(0, 0, 'middle', 'text-after-edge', yAxis.label, `${bold} transform="translate(${LABEL} ${fixed(top + plotHeight / 2)}) rotate(-90)"`),
  ];
  const series = options.series.slice(1).map((s, i) => {
    const points = xs.map((x, j) => [x, data[i + 1][j]]).filter(([, y]) => y !== null && y !== undefined).map(([x, y]) => [px(x), py(y)]);
    if (points.length === 0) return '';
    const dash = s.dash ? ` stroke-dasharray="${s.dash.join(' ')}"` : '';
    const path = simplified(points).map(([x, y]) => `${x} ${y}`).join('L');
    return `<path d="M${path}" stroke="${s.stroke}" stroke-width="${s.width}"${dash} stroke-linejoin="round"/>`;
  });
  const legend = options.series.slice(1).map((s) => '<tr class="u-series"><th>' +
    `<div class="u-marker" style="border:2px solid ${s.stroke}"></div><div class="u-label">${escaped(s.label)}</div></th></tr>`);
  return `<div class="chart-picture"><svg width="${width}" height="${height}" viewBox="0 0 ${width} ${height}" aria-hidden="true" ` +
    `font-family="${AXIS_FONT_FAMILY}" font-size="${AXIS_FONT_SIZE}" fill="none"><path d="${grid.join('')}" stroke="${GRID}" stroke-width="2"/>` +
    `<g fill="#000">${text.join('')}</g>${series.join('')}</svg><table class="u-legend u-inline"><tbody>${legend.join('')}</tbody></table></div>`;
}
