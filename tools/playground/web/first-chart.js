// The first chart, drawn while the browser is still reading the page. The build puts this script
// right after the chart's place, with uPlot and the charts' code: it reads the defaults' data (a JSON
// block in the page's head) and draws their full-throttle run at once, before the browser has read
// the page's script and the engine that follow. The page's script takes over the data and the charts
// and draws the rest.
import uPlot from 'uplot';
import { Charts } from './charts.js';

const defaults = JSON.parse(document.getElementById('vorn-defaults').textContent);
const charts = new Charts(document.querySelector('#drives'), () => {
  charts.firstChartAt = performance.now();
});
// Handed over first: should the drawing fail, the page's script still has its data and charts, and
// the settings check works on. uPlot goes with them, for the page's other charts.
window.vornFirstChart = { defaults, charts, uPlot };
charts.drawFirst({ yours: null, default: defaults.drives });
