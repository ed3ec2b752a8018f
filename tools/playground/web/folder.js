// What lies where in the folder a player picked, and what each file is: the game folder (the one
// that holds the game's exe, which may lie below the picked folder), and wherever they lie the
// copies of our plug-in, its settings, the hook, every ASI loader, the logs and the archives that
// hold any of them. Each file is known by its content (SHA-256, version resource, PE headers, the
// hook's exports), its name only where the content cannot tell; and each copy of the plug-in by
// which loader would load it, by the loaders' own rules. findings.js judges what this finds.
import { EXES, LARGEST_INI, LOADER_NAMES, readArchive, readFailure, readLogs, readPlugin, readProgram } from './gamefiles.js';
import { grouped } from './numbers.js';

export const LOADER = { legacy: 'dinput8.dll', enhanced: 'xinput1_4.dll' };
export const EXE = { legacy: 'GTA5.exe', enhanced: 'GTA5_Enhanced.exe' };
// The hook's exports (MSVC-mangled), which every plug-in imports: a DLL that exports them is the
// hook, whatever its name; one named so without them is not.
const HOOK_EXPORTS = ['?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z', '?nativeCall@@YAPEA_KXZ'];
const HOOK = 'scripthookv.dll';
const OURS = /^vornloconaut.*\.asi$/i;
const INI = 'vornloconaut.ini';
const SUBFOLDERS = ['scripts', 'plugins'];
// What one folder's reading may cost: a folder of thousands of files is answered within 2 s.
const MOST_PROGRAMS = 300;
const MOST_PLUGIN_BYTES = 64 * 1024 * 1024;
const MOST_ARCHIVES = 20;
const DEADLINE_MS = 1500;

// The name a file had before Windows or a browser made a second copy of it: "ScriptHookV (1).dll"
// and "ScriptHookV - Copy.dll" (or "- Kopie", "- Copie", ... in other languages) are
// "scripthookv.dll". Lower case.
export function originalName(name) {
  const m = /^(.*?)(?: \(\d+\)| - (?:copy|kopie|copie|copia|kopia|kopio|kopi|cópia|копия)(?: \(\d+\))?)(\.[^.]+)$/iu.exec(name);
  return (m ? m[1] + m[2] : name).toLowerCase();
}

export function isUltimateLoader(program) {
  const s = program?.version?.strings || {};
  return [s.FileDescription, s.ProductName, s.OriginalFilename, s.InternalName]
    .some((value) => /ultimate[ _-]?asi[ _-]?loader/i.test(value || ''));
}

// "1.0.3586.0" -> "3586.0"; the game's exe names its version this way in its version resource.
export function exeBuild(program) {
  const v = program?.version;
  if (!v) return null;
  const text = v.fileVersion && v.fileVersion !== '0.0.0.0' ? v.fileVersion : v.strings.FileVersion || '';
  const m = /^1\.0\.(\d+)\.(\d+)/.exec(text);
  return m ? `${Number(m[1])}.${Number(m[2])}` : null;
}

// The edition and the game's version: the exe in the folder first, then what the logs say.
export function gameOf(facts) {
  const { hook, loader } = facts.logs;
  const fromLogs = hook?.version?.enhanced ?? loader?.enhanced
    ?? (loader?.lib ? /xinput1_4/i.test(loader.lib.path) : undefined);
  const legacy = facts.programs['gta5.exe'];
  const enhanced = facts.programs['gta5_enhanced.exe'];
  let edition = null;
  if (legacy && enhanced) edition = fromLogs === false ? 'legacy' : 'enhanced';
  else if (enhanced) edition = 'enhanced';
  else if (legacy) edition = 'legacy';
  else if (fromLogs !== undefined) edition = fromLogs ? 'enhanced' : 'legacy';
  const exe = edition ? facts.programs[EXE[edition].toLowerCase()] : null;
  const build = exeBuild(exe);
  const logBuild = hook?.version?.build && hook.version.enhanced === (edition === 'enhanced') ? hook.version.build : null;
  return { edition, exe, build, logBuild, both: Boolean(legacy && enhanced) };
}

