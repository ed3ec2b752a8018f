// What the page learns from a player's game folder: the names of its files and of those in
// scripts\ (and its subfolders) and plugins\, no deeper; both logs; every VornLoconaut.ini and the
// files named nearly so; the version resources of the game's exe, of the hook and of every DLL
// under a name an ASI loader takes (a few slices each, never a whole file); the SHA-256 of each
// copy of our plug-in.
import { readLogFile } from './logs.js';
import { PeError, readVersion, sliceReader } from './pe.js';

// The names the Ultimate ASI Loader works under in a 64-bit game: the Win64 column of the table in
// its README and release notes (github.com/ThirteenAG/Ultimate-ASI-Loader, release v10.0.0).
// dinput8.dll and xinput1_4.dll are also the names of the hook's own loader, for the classic game
// and the Enhanced edition.
export const LOADER_NAMES = ['dinput8.dll', 'xinput1_4.dll', 'version.dll', 'winmm.dll', 'd3d9.dll', 'd3d10.dll',
  'd3d11.dll', 'd3d12.dll', 'dxgi.dll', 'dsound.dll', 'wininet.dll', 'winhttp.dll', 'binkw64.dll', 'bink2w64.dll',
  'xinput1_1.dll', 'xinput1_2.dll', 'xinput1_3.dll', 'xinput9_1_0.dll', 'xinputuap.dll'];
// The programs whose version resource tells the edition, the game's version and which loader it is.
export const PROGRAMS = ['gta5.exe', 'gta5_enhanced.exe', 'scripthookv.dll', ...LOADER_NAMES];
// The hook's files, which lie in a subfolder when a player unpacked its zip as it is.
const HOOK_FILES = ['scripthookv.dll', 'dinput8.dll', 'xinput1_4.dll'];
const LOGS = ['scripthookv.log', 'asiloader.log'];
const OURS = /^vornloconaut.*\.asi$/i;
const INI = 'vornloconaut.ini';
// What a browser or Notepad makes of the name: "VornLoconaut (1).ini", "VornLoconaut.ini.txt".
const NEAR_INI = /^vornloconaut.*\.(ini|txt)$/i;
// Shortcuts, and the graphics settings the game keeps in Documents\Rockstar Games\GTA V.
const SHORTCUT = /\.(lnk|url)$/i;
const SETTINGS_XML = 'settings.xml';
// Our plug-in is a few hundred kilobytes; anything far larger is not a copy of it.
const LARGEST_ASI = 32 * 1024 * 1024;
// The plug-in reads any INI; the page's reader takes up to 64 MB, as the settings section does.
const LARGEST_INI = 64 * 1024 * 1024;

const SUBFOLDERS = ['scripts', 'plugins'];

function interesting(name) {
  const lower = name.toLowerCase();
  return PROGRAMS.includes(lower) || LOGS.includes(lower) || OURS.test(lower) || NEAR_INI.test(lower) ||
    SHORTCUT.test(lower) || lower === SETTINGS_XML;
}

// `dir`: '' for the game folder itself, else the subfolder's path within it ("scripts\Trains").
export function windowsPath(dir, name) {
  return dir === '' ? name : `${dir}\\${name}`;
}

async function program(file, counter) {
  const read = { bytes: 0 };
  const fact = { name: file.name, size: file.size, version: null, error: null };
  try {
    fact.version = await readVersion(sliceReader(file, read), file.size);
  } catch (error) {
    // A PeError says why in plain words; anything else is a fault of the page, shown as such.
    fact.error = error instanceof PeError ? error.message : `the page failed on it (${error.message})`;
    fact.loads = error instanceof PeError && error.loads;
  }
  fact.bytesRead = read.bytes;
  counter.bytes += read.bytes;
  return fact;
}

async function sha256(file) {
  if (file.size > LARGEST_ASI) return { sha256: null, error: `it is ${(file.size / 1048576).toFixed(0)} MB, far larger than the plug-in` };
  if (!globalThis.crypto?.subtle) return { sha256: null, error: 'this browser offers no SHA-256 to a page opened from disk' };
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', await file.arrayBuffer()));
  return { sha256: Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join(''), error: null };
}

function emptyFacts(mode, folder = null) {
  return {
    mode, folder, files: 0, folders: [], shortcuts: [], settingsXml: false, programs: {}, misplaced: [], asis: [],
    inis: [], nearInis: [], logs: { hook: null, loader: null }, unreadable: [], counter: { bytes: 0 },
  };
}

