// The plug-in's verdict on each key, the lines it passes over and the values that will surprise;
// first of all a summary: what the file's bytes are to the plug-in, what differs, what it ignores.

// Control characters and the invisible byte-order mark made visible, so a stray byte shows where it sits.
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
  mark: ['key behind a byte-order mark', 'keys behind a byte-order mark'],
};
// Lines that are meant to be passed over; the rest are a player's slips.
const MEANT = ['comment', 'section'];

const plural = (count, one, many) => `${count.toLocaleString('en')} ${count === 1 ? one : many}`;

export function sameValue(key) {
  if (key.type === 'models') return key.value === key.default;
  return Number(key.value) === Number(key.default);
}

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
  keys.replaceChildren();
  for (const key of report.keys) {
    const row = element('tr');
    row.dataset.key = key.key;
    if (!sameValue(key)) row.classList.add('changed');
    if (key.why.startsWith('default:') && key.why !== 'default: no line supplies it') row.classList.add('fallback');
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
    .map(([reason, count]) => `${count.toLocaleString('en')} ${(REASONS[reason] || [reason, reason])[count === 1 ? 0 : 1]}`);
  const listed = report.ignored.length < report.ignoredTotal ? ` The first ${report.ignored.length} are listed.` : '';
  ignoredSummary.textContent = report.ignoredTotal === 0
    ? 'None: every line that is not blank counts.'
    : `${report.ignoredTotal.toLocaleString('en')} of ${report.lineCount.toLocaleString('en')} lines: ${counts.join(', ')}.${listed}`;
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
  const head = element('p', `encoding ${encoding.level}`);
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
  root.append(head);

  const list = element('ul', 'counts');
  const differing = report.keys.filter((k) => !sameValue(k));
  const changed = element('li', null, differing.length === 0 ? 'Every setting is at its default.'
    : `${plural(differing.length, 'setting differs', 'settings differ')} from the defaults: `);
  differing.slice(0, 6).forEach((k, i) => changed.append(i > 0 ? ', ' : '', element('code', null, k.key)));
  if (differing.length > 6) changed.append(`, and ${differing.length - 6} more`);
  list.append(changed);

  const unread = report.keys.filter((k) => k.why.startsWith('default:') && k.why !== 'default: no line supplies it');
  if (unread.length > 0) {
    const item = element('li', 'attention',
      `${plural(unread.length, 'value', 'values')} the plug-in cannot read, so the default holds: `);
    unread.slice(0, 6).forEach((k, i) => item.append(i > 0 ? ', ' : '', element('code', null, k.key)));
    list.append(item);
  }

  const slips = Object.entries(report.ignoredByReason).filter(([reason]) => !MEANT.includes(reason))
    .reduce((sum, [, count]) => sum + count, 0);
  const meant = report.ignoredTotal - slips;
  list.append(element('li', slips > 0 ? 'attention' : null,
    `${slips === 0 ? 'No line' : plural(slips, 'line', 'lines')} the plug-in ignores by mistake` +
    (meant > 0 ? ` (besides ${plural(meant, 'comment or section header', 'comments and section headers')})` : '') +
    (slips > 0 ? ': see "Lines the plug-in passes over" below.' : '.')));

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