// Every DLL of the game folder under a name an ASI loader takes, and what it is: the Ultimate ASI
// Loader (by its version resource, whatever its name), the hook's loader (by its name for this
// edition; its log's header confirms it), the hook's loader of the other edition, a file Windows
// cannot load, one whose details the page could not read, or another DLL (a graphics mod's
// d3d11.dll or dxgi.dll), which is listed but no loader.
export function loadersOf(facts, edition) {
  const hookNames = edition ? [LOADER[edition]] : Object.values(LOADER);
  return LOADER_NAMES.filter((name) => facts.programs[name]).map((name) => {
    const program = facts.programs[name];
    let role;
    if (program.error && !program.loads && !program.unread) role = 'broken';
    else if (isUltimateLoader(program)) role = 'ultimate';
    else if (program.unread) role = 'unknown';
    else if (hookNames.includes(name)) role = 'hook';
    else if (Object.values(LOADER).includes(name)) role = 'other-edition';
    else if (program.error) role = 'unknown';
    else role = 'other';
    return { name: program.name, lower: name, role, program, works: role === 'ultimate' || role === 'hook' };
  });
}

// What a file of the hook's is: the hook (its exports), a file Windows cannot load, a DLL that is
// not the hook, or one the page could not read.
function hookRole(program) {
  if (program.error) return program.loads || program.unread ? 'unknown' : 'broken';
  if (program.version.machine !== 0x8664) return 'broken';
  return HOOK_EXPORTS.every((name) => program.version.exports?.includes(name)) ? 'hook' : 'not-hook';
}

// Where a file lies: `where` is game (the game folder itself), scripts or plugins (and the folders
// in them), sub (another folder in the game folder) or outside (beside or above the game folder,
// when the player picked a folder above it); `reach` says which loader would load an .asi there:
// the hook's loader reads the game folder only, the Ultimate ASI Loader also scripts\ with the
// folders in it and plugins\ (its README; ThirteenAG/Ultimate-ASI-Loader#185).
function placeOf(dir, name, game, picked) {
  const inside = dir.length >= game.length && game.every((part, i) => dir[i] === part);
  const rel = inside ? dir.slice(game.length) : null;
  const sub = rel?.[0]?.toLowerCase();
  const where = !inside ? 'outside' : rel.length === 0 ? 'game' : SUBFOLDERS.includes(sub) ? sub : 'sub';
  const folder = inside ? rel.join('\\') : [picked, ...dir].join('\\');
  return {
    where,
    path: inside ? [...rel, name].join('\\') : `${folder}\\${name}`,
    // In the player's words: "the game folder", or the folder's path with a backslash.
    in: where === 'game' ? 'the game folder' : `${folder}\\`,
    reach: { hook: where === 'game', ultimate: where === 'game' || (where === 'scripts' && rel.length <= 2) || (where === 'plugins' && rel.length === 1) },
  };
}

// The folder that holds the game's exe: the picked folder itself, or the shallowest below it,
// and among those one the player has worked in (the hook or our plug-in beside the exe).
function gameFolderOf(entries) {
  const key = (dir) => dir.join('\\');
  const exes = entries.filter((e) => e.kind === 'exe');
  if (exes.length === 0 || exes.some((e) => e.dir.length === 0)) return { dir: [], others: [] };
  const dirs = [...new Map(exes.map((e) => [key(e.dir), e.dir])).values()];
  const worked = new Set(entries.filter((e) => e.name.toLowerCase() === HOOK || OURS.test(e.name)).map((e) => key(e.dir)));
  dirs.sort((a, b) => a.length - b.length || Number(worked.has(key(b))) - Number(worked.has(key(a))));
  return { dir: dirs[0], others: dirs.slice(1).map(key) };
}

