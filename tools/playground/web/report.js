// The plug-in's verdict on each key, the lines it passes over and the values that will surprise;
// first of all a summary: what the file's bytes are to the plug-in, what differs, what it ignores.
import { grouped } from './numbers.js';

// Control characters and the invisible mark U+FEFF made visible, so a stray byte shows where it sits.
export function visible(text) {
  // eslint-disable-next-line no-control-regex
  return text.replace(/[\u0000-\u0008\u000b-\u001f]/g, (c) => String.fromCharCode(0x2400 + c.charCodeAt(0)))
    .replace(/\u007f/g, '\u2421').replace(/\ufeff/g, '[U+FEFF]');
}

function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = visible(String(text));
  return node;
}

const REASONS = {
  comment: ['comment', 'comments'],
  section: ['section header', 'section headers'],
  short: ['line too short', 'lines too short'],
  unknown: ['unknown key', 'unknown keys'],
  case: ['key in the wrong case', 'keys in the wrong case'],
  repeated: ['repeated key', 'repeated keys'],
  noEquals: ['key without "="', 'keys without "="'],
  noValue: ['key with nothing after "="', 'keys with nothing after "="'],
  secondEquals: ['value cut at a second "="', 'values cut at a second "="'],
  notKeyValue: ['line that is no "key = value"', 'lines that are no "key = value"'],
  mark: ['key behind an invisible character', 'keys behind an invisible character'],
};
// Lines that are meant to be passed over; the rest are a player's slips.
const MEANT = ['comment', 'section'];
// Slips that leave a key the plug-in does not know.
const UNKNOWN = ['unknown', 'case', 'mark'];

const plural = (count, one, many) => `${grouped(count)} ${count === 1 ? one : many}`;

export function sameValue(key) {
  if (key.type === 'models' || key.type === 'control') return key.value === key.default;
  return Number(key.value) === Number(key.default);
}

// A line supplied the key, but the plug-in could not read or take its value, so the default holds
// (or, for a key or button another action keeps, none). A key no line supplies, even one written
// in the wrong case, keeps its default as meant.
export const unreadable = (key) => key.line !== null && /^(default|none):/.test(key.why);

// A row, a list item: a click or Enter selects its line in the editor.
function linkLine(node, line, onLine) {
  if (!line) return;
  node.dataset.line = line;
  node.tabIndex = 0;
  node.classList.add('goes-to-line');
  node.addEventListener('click', () => onLine(line));
  node.addEventListener('keydown', (event) => {
    if (event.key === 'Enter') {
      event.preventDefault();
      onLine(line);
    }
  });
}

// The key a note is about: every note starts with it.
function noteKey(note) {
  return note.slice(0, note.indexOf(':'));
}

export function renderReport(report, { keys, surprises, ignored, ignoredSummary }, onLine) {
  // A file that is not text has no lines to list, only garbage.
  const notText = report.encoding.name === 'not-text';
  keys.replaceChildren();
  let optional = false;
  for (const key of report.keys) {
    if (key.optional && !optional) {
      optional = true;
      const head = element('tr', 'group');
      const cell = element('td', null, 'Not in the default file: add a line to move an action to another key or button');
      cell.colSpan = 4;
      head.append(cell);
      keys.append(head);
    }
    const row = element('tr');
    row.dataset.key = key.key;
    if (!sameValue(key)) row.classList.add('changed');
    if (unreadable(key)) row.classList.add('fallback');
    if (key.notes.length > 0) row.classList.add('surprise');
    const name = element('td', 'key');
    name.append(element('code', 'name', key.key));
    if (key.notes.length > 0) name.append(' ', element('span', 'mark', '!'));
    if (key.meaning) name.append(element('span', 'meaning', key.meaning));
    const value = element('td', 'value');
    // Model lists may break after a comma, and nowhere else.
    const parts = String(key.value).split(',');
    parts.forEach((part, i) => {
      value.append(element('span', 'number', i < parts.length - 1 ? `${part},` : part));
      if (i < parts.length - 1) value.append(document.createElement('wbr'));
    });
    if (key.unitText) value.append(' ', element('span', 'unit', key.unitText));
    row.append(name, value, element('td', 'default', key.default), element('td', 'from', key.why));
    for (const [cell, label] of [...row.children].map((c, i) => [c, ['Key', 'In force', 'Default', 'From'][i]])) {
      cell.dataset.label = label;
    }
    linkLine(row, key.line, onLine);
    keys.append(row);
  }

  const lineOf = new Map(report.keys.map((k) => [k.key, k.line]));
  surprises.replaceChildren();
  for (const note of report.surprises) {
    const item = element('li', null, note);
    linkLine(item, lineOf.get(noteKey(note)), onLine);
    surprises.append(item);
  }
  if (report.surprises.length === 0) surprises.append(element('li', 'none', 'Nothing unexpected.'));

  ignored.replaceChildren();
  if (notText) {
    ignoredSummary.textContent = 'None to list: the file is not text.';
    return;
  }
  for (const line of report.ignored) {
    const item = element('li');
    item.dataset.reason = line.reason;
    item.append(element('span', 'line', `line ${line.line}`), ' ', element('code', null, line.text), ': ',
      element('span', 'why', line.why));
    if (line.suggestion) item.append(' ', element('span', 'suggestion', `(did you mean ${line.suggestion}?)`));
    linkLine(item, line.line, onLine);
    ignored.append(item);
  }
  const counts = Object.entries(report.ignoredByReason)
    .map(([reason, count]) => `${grouped(count)} ${(REASONS[reason] || [reason, reason])[count === 1 ? 0 : 1]}`);
  const listed = report.ignored.length < report.ignoredTotal ? ` The first ${report.ignored.length} are listed.` : '';
  ignoredSummary.textContent = report.ignoredTotal === 0
    ? 'None: every line that is not blank counts.'
    : `${grouped(report.ignoredTotal)} of ${grouped(report.lineCount)} lines: ${counts.join(', ')}.${listed}`;
}

