// The plug-in's verdict on each key, the lines it passes over and the values that will surprise.

// Control characters made visible (NUL as U+2400 and so on), so a stray byte shows where it sits.
export function visible(text) {
  // eslint-disable-next-line no-control-regex
  return text.replace(/[\u0000-\u0008\u000b-\u001f]/g, (c) => String.fromCharCode(0x2400 + c.charCodeAt(0)))
    .replace(/\u007f/g, '\u2421');
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
};

function sameValue(key) {
  if (key.type === 'models') return key.value === key.default;
  return Number(key.value) === Number(key.default);
}

export function renderReport(report, { keys, surprises, ignored, ignoredSummary }) {
  keys.replaceChildren();
  for (const key of report.keys) {
    const row = element('tr');
    row.dataset.key = key.key;
    if (!sameValue(key)) row.classList.add('changed');
    if (key.why.startsWith('default:') && key.why !== 'default: no line supplies it') row.classList.add('fallback');
    if (key.notes.length > 0) row.classList.add('surprise');
    row.append(element('td', 'key', key.key), element('td', 'value', key.value), element('td', 'default', key.default),
      element('td', 'from', key.why));
    keys.append(row);
  }

  surprises.replaceChildren();
  for (const note of report.surprises) surprises.append(element('li', null, note));
  if (report.surprises.length === 0) surprises.append(element('li', 'none', 'Nothing unexpected.'));

  ignored.replaceChildren();
  for (const line of report.ignored) {
    const item = element('li');
    item.dataset.line = line.line;
    item.dataset.reason = line.reason;
    item.append(element('span', 'line', `line ${line.line}`), ' ', element('code', null, line.text), ': ',
      element('span', 'why', line.why));
    if (line.suggestion) item.append(' ', element('span', 'suggestion', `(did you mean ${line.suggestion}?)`));
    ignored.append(item);
  }
  const counts = Object.entries(report.ignoredByReason)
    .map(([reason, count]) => `${count.toLocaleString('en')} ${(REASONS[reason] || [reason, reason])[count === 1 ? 0 : 1]}`);
  const listed = report.ignored.length < report.ignoredTotal ? ` The first ${report.ignored.length} are listed.` : '';
  ignoredSummary.textContent = report.ignoredTotal === 0
    ? 'None: every line that is not blank counts.'
    : `${report.ignoredTotal.toLocaleString('en')} of ${report.lineCount.toLocaleString('en')} lines: ${counts.join(', ')}.${listed}`;
}