function emptyFacts(mode, folder = null) {
  return {
    mode, folder, picked: folder, below: null, otherGames: [], files: 0, folders: [], shortcuts: [], settingsXml: false,
    programs: {}, hooks: [], strayLoaders: [], misplaced: [], asis: [], inis: [], nearInis: [], strayInis: [], archives: [],
    otherLogs: [], logs: { hook: null, loader: null }, unreadable: [], skipped: [], counter: { bytes: 0 },
  };
}

export function logsOnly() {
  return emptyFacts('logs');
}

const LOADER_OR_HOOK = new Set([...LOADER_NAMES, HOOK]);

// listing: from gamefiles.js (entriesFromInput or entriesFromDirectory); release: { sha256 }.
export async function readGameFolder(listing, release) {
  const started = performance.now();
  const late = () => performance.now() - started > DEADLINE_MS;
  const game = gameFolderOf(listing.entries);
  const facts = {
    ...emptyFacts('folder', game.dir.length ? game.dir[game.dir.length - 1] : listing.folder),
    picked: listing.folder, below: game.dir.length ? game.dir.join('\\') : null, otherGames: game.others,
    files: listing.files, folders: listing.folders, unreadable: [...(listing.unreadable || [])], skipped: [...listing.skipped],
  };
  const { counter } = facts;
  const at = listing.entries.map((e) => ({ ...e, lower: e.name.toLowerCase(), ...placeOf(e.dir, e.name, game.dir, listing.folder) }));
  const atPicked = (e) => e.dir.length === 0;

  // The game's exe and the DLLs: those in the game folder under a name that matters first, then
  // any that may be the hook or a loader elsewhere, then the rest, nearest first.
  const rank = (e) => (e.where === 'game' && (EXES.includes(e.lower) || LOADER_OR_HOOK.has(e.lower)) ? 0
    : LOADER_OR_HOOK.has(originalName(e.name)) || /scripthook|asi ?loader/i.test(e.name) ? 1 : 2 + e.dir.length);
  const programs = at.filter((e) => e.kind === 'exe' || e.kind === 'dll').sort((a, b) => rank(a) - rank(b));
  let read = 0;
  for (const e of programs) {
    if (e.kind === 'exe' && e.where !== 'game') continue;
    if (read >= MOST_PROGRAMS || (rank(e) > 0 && late())) break;
    read += 1;
    e.program = await readProgram(e.file, counter, e.kind === 'dll');
    if (e.where === 'game' && (EXES.includes(e.lower) || LOADER_NAMES.includes(e.lower) || e.lower === HOOK)) facts.programs[e.lower] = e.program;
  }
  const unreadDlls = programs.filter((e) => e.kind === 'dll' && !e.program).length;
  if (unreadDlls > 0) {
    facts.skipped.push(`The page read what ${grouped(read)} of the folder's DLLs are (those of the game folder and any named as the hook or a loader first) and knows the other ${grouped(unreadDlls)} by name only.`);
  }

  // The hook and the loaders, wherever they lie.
  for (const e of programs.filter((x) => x.kind === 'dll' && x.program)) {
    const named = originalName(e.name);
    if (named === HOOK || (!e.program.error && hookRole(e.program) === 'hook')) {
      facts.hooks.push({ name: e.name, path: e.path, in: e.in, where: e.where, exact: e.lower === HOOK, role: hookRole(e.program), program: e.program });
      if (e.where !== 'game') facts.misplaced.push(e.path);
    } else if (!(e.where === 'game' && LOADER_NAMES.includes(e.lower))) {
      const ultimate = isUltimateLoader(e.program);
      if (ultimate || named === LOADER.legacy || named === LOADER.enhanced) {
        facts.strayLoaders.push({ name: e.name, path: e.path, in: e.in, where: e.where, named, ultimate, broken: Boolean(e.program.error && !e.program.loads), program: e.program });
        if (e.where !== 'game') facts.misplaced.push(e.path);
      }
    }
  }

  // Every copy of our plug-in: by name, or by its content under any name.
  const plugins = at.filter((e) => e.kind === 'asi').sort((a, b) => Number(!OURS.test(a.name)) - Number(!OURS.test(b.name)) || a.file.size - b.file.size);
  let bytes = 0;
  let skippedPlugins = 0;
  for (const e of plugins) {
    const named = OURS.test(e.name);
    if (!named && (bytes + e.file.size > MOST_PLUGIN_BYTES || late())) {
      skippedPlugins += 1;
      continue;
    }
    bytes += Math.min(e.file.size, MOST_PLUGIN_BYTES);
    const fact = await readPlugin(e.file);
    const ours = fact.sha256 && fact.sha256 === release.sha256 ? 'release' : fact.marked || named ? (fact.damage ? 'damaged' : 'build') : null;
    if (!ours && !(named && fact.error)) continue;
    facts.asis.push({ name: e.name, path: e.path, in: e.in, where: e.where, reach: e.reach, deep: e.dir.length > game.dir.length + 1, size: e.file.size, ours, ...fact });
  }
  if (skippedPlugins > 0) facts.skipped.push(`The page did not read ${grouped(skippedPlugins)} other plug-in${skippedPlugins === 1 ? '' : 's'} (.asi) to see whether ${skippedPlugins === 1 ? 'it is' : 'they are'} Vorn Loconaut under another name.`);

  // Settings files: the plug-in reads the game folder's alone.
  for (const e of at.filter((x) => x.kind === 'ini')) {
    if (e.lower === INI && e.where !== 'outside') {
      const ini = { where: e.where, path: e.path, in: e.in, file: e.file, size: e.file.size };
      if (e.where === 'game' && e.file.size <= LARGEST_INI) {
        try {
          ini.bytes = new Uint8Array(await e.file.arrayBuffer());
        } catch (error) {
          facts.unreadable.push(`${e.path} could not be read: ${readFailure(error)}.`);
        }
      }
      facts.inis.push(ini);
    } else if (e.lower === INI) facts.strayInis.push(e.path);
    else if (e.where === 'game') facts.nearInis.push({ path: e.path, size: e.file.size });
  }

  // The archives a player downloaded and may not have unpacked.
  const archives = at.filter((e) => e.kind === 'archive')
    .sort((a, b) => Number(!/scripthook|vornloconaut|asi/i.test(a.name)) - Number(!/scripthook|vornloconaut|asi/i.test(b.name)));
  for (const e of archives.slice(0, MOST_ARCHIVES)) {
    const listed = await readArchive(e.file);
    const holds = (listed.names || []).filter((name) => {
      const base = name.slice(name.lastIndexOf('/') + 1).toLowerCase();
      return base === HOOK || base === LOADER.legacy || base === LOADER.enhanced || OURS.test(base) || base === INI;
    });
    if (holds.length > 0 || (listed.error && /scripthook|vornloconaut/i.test(e.name))) {
      facts.archives.push({ name: e.name, path: e.path, in: e.in, holds, error: listed.error });
    }
  }

  const logFiles = [];
  for (const e of at.filter((x) => x.kind === 'log')) {
    if (e.where === 'game') logFiles.push(e.file);
    else facts.otherLogs.push(e.path);
  }
  for (const e of at.filter((x) => x.kind === 'shortcut' && atPicked(x))) facts.shortcuts.push(e.name);
  facts.shortcuts.sort();
  facts.settingsXml = at.some((e) => e.kind === 'settings' && atPicked(e));
  await readLogs(facts, logFiles);
  // The loaders' names in the game folder are judged, and so named, by findings.js.
  for (const e of programs.filter((x) => x.program?.unread && !(x.where === 'game' && LOADER_NAMES.includes(x.lower)))) {
    facts.unreadable.push(`${e.path} could not be read: ${e.program.error}.`);
  }
  facts.readMs = performance.now() - started;
  return facts;
}
