// The two logs a player already has: the hook's ScriptHookV.log and its loader's asiloader.log,
// read line by line in slices, so a log of 50 MB neither fills the tab's memory nor holds up the
// page. Only the lines that tell how far the loading chain got are kept, with their numbers.
//
// The lines, as players' real logs show them:
// - asiloader.log (lgrahl/scripthookvpy3k#21, fabbrimatteo/JTA-Mods#19, Parik27/V.Rainbomizer#141
//   for the Enhanced edition's): a header "// GTA V ASI LOADER (build ...)" or "// GTA V ENHANCED
//   ASI LOADER (build ...)", "LIB: "...\dinput8.dll"" (xinput1_4.dll for Enhanced), then
//   "LOADER: Loading *.asi plugins", per plug-in 'ASI: Loading "<path>"' and on the next line
//   '"<name>.asi" => <address>' or '"<name>.asi" failed to load', and "LOADER: Finished loading
//   *.asi plugins". Nothing between the two LOADER lines means it found no plug-in
//   (LukeRoss00/gta5-real-mod#116).
// - ScriptHookV.log (scripthookvdotnet/scripthookvdotnet#1104, #665; Chiheb-Bacha/
//   ScriptHookVDotNetEnhanced#3 for a hook serving both editions): "// GTA V SCRIPT HOOK (build
//   <date>, v1.0.2699.16)" or "(build <date>, v3586.0/889.22)", "INIT: Success, game version is
//   VER_1_0_2699_16" (VER_1_0_1103_2_STEAM, VER_EN_1_0_811_8, ...) or "FATAL: Unknown game version"
//   (scripthookvdotnet/scripthookvdotnet#599), per plug-in "INIT: Registering script '<name>.asi'
//   (0x...)", and once story mode runs "CORE: Launching main() for '<name>.asi' (0x...), id 32".
//   A script that crashes: "CORE: An exception occurred while executing '<name>.asi' (0x...), id 40"
//   (scripthookvdotnet/scripthookvdotnet#795; the hook's dialog shows the same words and "Press OK
//   to continue", #1402), in some reports "An error occurred while executing" (MAFINS/MenyooSP#272).
//
// A log appended to, or pasted twice, holds several game starts, each beginning at its header; the
// last start is the one judged, and only its lines are kept. Line numbers count from the start of
// the file, or of each log within a pasted text.

const CHUNK = 1 << 20;
// A longer line is cut here: a log's useful lines are short, and a file without line ends must
// not grow one string without bound.
const LONGEST_LINE = 4096;
// Lines naming our plug-in kept per kind; a log repeating them endlessly keeps only the first.
const KEPT = 20;

export const OUR_ASI = /vornloconaut[^'"\\/]*\.asi/i;

// What one game start wrote; `lines` and `starts` count the whole log.
function newHookStart() {
  return { header: null, built: null, supports: [], version: null, fatal: null, registered: [], launched: [],
    crashes: [], scripts: 0, launches: 0, seen: false };
}

function newLoaderStart() {
  return { header: null, enhanced: null, lib: null, loadingStart: null, loadingEnd: null, plugins: 0, ours: [], seen: false };
}

const CRASH = /CORE: An (?:exception|error) occurred while executing '([^']*)'/;

// "VER_EN_1_0_889_22" -> { enhanced: true, build: "889.22" }
export function parseGameVersion(text) {
  const m = /VER_(EN_)?1_0_(\d+)_(\d+)/.exec(text);
  return m ? { enhanced: Boolean(m[1]), build: `${Number(m[2])}.${Number(m[3])}`, name: m[0] } : null;
}

// Reads one or both logs from one text: a pasted pair starts the second at its header line.
export class LogReader {
  constructor(name) {
    this.name = name;
    this.hook = null;
    this.loader = null;
    this.base = 0;
    this.pending = null;
    this.current = null;
    this.cut = 0;
  }

  // The log a line belongs to, by its header or by the kind of line it is.
  target(kind) {
    if (kind === 'hook') this.hook ??= { kind, lines: 0, starts: 1, ...newHookStart() };
    else this.loader ??= { kind, lines: 0, starts: 1, ...newLoaderStart() };
    this.current = kind === 'hook' ? this.hook : this.loader;
    this.current.seen = true;
    return this.current;
  }