// entries: [{ dir, file }] of the files that matter, the folder's name, the names of the folders
// in it, and how many other files it holds where the page looked.
export async function readGameFolder({ folder, entries, others, folders = [] }) {
  const started = performance.now();
  const facts = { ...emptyFacts('folder', folder), files: entries.length + others, folders };
  const { counter } = facts;
  const logFiles = [];
  for (const { dir, file } of entries) {
    const lower = file.name.toLowerCase();
    const path = windowsPath(dir, file.name);
    const where = dir === '' ? 'game' : dir.split('\\')[0];
    if (OURS.test(lower)) facts.asis.push({ where, path, deep: dir.includes('\\'), file });
    else if (lower === INI) facts.inis.push({ where, path, file });
    else if (dir !== '') {
      if (HOOK_FILES.includes(lower)) facts.misplaced.push(path);
    } else if (PROGRAMS.includes(lower)) facts.programs[lower] = file;
    else if (LOGS.includes(lower)) logFiles.push(file);
    else if (NEAR_INI.test(lower)) facts.nearInis.push({ path, size: file.size });
    else if (SHORTCUT.test(lower)) facts.shortcuts.push(file.name);
    else if (lower === SETTINGS_XML) facts.settingsXml = true;
  }
  facts.shortcuts.sort();
  for (const name of Object.keys(facts.programs)) facts.programs[name] = await program(facts.programs[name], counter);
  for (const asi of facts.asis) Object.assign(asi, { size: asi.file.size }, await sha256(asi.file));
  for (const ini of facts.inis) {
    ini.size = ini.file.size;
    if (ini.where === 'game' && ini.file.size <= LARGEST_INI) ini.bytes = new Uint8Array(await ini.file.arrayBuffer());
  }
  await readLogs(facts, logFiles);
  facts.readMs = performance.now() - started;
  return facts;
}

export async function readLogs(facts, files) {
  for (const file of files) {
    try {
      const logs = await readLogFile(file);
      if (logs.length === 0) facts.unreadable.push(`${file.name} is neither ScriptHookV.log nor asiloader.log: none of its lines is one of theirs`);
      for (const log of logs) facts.logs[log.kind] = log;
    } catch (error) {
      facts.unreadable.push(`${file.name} could not be read (${error.message})`);
    }
  }
}

export function logsOnly() {
  return emptyFacts('logs');
}

// Where in the game folder a file at `parts` (the folder's own name first) lies, as `dir`; null
// where the page does not look: only the folder itself, scripts\ with one level of subfolders
// (which the Ultimate ASI Loader reads), and plugins\.
function dirOf(parts) {
  if (parts.length === 2) return '';
  const sub = parts[1].toLowerCase();
  if (parts.length === 3 && SUBFOLDERS.includes(sub)) return sub;
  if (parts.length === 4 && sub === 'scripts') return `scripts\\${parts[2]}`;
  return null;
}

// The files of a folder chosen with <input webkitdirectory>: each File's webkitRelativePath starts
// with the folder's own name. The browser lists every file below it; only those where the page
// looks count, and of them only the files that matter are kept.
export function entriesFromInput(files) {
  const entries = [];
  const folders = new Set();
  let folder = null;
  let others = 0;
  for (const file of files) {
    const parts = (file.webkitRelativePath || file.name).split('/');
    folder ??= parts.length > 1 ? parts[0] : null;
    if (parts.length > 2) folders.add(parts[1]);
    const dir = parts.length > 1 ? dirOf(parts) : null;
    if (dir !== null && interesting(file.name)) entries.push({ dir, file });
    else if (dir !== null) others += 1;
  }
  return { folder, entries, others, folders: [...folders] };
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

// A folder dropped on the page, read through its directory entry: the same places as above.
export async function entriesFromDirectory(directory) {
  const entries = [];
  const folders = [];
  let others = 0;
  const look = async (entry, dir, depth) => {
    for (const inner of await readAll(entry.createReader())) {
      if (inner.isFile) {
        if (interesting(inner.name)) entries.push({ dir, file: await fileOf(inner) });
        else others += 1;
      } else if (inner.isDirectory) {
        if (depth === 0) folders.push(inner.name);
        const sub = inner.name.toLowerCase();
        if (depth === 0 && SUBFOLDERS.includes(sub)) await look(inner, sub, 1);
        else if (depth === 1 && dir === 'scripts') await look(inner, `scripts\\${inner.name}`, 2);
      }
    }
  };
  await look(directory, '', 0);
  return { folder: directory.name, entries, others, folders };
}
