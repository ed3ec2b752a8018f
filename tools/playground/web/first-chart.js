// The first chart, drawn while the browser is still reading the page. The build puts this script
// right after the chart's place, with uPlot, the charts' code and the defaults' full-throttle run
// only: it draws the real chart at once, before the browser has read the defaults' data, the page's
// script and the engine that follow. The page's script takes these charts over and draws the rest.
/* global VORN_FIRST_DRIVES */
import { Charts } from './charts.js';

const charts = new Charts(document.querySelector('#drives'), () => {
  charts.firstChartAt = performance.now();
});
// Handed over first: should the drawing fail, the page's script still has its charts, and the
// settings check works on.
window.vornCharts = charts;
charts.drawFirst({ yours: null, default: VORN_FIRST_DRIVES });
