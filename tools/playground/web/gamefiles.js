// What the page learns from a player's game folder: the names of its files and of those in
// scripts\ and plugins\ (no deeper), both logs, every VornLoconaut.ini, the version resources of
// the game's exe and of the hook's DLLs (a few slices each, never a whole file) and the SHA-256 of
// each copy of our plug-in.
import { readLogFile } from './logs.js';
import { PeError, readVersion, sliceReader } from './pe.js';

// The programs whose version resource tells the edition, the game's version and which loader it is.
export const PROGRAMS = ['gta5.exe', 'gta5_enhanced.exe', 'scripthookv.dll', 'dinput8.dll', 'xinput1_4.dll'];
const LOGS = ['scripthookv.log', 'asiloader.log'];
const OURS = /^vornloconaut.*\.asi$/i;
const INI = 'vornloconaut.ini';
// Our plug-in is a few hundred kilobytes; anything far larger is not a copy of it.
const LARGEST_ASI = 32 * 1024 * 1024;
// The plug-in reads any INI; the page's reader takes up to 64 MB, as the settings section does.
const LARGEST_INI = 64 * 1024 * 1024;

const SUBFOLDERS = ['scripts', 'plugins'];

function interesting(name) {
  const lower = name.toLowerCase();
  return PROGRAMS.includes(lower) || LOGS.includes(lower) || OURS.test(lower) || lower === INI;
}

export function windowsPath(where, name) {
  return where === 'game' ? name : `${where}\\${name}`;
}

async function program(file, counter) {
  const read = { bytes: 0 };
  const fact = { name: file.name, size: file.size, version: null, error: null };
  try {
    fact.version = await readVersion(sliceReader(file, read), file.size);
  } catch (error) {
    // A PeError says why in plain words; anything else is a fault of the page, shown as such.
    fact.error = error instanceof PeError ? error.message : `the page failed on it (${error.message})`;
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

// entries: [{ where: 'game' | 'scripts' | 'plugins', file }] of the files that matter, the folder's
// name, and how many other files its first two levels hold.
export async function readGameFolder({ folder, entries, others }) {
  const started = performance.now();
  const counter = { bytes: 0 };
  const facts = {
    mode: 'folder', folder, files: entries.length + others, names: { game: [], scripts: [], plugins: [] },
    programs: {}, misplaced: [], asis: [], inis: [], logs: { hook: null, loader: null }, unreadable: [], counter,
  };
  const logFiles = [];
  for (const { where, file } of entries) {
    const lower = file.name.toLowerCase();
    facts.names[where].push(file.name);
    if (where === 'game' && PROGRAMS.includes(lower)) facts.programs[lower] = file;
    else if (where !== 'game' && PROGRAMS.includes(lower)) facts.misplaced.push(windowsPath(where, file.name));
    else if (where === 'game' && LOGS.includes(lower)) logFiles.push(file);
    else if (OURS.test(lower)) facts.asis.push({ where, path: windowsPath(where, file.name), file });
    else if (lower === INI) facts.inis.push({ where, path: windowsPath(where, file.name), file });
  }
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
  return { mode: 'logs', folder: null, files: 0, names: { game: [], scripts: [], plugins: [] },
    programs: {}, misplaced: [], asis: [], inis: [], logs: { hook: null, loader: null }, unreadable: [], counter: { bytes: 0 } };
}

// The files of a folder chosen with <input webkitdirectory>: each File's webkitRelativePath starts
// with the folder's own name. The browser lists every file below it; only the first two levels
// count, and of them only the files that matter are kept.
export function entriesFromInput(files) {
  const entries = [];
  let folder = null;
  let others = 0;
  for (const file of files) {
    const parts = (file.webkitRelativePath || file.name).split('/');
    folder ??= parts.length > 1 ? parts[0] : null;
    const where = parts.length === 2 ? 'game'
      : parts.length === 3 && SUBFOLDERS.includes(parts[1].toLowerCase()) ? parts[1].toLowerCase() : null;
    if (where && interesting(file.name)) entries.push({ where, file });
    else if (where) others += 1;
  }
  return { folder, entries, others };
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

// A folder dropped on the page, read through its directory entry: the game folder's own files and
// those of scripts\ and plugins\; deeper folders are never opened.
export async function entriesFromDirectory(directory) {
  const entries = [];
  let others = 0;
  const take = async (entry, where) => {
    if (interesting(entry.name)) entries.push({ where, file: await fileOf(entry) });
    else others += 1;
  };
  for (const entry of await readAll(directory.createReader())) {
    if (entry.isFile) await take(entry, 'game');
    else if (entry.isDirectory && SUBFOLDERS.includes(entry.name.toLowerCase())) {
      for (const inner of await readAll(entry.createReader())) {
        if (inner.isFile) await take(inner, entry.name.toLowerCase());
      }
    }
  }
  return { folder: directory.name, entries, others };
}
