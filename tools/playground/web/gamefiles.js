// The files of a folder a player gives the page: the names of all of them at any depth, as the
// browser hands them over, and the contents of the candidates alone (plug-ins, DLLs, the game's exe,
// settings files, logs and archives), each within its limits and never a program whole. folder.js
// says what lies where and what each file is; this module only reads.
import { readLogFile } from './logs.js';
import { PeError, readVersion, sliceReader } from './pe.js';
import { grouped } from './numbers.js';

// The names the Ultimate ASI Loader works under in a 64-bit game: the Win64 column of the table in
// its README and release notes (github.com/ThirteenAG/Ultimate-ASI-Loader, release v10.0.0).
// dinput8.dll and xinput1_4.dll are also the names of the hook's own loader, for the classic game
// and the Enhanced edition.
export const LOADER_NAMES = ['dinput8.dll', 'xinput1_4.dll', 'version.dll', 'winmm.dll', 'd3d9.dll', 'd3d10.dll',
  'd3d11.dll', 'd3d12.dll', 'dxgi.dll', 'dsound.dll', 'wininet.dll', 'winhttp.dll', 'binkw64.dll', 'bink2w64.dll',
  'xinput1_1.dll', 'xinput1_2.dll', 'xinput1_3.dll', 'xinput9_1_0.dll', 'xinputuap.dll'];
export const EXES = ['gta5.exe', 'gta5_enhanced.exe'];
const LOGS = ['scripthookv.log', 'asiloader.log'];
// What a browser or Notepad makes of the settings file's name: "VornLoconaut (1).ini",
// "VornLoconaut.ini.txt".
const NEAR_INI = /^vornloconaut(?!.*\.asi).*\.(ini|txt)$/i;
// Our plug-in is a few hundred kilobytes; anything far larger is not a copy of it.
const LARGEST_ASI = 32 * 1024 * 1024;
// The plug-in reads any INI; the page's reader takes up to 64 MB, as the settings section does.
export const LARGEST_INI = 64 * 1024 * 1024;
// An archive's table of contents lies at its end; a larger one is not a download of the hook's.
const LARGEST_LISTING = 4 * 1024 * 1024;
// Every build of the plug-in opens its settings file by this name, so its bytes are in the file.
const MARK = new TextEncoder().encode('VornLoconaut.ini');
// A DLL names at most this many exports to the page: the hook exports six.
const EXPORTS_READ = 64;

// What a file may be, by its name alone; null for a file the page reads no further.
export function kindOf(name) {
  const lower = name.toLowerCase();
  if (lower.endsWith('.asi')) return 'asi';
  if (lower.endsWith('.dll')) return 'dll';
  if (EXES.includes(lower)) return 'exe';
  if (LOGS.includes(lower)) return 'log';
  if (NEAR_INI.test(lower)) return 'ini';
  if (/\.(zip|7z|rar)$/.test(lower)) return 'archive';
  if (/\.(lnk|url)$/.test(lower)) return 'shortcut';
  if (lower === 'settings.xml') return 'settings';
  return null;
}

// The words for a file the browser would not hand over: moved, deleted or locked since it was chosen.
export function readFailure(error) {
  if (error?.name === 'NotReadableError' || error?.name === 'NotFoundError') {
    return 'your browser could not read it (it may have been moved or deleted since, or another program holds it)';
  }
  return `the page failed on it (${error?.message || error})`;
}

// The version resource, headers and (for `exports`) exported names of a program, from slices.
export async function readProgram(file, counter, exports = false) {
  const read = { bytes: 0 };
  const fact = { name: file.name, size: file.size, version: null, error: null };
  try {
    fact.version = await readVersion(sliceReader(file, read), file.size, { exports: exports ? EXPORTS_READ : 0 });
  } catch (error) {
    // A PeError says why in plain words; anything else is the browser's or the page's.
    fact.error = error instanceof PeError ? error.message : readFailure(error);
    fact.loads = error instanceof PeError && error.loads;
    fact.unread = !(error instanceof PeError);
  }
  fact.bytesRead = read.bytes;
  counter.bytes += read.bytes;
  return fact;
}

function contains(bytes, part) {
  const first = part[0];
  for (let at = bytes.indexOf(first); at >= 0 && at + part.length <= bytes.length; at = bytes.indexOf(first, at + 1)) {
    let i = 1;
    while (i < part.length && bytes[at + i] === part[i]) i += 1;
    if (i === part.length) return true;
  }
  return false;
}

// A plug-in file read whole: its SHA-256, whether it is a build of ours (it names our settings
// file), and whether Windows would load it into a 64-bit game.
export async function readPlugin(file) {
  if (file.size > LARGEST_ASI) return { sha256: null, error: `it is ${(file.size / 1048576).toFixed(0)} MB, far larger than the plug-in` };
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch (error) {
    return { sha256: null, error: readFailure(error), unread: true };
  }
  const fact = { sha256: null, error: null, marked: contains(bytes, MARK), damage: null };
  try {
    const program = await readVersion(async (offset, length) => bytes.subarray(offset, offset + length), bytes.length);
    if (program.machine !== 0x8664) fact.damage = 'it is made for 32-bit Windows, and the game is 64-bit';
    else if (!program.dll) fact.damage = 'it is a program, not a DLL';
  } catch (error) {
    if (!(error instanceof PeError)) throw error;
    if (!error.loads) fact.damage = error.message;
  }
  if (!globalThis.crypto?.subtle) return { ...fact, error: 'this browser offers no SHA-256 to a page opened from disk' };
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  fact.sha256 = Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('');
  return fact;
}

