// The "Why nothing happens" section: takes a game folder (chosen or dropped) or the two logs
// (opened, dropped or pasted), has gamefiles.js and folder.js read them and findings.js judge them, and shows the
// findings and the report a player copies into a bug report. The game folder's VornLoconaut.ini
// goes through the plug-in's own settings report, in a worker of its own, so the settings section
// above keeps its own file.
/* global VORN_RELEASE */
import { entriesFromDirectory, entriesFromInput, readLogs } from './gamefiles.js';
import { logsOnly, readGameFolder } from './folder.js';
import { diagnose, redact, reportText } from './findings.js';
import { readText } from './logs.js';
import { dropZone } from './drop.js';
import { grouped } from './numbers.js';

const RELEASE = VORN_RELEASE;

function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

export class Diagnose {
  constructor(section, engineUrl, showIni) {
    this.engineUrl = engineUrl;
    this.showIni = showIni;
    this.worker = null;
    this.pendingReports = new Map();
    this.reportId = 0;
    this.run = 0;
    this.facts = null;
    const $ = (selector) => section.querySelector(selector);
    this.ui = {
      folder: $('#game-folder'), logs: $('#game-logs'), paste: $('#log-paste'), drop: $('#diagnose-drop'),
      status: $('#diagnose-status'), findings: $('#findings'), unchecked: $('#unchecked'), uncheckedList: $('#unchecked ul'),
      copy: $('#copy-report'), copied: $('#copy-status'), report: $('#report-text'), reportBox: $('#report'),
    };
    // What other parts of the page add to the report a player copies (the ride recording's summary).
    this.appendices = [];
    // What the tests and a curious player can look at from the console.
    this.state = { run: 0, done: 0, codes: [], result: null, report: '', timings: {}, bytesRead: 0, errors: [] };
    window.vornDiagnose = this.state;

    // The file inputs are hidden behind real buttons, which the keyboard reaches.
    $('#choose-folder').addEventListener('click', () => this.ui.folder.click());
    $('#open-logs').addEventListener('click', () => this.ui.logs.click());
    this.ui.folder.addEventListener('change', () => {
      if (this.ui.folder.files.length > 0) this.fromFolder(() => entriesFromInput(this.ui.folder.files));
    });
    this.ui.logs.addEventListener('change', () => {
      if (this.ui.logs.files.length > 0) this.fromLogs([...this.ui.logs.files]);
    });
    let typing = 0;
    this.ui.paste.addEventListener('input', () => {
      clearTimeout(typing);
      typing = setTimeout(() => this.fromPaste(this.ui.paste.value), 300);
    });
    dropZone(this.ui.drop, (dropped) => {
      const directory = [...dropped.items].map((item) => item.webkitGetAsEntry?.()).find((entry) => entry?.isDirectory);
      if (directory) this.fromFolder(() => entriesFromDirectory(directory));
      else if (dropped.files.length > 0) this.fromLogs([...dropped.files]);
    });
    this.ui.copy.addEventListener('click', () => this.copy());
  }

  begin(what) {
    this.run += 1;
    this.state.run = this.run;
    this.started = performance.now();
    this.ui.status.textContent = what;
    this.ui.findings.replaceChildren();
    this.ui.unchecked.hidden = true;
    this.ui.reportBox.hidden = true;
    return this.run;
  }

  async fromFolder(list) {
    const run = this.begin('Reading the game folder ...');
    try {
      const listed = await list();
      if (run !== this.run) return;
      if (!listed.folder) {
        this.ui.status.textContent = 'Choose a folder, not single files: the game folder, the one that holds GTA5.exe or GTA5_Enhanced.exe.';
        return;
      }
      this.ui.status.textContent = `Reading ${listed.folder}: ${grouped(listed.files)} files ...`;
      const facts = await readGameFolder(listed, RELEASE);
      if (run !== this.run) return;
      await this.judge(run, facts);
    } catch (error) {
      this.failed(run, error);
    }
  }

  async fromLogs(files) {
    const run = this.begin('Reading the logs ...');
    try {
      // Logs add to logs given before; a folder starts afresh.
      const facts = this.facts?.mode === 'logs' ? this.facts : logsOnly();
      facts.unreadable = [];
      await readLogs(facts, files);
      if (run !== this.run) return;
      await this.judge(run, facts);
    } catch (error) {
      this.failed(run, error);
    }
  }