const SOURCES = {
  default: 'The default file, as the plug-in writes it',
  typed: 'Typed or pasted here: judged as the UTF-8 that "Save VornLoconaut.ini" writes',
  restored: 'Your last edit, kept by this browser: judged as the UTF-8 that "Save VornLoconaut.ini" writes',
  converted: 'The text as it will be once saved as UTF-8 (as "Save VornLoconaut.ini" writes it)',
};

// The first thing a player reads: can the plug-in read the file at all, what differs from the
// defaults, which lines it ignores, what will surprise. `source` says where the bytes came from.
export function renderSummary(report, root, { source, name, onConvert, onLine }) {
  const { encoding } = report;
  root.replaceChildren();
  const head = element('p', 'encoding');
  if (source === 'file') {
    head.append(element('strong', null, `${name}: ${encoding.label}.`), ' ', encoding.says);
  } else {
    head.append(element('strong', null, `${SOURCES[source]}.`), ' ', encoding.says);
  }
  if (encoding.advice) head.append(' ', element('span', 'advice', encoding.advice));
  if (source === 'file' && encoding.level === 'error' && onConvert) {
    const convert = element('button', null, 'Check the text as UTF-8');
    convert.type = 'button';
    convert.addEventListener('click', onConvert);
    head.append(' ', convert);
  }

  const unread = report.keys.filter(unreadable);
  const slips = Object.entries(report.ignoredByReason).filter(([reason]) => !MEANT.includes(reason))
    .reduce((sum, [, count]) => sum + count, 0);
  const unknown = UNKNOWN.reduce((sum, reason) => sum + (report.ignoredByReason[reason] || 0), 0);
  // The bar beside the summary is green only for a file the plug-in reads as it is, with nothing to mend.
  const calm = unread.length === 0 && slips === 0 && report.surprises.length === 0;
  head.classList.add(encoding.level === 'ok' && !calm ? 'warning' : encoding.level);
  root.append(head);
  if (encoding.name === 'not-text') return;

  const list = element('ul', 'counts');
  const differing = report.keys.filter((k) => !sameValue(k));
  const changed = element('li', null, differing.length === 0 ? 'Every setting is at its default.'
    : `${plural(differing.length, 'setting differs', 'settings differ')} from the defaults: `);
  differing.slice(0, 6).forEach((k, i) => changed.append(i > 0 ? ', ' : '', element('code', null, k.key)));
  if (differing.length > 6) changed.append(`, and ${differing.length - 6} more`);
  list.append(changed);

  if (unread.length > 0) {
    const item = element('li', 'attention',
      `${plural(unread.length, 'value', 'values')} the plug-in cannot read or take, so the default holds: `);
    unread.slice(0, 6).forEach((k, i) => item.append(i > 0 ? ', ' : '', element('code', null, k.key)));
    list.append(item);
  }

  if (unknown > 0) {
    const item = element('li', 'attention', `${plural(unknown, 'key', 'keys')} the plug-in does not know: `);
    report.ignored.filter((l) => UNKNOWN.includes(l.reason)).slice(0, 6).forEach((l, i) => {
      // Blanks trimmed, not the invisible U+FEFF, which is the slip.
      item.append(i > 0 ? ', ' : '', element('code', null, l.text.split('=')[0].replace(/^[ \t]+|[ \t]+$/g, '')), ` (line ${l.line})`);
    });
    item.append(unknown > 6 ? ', and more' : '', '.');
    list.append(item);
  }

  const others = slips - unknown;
  const meant = report.ignoredTotal - slips;
  list.append(element('li', others > 0 ? 'attention' : null,
    `${others === 0 ? 'No other line' : plural(others, 'other line', 'other lines')} the plug-in ignores by mistake` +
    (meant > 0 ? ` (besides ${plural(meant, 'comment or section header', 'comments and section headers')})` : '') +
    (others > 0 ? ': see "Lines the plug-in passes over" below.' : '.')));

  const surprises = element('li', report.surprises.length > 0 ? 'attention' : null,
    report.surprises.length === 0 ? 'No value that will surprise.' : `${plural(report.surprises.length, 'value', 'values')} that will surprise:`);
  if (report.surprises.length > 0) {
    const first = element('ul', 'notes');
    const lineOf = new Map(report.keys.map((k) => [k.key, k.line]));
    for (const note of report.surprises.slice(0, 4)) {
      const item = element('li', null, note);
      linkLine(item, lineOf.get(noteKey(note)), onLine);
      first.append(item);
    }
    if (report.surprises.length > 4) first.append(element('li', 'more', `and ${report.surprises.length - 4} more below`));
    surprises.append(first);
  }
  list.append(surprises);
  root.append(list);
}