  line(number, text) {
    if (text.length > LONGEST_LINE) {
      text = text.slice(0, LONGEST_LINE);
      this.cut += 1;
    }
    const header = /^\/\/\s*GTA V (ENHANCED )?(ASI LOADER|SCRIPT HOOK)\b/.exec(text);
    if (header) {
      const kind = header[2] === 'ASI LOADER' ? 'loader' : 'hook';
      // A log of the other kind begins here (a pasted pair); the same kind again is a later start.
      if (this.current && this.current.kind !== kind) this.base = number - 1;
      const earlier = this[kind];
      if (earlier?.seen) {
        this.pending = null;
        Object.assign(earlier, kind === 'hook' ? newHookStart() : newLoaderStart(), { starts: earlier.starts + 1 });
      }
      const log = this.target(kind);
      const n = number - this.base;
      log.header = { n, text };
      log.lines = n;
      if (log.kind === 'loader') log.enhanced = Boolean(header[1]);
      const built = /\(build ([^,)]*)(?:,\s*v([\d./]+))?\)/.exec(text);
      if (log.kind === 'hook' && built) {
        log.built = built[1].trim();
        // "v1.0.2699.16" names one game version, "v3586.0/889.22" the newest classic and Enhanced.
        log.supports = (built[2] || '').split('/').filter(Boolean).map((v) => v.replace(/^1\.0\./, ''));
      }
      return;
    }
    const n = number - this.base;
    if (this.current) this.current.lines = n;
    // Cheap tests first: a long log is mostly lines of neither kind, or plug-ins being loaded.
    let m;
    if (text.includes('INIT: ')) {
      if ((m = /INIT: Success, game version is (\S+)/.exec(text))) {
        const log = this.target('hook');
        log.version ??= { n, text, ...(parseGameVersion(m[1]) || { name: m[1] }) };
      } else if ((m = /INIT: Registering script '([^']*)'/.exec(text))) {
        const log = this.target('hook');
        log.scripts += 1;
        if (OUR_ASI.test(m[1]) && log.registered.length < KEPT) log.registered.push({ n, text, name: m[1] });
      }
    } else if (text.includes('occurred while executing') && (m = CRASH.exec(text))) {
      const log = this.target('hook');
      if (log.crashes.length < KEPT) log.crashes.push({ n, text, name: m[1], ours: OUR_ASI.test(m[1]) });
    } else if (text.includes('FATAL:')) {
      this.target('hook').fatal ??= { n, text };
    } else if (text.includes('CORE: Launching main()')) {
      const log = this.target('hook');
      log.launches += 1;
      m = /CORE: Launching main\(\) for '([^']*)'/.exec(text);
      if (m && OUR_ASI.test(m[1]) && log.launched.length < KEPT) log.launched.push({ n, text, name: m[1] });
    } else if ((m = /^\s*ASI: Loading "([^"]*)"/.exec(text))) {
      const log = this.target('loader');
      log.plugins += 1;
      this.pending = OUR_ASI.test(m[1]) ? { n, text, path: m[1] } : null;
    } else if ((m = /^\s*"([^"]*\.asi)" (=>|failed to load)/i.exec(text))) {
      const log = this.target('loader');
      if (OUR_ASI.test(m[1]) && log.ours.length < KEPT) {
        log.ours.push({ n, text: text.trim(), name: m[1], loaded: m[2] === '=>', loading: this.pending });
      }
      this.pending = null;
    } else if ((m = /^\s*LIB: "([^"]*)"/.exec(text))) {
      this.target('loader').lib ??= { n, text, path: m[1] };
    } else if (/^\s*LOADER: Loading /.test(text)) {
      this.target('loader').loadingStart ??= { n, text };
    } else if (/^\s*LOADER: Finished /.test(text)) {
      this.target('loader').loadingEnd ??= { n, text };
    }
  }

  // The logs this text held, each with its number of lines; a file by a log's name counts as that
  // log even when it is empty.
  finish(lines) {
    const byName = /asiloader/i.test(this.name) ? 'loader' : /scripthookv/i.test(this.name) ? 'hook' : null;
    if (byName && !this[byName]) {
      this.target(byName).lines = lines;
    }
    const logs = [this.hook, this.loader].filter(Boolean);
    // Lines before the first line of a known kind belong to the only log there is.
    if (logs.length === 1) logs[0].lines = lines - this.base;
    for (const log of logs) {
      log.name = log.kind === 'hook' ? 'ScriptHookV.log' : 'asiloader.log';
      log.source = this.name;
      log.cutLines = this.cut;
    }
    return logs;
  }
}