const u16 = (b, o) => b[o] | (b[o + 1] << 8);
const u32 = (b, o) => (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (b[o + 3] << 24)) >>> 0;

// The names a ZIP archive holds, from its central directory at its end: nothing is unpacked.
export async function readArchive(file) {
  if (!/\.zip$/i.test(file.name)) return { names: null, error: 'the page looks into ZIP archives only' };
  try {
    const tail = Math.min(file.size, 65557);
    const end = new Uint8Array(await file.slice(file.size - tail).arrayBuffer());
    let at = end.length - 22;
    while (at >= 0 && u32(end, at) !== 0x06054b50) at -= 1;
    if (at < 0) return { names: null, error: 'it is not a ZIP archive, or it is cut short' };
    const size = u32(end, at + 12);
    const offset = u32(end, at + 16);
    if (offset === 0xffffffff || size > LARGEST_LISTING || offset + size > file.size) {
      return { names: null, error: 'its table of contents is damaged or larger than the page reads' };
    }
    const listing = new Uint8Array(await file.slice(offset, offset + size).arrayBuffer());
    const names = [];
    for (let o = 0; o + 46 <= listing.length && u32(listing, o) === 0x02014b50;) {
      const length = u16(listing, o + 28);
      const utf8 = u16(listing, o + 8) & 0x800;
      const raw = listing.subarray(o + 46, o + 46 + length);
      names.push(new TextDecoder(utf8 ? 'utf-8' : 'windows-1252').decode(raw).replaceAll('\\', '/'));
      o += 46 + length + u16(listing, o + 30) + u16(listing, o + 32);
    }
    return { names, error: null };
  } catch (error) {
    return { names: null, error: readFailure(error), unread: true };
  }
}

export async function readLogs(facts, files) {
  for (const file of files) {
    try {
      const logs = await readLogFile(file);
      if (logs.length === 0) facts.unreadable.push(`${file.name} is neither ScriptHookV.log nor asiloader.log: none of its lines is one of theirs`);
      for (const log of logs) facts.logs[log.kind] = log;
    } catch (error) {
      facts.unreadable.push(`${file.name} could not be read: ${readFailure(error)}`);
    }
  }
}

// The files of a folder chosen with <input webkitdirectory>: the browser lists every file below
// it, each File's webkitRelativePath starting with the folder's own name. Only the candidates are
// kept, with their folders as a list of names below the chosen one.
export function entriesFromInput(files) {
  const entries = [];
  const folders = new Set();
  let folder = null;
  let total = 0;
  for (const file of files) {
    const path = file.webkitRelativePath || file.name;
    const first = path.indexOf('/');
    if (first < 0) continue;
    total += 1;
    folder ??= path.slice(0, first);
    const second = path.indexOf('/', first + 1);
    if (second >= 0) folders.add(path.slice(first + 1, second));
    const kind = kindOf(file.name);
    if (kind) {
      const dir = path.slice(first + 1, Math.max(first + 1, path.length - file.name.length - 1));
      entries.push({ dir: dir === '' ? [] : dir.split('/'), name: file.name, kind, file });
    }
  }
  return { folder, entries, files: total, folders: [...folders], skipped: [] };
}

function readAll(reader) {
  // readEntries hands back a batch at a time, an empty one at the end.
  return new Promise((resolve, reject) => {
    const all = [];
    const next = () => reader.readEntries((batch) => {
      if (batch.length === 0) resolve(all);
      else {
        all.push(...batch);
        next();
      }
    }, reject);
    next();
  });
}

const fileOf = (entry) => new Promise((resolve, reject) => entry.file(resolve, reject));

// A folder dropped on the page, read through its directory entries folder by folder. The browser
// hands these over slowly, so the walk stops after `most` files or `ms` milliseconds and says
// which folders it did not reach.
export async function entriesFromDirectory(directory, { most = 200000, ms = 1500 } = {}) {
  const started = performance.now();
  const entries = [];
  const folders = [];
  const skipped = [];
  const unreadable = [];
  let total = 0;
  const queue = [[directory, []]];
  let next = 0;
  for (; next < queue.length; next += 1) {
    if (total >= most || performance.now() - started > ms) break;
    const [entry, dir] = queue[next];
    let inner;
    try {
      inner = await readAll(entry.createReader());
    } catch (error) {
      unreadable.push(`The folder ${[directory.name, ...dir].join('\\')} could not be read: ${readFailure(error)}.`);
      continue;
    }
    for (const item of inner) {
      if (item.isFile) {
        total += 1;
        const kind = kindOf(item.name);
        if (kind) entries.push({ dir, name: item.name, kind, entry: item });
      } else if (item.isDirectory) {
        if (dir.length === 0) folders.push(item.name);
        queue.push([item, [...dir, item.name]]);
      }
    }
  }
  if (next < queue.length) {
    const left = queue.slice(next).map(([, dir]) => [directory.name, ...dir].join('\\'));
    skipped.push(`The page stopped listing the folder after ${grouped(total)} files and did not look into ${grouped(left.length)} of its folders (${left.slice(0, 3).join(', ')}${left.length > 3 ? ', ...' : ''}). Choose the game folder itself with "Choose your game folder" to have every file read.`);
  }
  const kept = [];
  for (const e of entries) {
    try {
      kept.push({ dir: e.dir, name: e.name, kind: e.kind, file: await fileOf(e.entry) });
    } catch (error) {
      unreadable.push(`${[directory.name, ...e.dir, e.name].join('\\')} could not be read: ${readFailure(error)}.`);
    }
  }
  return { folder: directory.name, entries: kept, files: total, folders, skipped, unreadable };
}