  async fromPaste(text) {
    if (text.trim() === '') return;
    const run = this.begin('Reading the pasted log ...');
    const facts = this.facts?.mode === 'logs' ? this.facts : logsOnly();
    facts.unreadable = [];
    const logs = readText('the pasted text', text);
    if (logs.length === 0) facts.unreadable.push('The pasted text is neither ScriptHookV.log nor asiloader.log: none of its lines is one of theirs.');
    for (const log of logs) facts.logs[log.kind] = log;
    await this.judge(run, facts);
  }

  failed(run, error) {
    if (run !== this.run) return;
    this.state.errors.push(String(error?.message || error));
    this.ui.status.textContent = `The page could not read this (${error?.message || error}).`;
    this.state.done = run;
  }

  async settingsReport(bytes) {
    if (!this.worker) {
      this.worker = new Worker(await this.engineUrl);
      this.worker.onmessage = ({ data }) => {
        const pending = this.pendingReports.get(data.id);
        if (!pending) return;
        this.pendingReports.delete(data.id);
        if (data.type === 'report') pending.resolve(data.report);
        else pending.reject(new Error(data.message));
      };
    }
    this.reportId += 1;
    const id = this.reportId;
    return new Promise((resolve, reject) => {
      this.pendingReports.set(id, { resolve, reject });
      this.worker.postMessage({ type: 'report', id, ini: bytes });
    });
  }

  async judge(run, facts) {
    this.facts = facts;
    const gameIni = facts.inis.find((i) => i.where === 'game' && i.bytes);
    let report = null;
    if (gameIni) {
      try {
        report = await this.settingsReport(gameIni.bytes);
      } catch (error) {
        facts.unreadable.push(`The plug-in's reader stopped on VornLoconaut.ini (${error.message}).`);
      }
    }
    if (run !== this.run) return;
    const result = diagnose(facts, RELEASE, report);
    const text = this.fullReport(facts, result);
    this.render(result, text);
    const ms = performance.now() - this.started;
    Object.assign(this.state, { done: run, codes: result.findings.map((f) => f.code), result, report: text, bytesRead: facts.counter.bytes });
    this.state.timings = { ms, readMs: facts.readMs };
    const read = facts.counter.bytes > 0 ? `, ${(facts.counter.bytes / 1024).toFixed(0)} KB of its programs` : '';
    const order = result.findings.some((f) => f.kind === 'problem') ? ' What it found, the most likely cause first:' : ' What it found:';
    this.ui.status.textContent = facts.mode === 'folder'
      ? `The page read the folder ${facts.picked} in ${(ms / 1000).toFixed(1)} s (the names of ${grouped(facts.files)} files${read}).${order}`
      : `The page read ${[facts.logs.hook, facts.logs.loader].filter(Boolean).map((l) => l.name).join(' and ') || 'nothing'} in ${(ms / 1000).toFixed(1)} s.${order}`;
  }

  fullReport(facts, result) {
    return [reportText(facts, result, RELEASE), ...this.appendices.map((add) => add())].filter(Boolean).join('\n\n');
  }

  // The report again, once what the other parts add to it has changed.
  refreshReport() {
    if (!this.state.result) return;
    this.state.report = this.fullReport(this.facts, this.state.result);
    this.ui.report.textContent = this.state.report;
  }

  render(result, text) {
    const list = this.ui.findings;
    list.replaceChildren();
    for (const f of result.findings) {
      const item = element('li', `finding ${f.kind}`);
      item.dataset.finding = f.code;
      if (f.guess) item.classList.add('guess');
      item.append(element('p', 'saw', redact(f.saw)), element('p', 'todo', redact(f.todo)));
      if (f.list) {
        const mistakes = element('ul');
        for (const m of f.list) mistakes.append(element('li', null, m));
        if (f.more) mistakes.append(element('li', 'more', `and ${grouped(f.more)} more`));
        item.append(mistakes);
      }
      if (f.ini) {
        const button = element('button', 'show-ini', 'Open it under Your settings');
        button.type = 'button';
        button.addEventListener('click', () => this.showIni(f.ini.file));
        item.append(button);
      }
      list.append(item);
    }
    this.ui.uncheckedList.replaceChildren(...result.unchecked.map((u) => element('li', null, redact(u))));
    this.ui.unchecked.hidden = result.unchecked.length === 0;
    this.ui.report.textContent = text;
    this.ui.reportBox.hidden = false;
    this.ui.copied.textContent = '';
  }

  async copy() {
    const text = this.state.report;
    try {
      await navigator.clipboard.writeText(text);
    } catch {
      // A browser that keeps the clipboard from pages opened from disk still copies a selection.
      const selection = window.getSelection();
      selection.selectAllChildren(this.ui.report);
      document.execCommand('copy');
      selection.removeAllRanges();
    }
    this.ui.copied.textContent = 'Copied: paste it into your bug report.';
  }
}