// The text encoding of a log by its first bytes: a byte-order mark, or UTF-16 without one (every
// other byte NUL, as Notepad's "Unicode" writes), else UTF-8 if the start is valid UTF-8, else the
// Windows code page that writes most European paths.
export function detectEncoding(head) {
  if (head[0] === 0xff && head[1] === 0xfe) return { encoding: 'utf-16le', skip: 2 };
  if (head[0] === 0xfe && head[1] === 0xff) return { encoding: 'utf-16be', skip: 2 };
  if (head[0] === 0xef && head[1] === 0xbb && head[2] === 0xbf) return { encoding: 'utf-8', skip: 3 };
  if (head.length >= 4 && head[0] !== 0 && head[1] === 0 && head[2] !== 0 && head[3] === 0) return { encoding: 'utf-16le', skip: 0 };
  if (head.length >= 4 && head[0] === 0 && head[1] !== 0 && head[2] === 0 && head[3] !== 0) return { encoding: 'utf-16be', skip: 0 };
  try {
    // A character cut at the end of the sample is no proof against UTF-8.
    new TextDecoder('utf-8', { fatal: true }).decode(head.subarray(0, Math.max(0, head.length - 4)));
    return { encoding: 'utf-8', skip: 0 };
  } catch {
    return { encoding: 'windows-1252', skip: 0 };
  }
}

// Splits text arriving in pieces into lines ending in CR LF, LF or CR; a CR at the end of one piece
// waits for the next, which may begin with its LF. split() rather than a regular expression: a log
// of 50 MB has a million lines.
export class LineSplitter {
  constructor(onLine) {
    this.onLine = onLine;
    this.rest = '';
    this.number = 0;
  }

  push(text, last = false) {
    const parts = (this.rest + text).split('\n');
    let tail = parts.pop();
    for (const part of parts) this.piece(part.endsWith('\r') ? part.slice(0, -1) : part);
    if (last) {
      if (tail !== '') this.piece(tail.endsWith('\r') ? tail.slice(0, -1) : tail);
      tail = '';
    } else if (tail.includes('\r')) {
      const bits = tail.split('\r');
      tail = bits.pop();
      if (tail === '') tail = `${bits.pop()}\r`;
      for (const bit of bits) this.emit(bit);
    }
    // Keep the start of an endless line and drop the rest up to its end.
    this.rest = tail.length > LONGEST_LINE + 1 ? tail.slice(0, LONGEST_LINE + 1) : tail;
  }

  piece(line) {
    if (line.includes('\r')) for (const bit of line.split('\r')) this.emit(bit);
    else this.emit(line);
  }

  emit(line) {
    this.number += 1;
    this.onLine(this.number, line);
  }
}

export function readText(name, text) {
  const reader = new LogReader(name);
  const splitter = new LineSplitter((n, line) => reader.line(n, line));
  splitter.push(text, true);
  return reader.finish(splitter.number);
}

// Reads a log file in slices of 1 MB. A log is text the player can open, so unlike the programs
// it is read to its end; only the lines above are kept.
export async function readLogFile(file) {
  const head = new Uint8Array(await file.slice(0, 4096).arrayBuffer());
  const { encoding, skip } = detectEncoding(head);
  const decoder = new TextDecoder(encoding);
  const reader = new LogReader(file.name);
  const splitter = new LineSplitter((n, line) => reader.line(n, line));
  for (let at = skip; at < file.size; at += CHUNK) {
    const bytes = new Uint8Array(await file.slice(at, Math.min(file.size, at + CHUNK)).arrayBuffer());
    splitter.push(decoder.decode(bytes, { stream: at + CHUNK < file.size }));
  }
  splitter.push(decoder.decode(), true);
  const logs = reader.finish(splitter.number);
  for (const log of logs) {
    log.encoding = encoding;
    log.size = file.size;
  }
  return logs;
}
