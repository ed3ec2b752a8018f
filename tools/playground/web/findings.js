// Why nothing happens, from what the page read of a game folder (folder.js says what lies where and
// what each file is) or of the logs alone. This module only judges. What the logs prove of the
// game's last start comes first, then what the files prove, then guesses; within each, the order of
// the loading chain (the game, the hook, its loader, our plug-in, its script, its settings). A
// finding that the files or logs prove, and that explains a failure, replaces the guess for that
// failure; a guess is shown only where nothing proven explains it, and is marked as one. A launch
// of our script in the last start, with no crash after it, leads as all-good unless something
// found would change what the player sees in the game (two copies that both run, settings the
// plug-in does not read, a build that is not this release's), which comes before it. Each finding
// says what the page saw, naming the file and where it lies or the log line, and what to do; its
// code is stable (data-finding on the page).
//
// The platform's facts behind them, with their public sources:
// - The hook's official page is dev-c.com/gtav/scripthookv; its zip carries ScriptHookV.dll and the
//   loader in bin\, and both belong in the folder of the game's exe itself, not in a subfolder
//   (LukeRoss00/gta5-real-mod#371). A hook older than the game says "FATAL: Unknown game version"
//   and loads nothing until its update, which takes some days after a game update
//   (scripthookvdotnet/scripthookvdotnet#599, LukeRoss00/gta5-real-mod#342).
// - The hook's loader is dinput8.dll for the classic game and xinput1_4.dll for the Enhanced
//   edition, whose log then reads "GTA V ENHANCED ASI LOADER" (Parik27/V.Rainbomizer#141). The open
//   Ultimate ASI Loader works as dinput8.dll in the classic game (ThirteenAG/Ultimate-ASI-Loader#126,
//   #155) and as xinput1_4.dll in the Enhanced edition since its fix for GTA5_Enhanced.exe
//   (ThirteenAG/Ultimate-ASI-Loader#209), and under the other names its README lists (gamefiles.js);
//   as dinput8.dll beside the Enhanced edition's loader it stops the game
//   (illusionyy/Windows-Game-Patches#67), and beside another loader each loads every plug-in. It
//   loads scripts\ (and its subfolders) and plugins\ too and keeps no log
//   (ThirteenAG/Ultimate-ASI-Loader#185); its version resource names it ("Ultimate ASI Loader"; its
//   file details carry its release since #74).
// - A script that crashes: the hook shows "Script Hook V Error" with the log's exception line and
//   "Press OK to continue" (scripthookvdotnet/scripthookvdotnet#1402, itsjustcurtis/MenyooSP#231);
//   the fault is for the author of the script it names (scripthookvdotnet/scripthookvdotnet#795).
// - BattlEye needs to run only online; the Rockstar Games Launcher's setting, or the launch option
//   on Steam and Epic, turns it off for story mode (support.rockstargames.com, "Grand Theft Auto
//   Online BattlEye FAQ"; the option is -nobattleye: Whisky-App/whisky-book#100). A game folder whose
//   path has letters beyond English ones makes the hook's loader list no plug-in
//   (LukeRoss00/gta5-real-mod#116).
// - The game keeps saved games in Documents\Rockstar Games\GTA V\Profiles (savegamelocation.com,
//   "Grand Theft Auto V") and its graphics settings in settings.xml there
//   (forums.gta5-mods.com/topic/30946). Steam installs games into
//   C:\Program Files (x86)\Steam\steamapps\common (scripthookvdotnet/scripthookvdotnet#1464), the
//   Rockstar Games Launcher into C:\Program Files\Rockstar Games, the Epic Games Launcher into
//   C:\Program Files\Epic Games.
import { EXE, LOADER, gameOf, loadersOf } from './folder.js';
import { grouped } from './numbers.js';
import { unreadable } from './report.js';

const HOOK_PAGE = 'dev-c.com/gtav/scripthookv';
// Link times, in seconds since 1970: the Ultimate ASI Loader's fix for the Enhanced edition was
// published on 2 June 2026. A figure before 2015 is no date (a reproducible build writes a hash).
const ULTIMATE_FIRST = Date.UTC(2015, 0, 1) / 1000;
const ULTIMATE_ENHANCED_FIX = Date.UTC(2026, 5, 2) / 1000;
const EDITION = { legacy: 'the classic game', enhanced: 'the Enhanced edition' };
const ANTI_CHEAT = 'turn BattlEye off for story mode: in the Rockstar Games Launcher in the game\'s settings, on Steam or Epic with the launch option -nobattleye';
const INSTALLED = 'Unless you chose another folder when installing, it is in C:\\Program Files (x86)\\Steam\\steamapps\\common ' +
  'with Steam, in C:\\Program Files\\Rockstar Games with the Rockstar Games Launcher and in C:\\Program Files\\Epic Games ' +
  'with the Epic Games Launcher: the folder "Grand Theft Auto V" (or one whose name ends in "Enhanced" for the Enhanced ' +
  'edition). In Steam, right-click the game and choose Manage > Browse local files to open it.';

const cut = (text, most = 160) => (text.length > most ? `${text.slice(0, most)}...` : text);
const at = (log, line) => `${log.name} line ${grouped(line.n)}`;
// Curly quotes, since the log lines hold straight ones.
const quoted = (line) => `\u201c${cut(line.text.trim())}\u201d`;
const capital = (text) => `${text[0].toUpperCase()}${text.slice(1)}`;
const listed = (items) => (items.length <= 1 ? items.join('') : `${items.slice(0, -1).join(', ')} and ${items[items.length - 1]}`);

// C:\Users\<name>\... becomes C:\Users\<user>\... wherever a path shows.
export function redact(text) {
  return text.replace(/([A-Za-z]:[\\/]+(?:Users|Documents and Settings)[\\/]+)[^\\/"'\r\n]+/gi, '$1<user>');
}

function numbers(build) {
  return build.split('.').map(Number);
}

// <0, 0, >0 as build "a.b" is older than, the same as or newer than "c.d".
export function compareBuilds(a, b) {
  const [x, y] = [numbers(a), numbers(b)];
  for (let i = 0; i < Math.max(x.length, y.length); i += 1) {
    if ((x[i] || 0) !== (y[i] || 0)) return (x[i] || 0) - (y[i] || 0);
  }
  return 0;
}

const ROLE = {
  ultimate: 'the Ultimate ASI Loader',
  hook: 'the ASI loader from the hook\'s zip',
  'other-edition': 'the hook\'s ASI loader for the other edition',
  broken: 'damaged: Windows cannot load it',
  unknown: 'the page could not read what it is',
  other: 'no ASI loader',
};

function loaderName(loader) {
  const release = loader.role === 'ultimate' && loader.program.version.productVersion;
  return `${loader.name}, ${ROLE[loader.role]}${release && release !== '0.0.0.0' ? ` ${release}` : ''}`;
}

// `guess`: nothing the page read proves it. `ride`: it would change what the player sees in the
// game, so it comes before all-good; by default every problem would.
function finding(code, kind, saw, todo, extra = {}) {
  return { code, kind, saw, todo, ride: kind === 'problem', ...extra };
}

// A folder without the game's exe, the hook or its logs: which folder it is, and where the game is.
function wrongFolder(facts) {
  const folders = facts.folders.map((f) => f.toLowerCase());
  const name = facts.folder;
  let saw;
  if (facts.settingsXml || folders.includes('profiles')) {
    const marks = [facts.settingsXml && 'settings.xml', folders.includes('profiles') && 'the folder Profiles'].filter(Boolean);
    saw = `This folder (${name}) holds ${listed(marks)}: it is the folder in Documents\\Rockstar Games where the game keeps your saved games and graphics settings, not the folder the game is installed in.`;
  } else if (/^(scripts|plugins)$/i.test(name || '')) {
    saw = `This folder, ${name}, is a folder inside the game folder, not the game folder itself.`;
  } else if (facts.shortcuts.length > 0) {
    saw = `This folder (${name}) holds shortcuts (${listed(facts.shortcuts.slice(0, 3))}), but not the game: a shortcut only points to where the game is installed.`;
  } else {
    saw = `This folder (${name}) holds neither GTA5.exe nor GTA5_Enhanced.exe, so it is not the game folder.`;
  }
  const shortcut = facts.shortcuts.length > 0 ? 'Right-click the game\'s shortcut and choose "Open file location" to get there. ' : '';
  return finding('wrong-folder', 'problem', saw,
    `Choose the folder the game is installed in, the one that holds GTA5.exe (or GTA5_Enhanced.exe). ${shortcut}${INSTALLED}`);
}

function editionFinding(facts, game, loaders) {
  const { hook } = facts.logs;
  const found = loaders.filter((l) => l.role !== 'other');
  const loaderText = facts.mode !== 'folder' ? ''
    : found.length === 0 ? ' ASI loader: none found.'
      : ` ASI loader${found.length > 1 ? 's' : ''}: ${found.map(loaderName).join('; ')}.`;
  if (!game.edition) {
    return finding('edition', 'info', `The logs do not say which edition of the game ran.${loaderText}`,
      'Vorn Loconaut runs on both editions; choose the game folder to have the page check the files too.');
  }
  const name = EXE[game.edition];
  const version = game.build ? `1.0.${game.build}` : game.logBuild ? `1.0.${game.logBuild}` : null;
  let source;
  if (game.build) source = `${name}, version ${version} (as its Properties show)`;
  else if (game.exe) source = `${name}; its version could not be read (${game.exe.error || 'its Properties name none'})${game.logBuild ? `, ${at(hook, hook.version)} says ${version}` : ''}`;
  else if (game.logBuild) source = `version ${version}, as ${at(hook, hook.version)} says`;
  else source = `as ${facts.logs.loader?.header ? `the first line of ${facts.logs.loader.name}` : 'the logs'} says`;
  const both = game.both ? ' Both GTA5.exe and GTA5_Enhanced.exe are in this folder; the page takes the edition the logs name.' : '';
  return finding('edition', 'info', `${capital(EDITION[game.edition])}: ${source}.${both}${loaderText}`,
    `Vorn Loconaut runs on both editions; it needs the hook made for ${version || 'this version of the game'} and one ASI loader${loaders.some((l) => l.works) ? ', which this folder has' : `: the hook's for this edition is ${LOADER[game.edition]}`}.`,
    { edition: game.edition, version });
}

// What the settings report counts as mistakes: lines passed over for a reason other than being a
// comment or a section header, keys whose line the reader refused, and values that will surprise.
export function iniMistakes(report) {
  const mistakes = [];
  for (const line of report.ignored) {
    if (line.reason === 'comment' || line.reason === 'section') continue;
    mistakes.push(`line ${line.line}: ${line.why}${line.suggestion ? ` (did you mean ${line.suggestion}?)` : ''}`);
  }
  for (const key of report.keys) {
    if (!unreadable(key)) continue;
    // "none:" is a moved key or button left with none: its default is taken too.
    mistakes.push(key.why.startsWith('none:')
      ? `${key.key}: ${key.why.slice('none: '.length)}, so it has no key or button`
      : `${key.key}: ${key.why.slice('default: '.length)}, so the default holds`);
  }
  mistakes.push(...report.surprises);
  const shown = report.ignored.filter((l) => l.reason !== 'comment' && l.reason !== 'section').length;
  const counted = Object.entries(report.ignoredByReason)
    .filter(([reason]) => reason !== 'comment' && reason !== 'section').reduce((sum, [, n]) => sum + n, 0);
  return { mistakes, total: mistakes.length + (counted - shown) };
}

// The settings files: the game folder's VornLoconaut.ini through the plug-in's own reader, the
// same name elsewhere, and names a browser or Notepad made of it, which the plug-in never reads.
function iniFindings(facts, iniReport, add, unchecked) {
  const gameIni = facts.inis.find((i) => i.where === 'game');
  const strayIni = facts.inis.filter((i) => i.where !== 'game');
  for (const near of facts.nearInis) {
    const txt = /\.txt$/i.test(near.path);
    const how = txt ? ': Notepad added ".txt", which Windows hides, so it may show as VornLoconaut.ini'
      : /\(\d+\)\.ini$/i.test(near.path) ? ': the browser added the number when it saved a second download' : '';
    add('ini-misnamed', 'note',
      `${near.path} is in the game folder, but the plug-in reads only the file named exactly VornLoconaut.ini${how}.`,
      gameIni
        ? `If ${near.path} holds the settings you want, delete ${gameIni.path} and rename ${near.path} to VornLoconaut.ini; if not, delete ${near.path}.`
        : `Rename it to VornLoconaut.ini${txt ? ' (to see and change the whole name, turn on "File name extensions" in File Explorer\'s View menu)' : ''}.`,
      { ride: true });
  }
  if (strayIni.length > 0) {
    add('ini-ignored', 'note',
      `${listed(strayIni.map((i) => i.path))} ${strayIni.length === 1 ? 'is' : 'are'} never read: the plug-in reads the VornLoconaut.ini in the game folder only${gameIni ? '' : ', and there is none there yet'}.`,
      gameIni ? 'Put your settings into the game folder\'s VornLoconaut.ini.' : 'Move it into the game folder itself.', { ride: true });
  }
  if (gameIni && iniReport) {
    const { encoding } = iniReport;
    if (encoding.level === 'error') {
      add(encoding.name === 'not-text' ? 'not-text' : 'ini-encoding', 'problem',
        `${gameIni.path} in the game folder: ${encoding.label}. ${encoding.says}`, encoding.advice, { ini: gameIni });
      return;
    }
    const { mistakes, total } = iniMistakes(iniReport);
    if (total > 0) {
      add('ini-mistakes', 'note',
        `${gameIni.path} in the game folder has ${grouped(total)} mistake${total === 1 ? '' : 's'}${total > 5 ? ', the first five' : ''}:`,
        'See each one and what the plug-in makes of it under Your settings, with this file opened there.',
        { list: mistakes.slice(0, 5).map((m) => cut(m, 200)), more: Math.max(0, total - 5), ini: gameIni, ride: true });
    }
  } else if (gameIni && !gameIni.bytes) {
    unchecked.push(`${gameIni.path} in the game folder is ${(gameIni.size / 1048576).toFixed(0)} MB, more than the page reads.`);
  }
}

// How a found file's place reads in a finding: "ScriptHookV.dll is in bin\".
const lies = (file) => `${file.name} is in ${file.in}`;
const places = (files) => listed(files.map((f) => (f.where === 'game' ? `${f.path} in the game folder` : f.path)));

// The hook's files as the page found them: the one Windows loads (ScriptHookV.dll in the game
// folder), a whole hook elsewhere or under another name, and how the one in place is damaged.
function hookFacts(facts) {
  const inPlace = facts.hooks.find((h) => h.where === 'game' && h.exact);
  const whole = facts.hooks.filter((h) => h.role === 'hook' && h !== inPlace);
  return {
    inPlace,
    ok: Boolean(inPlace && (inPlace.role === 'hook' || inPlace.role === 'unknown')),
    renamed: whole.find((h) => h.where === 'game'),
    elsewhere: whole.find((h) => h.where !== 'game'),
    archive: facts.archives.find((a) => a.holds.some((n) => /(^|\/)scripthookv\.dll$/i.test(n))),
  };
}

// Why inPlace cannot be the hook, in plain words.
function hookDamage(hook) {
  if (hook.program.error) return hook.program.error;
  if (hook.program.version.machine !== 0x8664) return 'it is made for 32-bit Windows, and the game is 64-bit';
  return 'it lacks the functions the hook gives plug-ins, so it is not the hook';
}

// facts: from folder.js; release: { version, sha256 }; iniReport: the settings report on the game
// folder's VornLoconaut.ini, when there is one.
export function diagnose(facts, release, iniReport = null) {
  const folder = facts.mode === 'folder';
  const { hook, loader } = facts.logs;
  const game = gameOf(facts);
  const unchecked = [...facts.unreadable, ...facts.skipped];
  const below = folder && facts.below ? [finding('game-folder-below', 'info',
    `The game folder is ${facts.below}, inside the folder you chose (${facts.picked}): it holds ${game.exe?.name || 'the game\'s exe'}. The page judged that folder${facts.otherGames.length ? `, not ${listed(facts.otherGames)}, which holds the game too` : ''}, and looked at the rest of ${facts.picked} for files that belong in it.`,
    `Next time you may choose ${facts.below} itself.${facts.otherGames.length ? ` To check ${facts.otherGames[0]}, choose that folder.` : ''}`)] : [];

  // Not the game folder: nothing else it holds says anything about the game.
  if (folder && !game.edition && !facts.programs['scripthookv.dll'] && !hook && !loader) {
    return { findings: [wrongFolder(facts)], unchecked, game, loaders: [] };
  }

  // What the logs prove of the last start, what the files prove, and guesses from what is missing.
  const tiers = { log: [], file: [], guess: [] };
  const adder = (tier) => (...args) => tiers[tier].push(finding(...args));
  const [fromLog, fromFiles] = [adder('log'), adder('file')];
  const guess = (code, kind, saw, todo) => tiers.guess.push(finding(code, kind, `A guess: ${saw}`, todo, { guess: true }));
  const loaders = folder ? loadersOf(facts, game.edition) : [];
  const working = loaders.filter((l) => l.works);
  const ultimate = working.find((l) => l.role === 'ultimate');
  const registered = hook?.registered || [];
  const launched = hook?.launched || [];
  const crashes = hook?.crashes || [];
  const ourCrash = crashes.find((c) => c.ours);
  // Plug-ins got into the game in its last start, so some loader works.
  const loadedAny = Boolean(hook && (hook.scripts > 0 || hook.launches > 0));

  let allGood = null;
  if (launched.length > 0 && !ourCrash) {
    const last = launched[launched.length - 1];
    allGood = finding('all-good', 'good',
      `${at(hook, last)}: the plug-in's script started in the game's last start${hook.starts > 1 ? `, the last of ${grouped(hook.starts)} in this log` : ''}.`,
      'The plug-in is running: in story mode, hold F next to a freight train or a tram. (A tram is the game\'s metro train.)');
  }
  if (ourCrash) {
    fromLog('asi-crashed', 'problem',
      `${at(hook, ourCrash)}: ${quoted(ourCrash)}: Vorn Loconaut's script crashed in the game's last start. The hook showed this line in a message ("Script Hook V Error ... Press OK to continue") and stopped the plug-in; the game ran on without it.`,
      'This is a fault of Vorn Loconaut, for its author to mend: press "Copy this report" below and send it to the author (the address is on the first line of VornLoconaut.ini), with what you were doing when the message came. The report holds this line.');
  }

  // The hook: in the game folder and whole, or where it is instead.
  const hooks = folder ? hookFacts(facts) : {};
  const hookMissing = folder && !hooks.ok;
  if (hookMissing) {
    const loaderToo = working.length > 0 ? '' : ` and ${game.edition ? LOADER[game.edition] : 'its loader'}`;
    if (hooks.renamed) {
      fromFiles('hook-missing', 'problem',
        `${hooks.renamed.name} in the game folder is the hook (it gives plug-ins the hook's functions), but Windows looks for it only as ScriptHookV.dll${hooks.inPlace ? `, and the ScriptHookV.dll there is damaged (${hookDamage(hooks.inPlace)})` : ''}.`,
        `${hooks.inPlace ? 'Delete ScriptHookV.dll, then rename' : 'Rename'} ${hooks.renamed.name} to ScriptHookV.dll.`);
    } else if (hooks.elsewhere) {
      fromFiles('hook-missing', 'problem',
        `${lies(hooks.elsewhere)}, where nothing loads it${hooks.inPlace ? `; the ScriptHookV.dll in the game folder is damaged (${hookDamage(hooks.inPlace)})` : `, not in the game folder (${facts.folder}) itself`}.`,
        `Move ${hooks.elsewhere.path} into the game folder itself${hooks.inPlace ? ', in place of the damaged one' : ''}, beside ${game.exe?.name || 'the game\'s exe'}.`);
    } else if (hooks.inPlace) {
      fromFiles('hook-missing', 'problem',
        `ScriptHookV.dll in the game folder is damaged (${hookDamage(hooks.inPlace)}), so Windows cannot load it.`,
        `Download Script Hook V again from ${HOOK_PAGE} and replace ScriptHookV.dll with the one from its bin folder.`);
    } else if (hooks.archive) {
      fromFiles('in-archive', 'problem',
        `ScriptHookV.dll is only inside ${hooks.archive.path}, which has not been unpacked: nothing loads it from there.`,
        `Open ${hooks.archive.name} and copy ScriptHookV.dll${loaderToo} from its bin folder into the game folder itself (the files, not the bin folder).`);
    } else {
      fromFiles('hook-missing', 'problem',
        `There is no ScriptHookV.dll in the game folder (${facts.folder}).`,
        `Download Script Hook V from its official page, ${HOOK_PAGE}, and copy ScriptHookV.dll${loaderToo} from its bin folder into the game folder itself.`);
    }
  }
  const want = game.build ? `1.0.${game.build}` : null;
  const hookBuild = hooks.inPlace?.role === 'hook' ? /^1\.0\.(\d+)\.(\d+)$/.exec(hooks.inPlace.program.version.fileVersion || '') : null;
  // The hook's version resource names the classic game's version it was made for; a figure below
  // the first PC release's is no game version at all.
  const hookMadeFor = hookBuild && Number(hookBuild[1]) >= 300 ? `${Number(hookBuild[1])}.${Number(hookBuild[2])}` : null;
  const hookFits = Boolean(hookMadeFor && game.edition === 'legacy' && game.build && compareBuilds(hookMadeFor, game.build) >= 0);
  if (hook?.fatal) {
    fromLog('hook-outdated', 'problem',
      `${at(hook, hook.fatal)}: ${quoted(hook.fatal)}: the hook did not know ${want ? `this game's version, ${want}` : 'the game\'s version'} and loaded no plug-in.`,
      `Download the hook made for ${want || 'your version of the game'} from ${HOOK_PAGE} (after a game update it comes some days later) and replace ScriptHookV.dll.`);
  } else if (hook?.version?.build && game.build && hook.version.enhanced === (game.edition === 'enhanced')
    && compareBuilds(hook.version.build, game.build) !== 0) {
    fromFiles('hook-outdated', 'problem',
      `${at(hook, hook.version)} names game version 1.0.${hook.version.build}, but ${EXE[game.edition]} is ${want}: the game was updated after the hook last ran.`,
      `Make sure ScriptHookV.dll is the one made for ${want} (${HOOK_PAGE} names the versions each release supports), then start the game and look again.`);
  } else if (hook?.supports.length && game.build) {
    const newest = game.edition === 'enhanced' ? (hook.supports.length > 1 ? hook.supports[1] : null) : hook.supports[0];
    if (newest && /^\d+\.\d+$/.test(newest) && compareBuilds(newest, game.build) < 0) {
      fromFiles('hook-outdated', 'problem',
        `${at(hook, hook.header)} says the hook was built for game version 1.0.${newest}, older than ${EXE[game.edition]}, ${want}.`,
        `Download the hook made for ${want} from ${HOOK_PAGE} and replace ScriptHookV.dll.`);
    }
  } else if (hookMadeFor && game.edition === 'legacy' && game.build && !hookFits) {
    fromFiles('hook-outdated', 'problem',
      `ScriptHookV.dll's Properties name version 1.0.${hookMadeFor}, older than ${EXE[game.edition]}, ${want}.`,
      `Download the hook made for ${want} from ${HOOK_PAGE} and replace ScriptHookV.dll.`);
  }

  // The loaders: none that works, or two.
  const own = loaders.find((l) => l.lower === LOADER[game.edition]);
  // A loader the page could not read may well work: that is for "not checked".
  if (folder && game.edition && working.length === 0 && !loadedAny && own?.role !== 'unknown') {
    const other = loaders.find((l) => l.role === 'other-edition');
    const unknown = loaders.filter((l) => l.role === 'unknown');
    const otherText = other ? ` ${other.name} is here, but it is the hook's loader for ${EDITION[game.edition === 'legacy' ? 'enhanced' : 'legacy']}.` : '';
    const unknownText = unknown.length ? ` If ${listed(unknown.map((l) => l.name))} is an ASI loader (the page could not read what it is), keep it and add none.` : '';
    // A loader the player has, in the wrong place or under a name Windows does not load.
    const stray = facts.strayLoaders.find((l) => !l.broken && (l.ultimate || l.named === LOADER[game.edition]));
    if (stray) {
      const renamed = stray.where === 'game';
      fromFiles('loader-missing', 'problem',
        `${renamed ? `${stray.name} in the game folder` : lies(stray)}: it is ${stray.ultimate ? 'the Ultimate ASI Loader' : `the ASI loader for ${EDITION[game.edition]}`}, but ${renamed ? `Windows loads it only under the name ${stray.ultimate ? 'of a DLL the game uses, such as dinput8.dll' : stray.named}` : 'Windows loads it only from the game folder itself'}.${otherText}`,
        `${renamed ? `Rename it to ${stray.ultimate ? 'dinput8.dll' : stray.named}` : `Move ${stray.path} into the game folder itself`}${other ? ` and remove ${other.name}` : ''}.${unknownText}`);
    } else {
      fromFiles('loader-missing', 'problem',
        own
          ? `${own.name}, the ASI loader for ${EDITION[game.edition]}, is damaged (${own.program.error}), so Windows cannot load it.${otherText}`
          : `The game folder holds no ASI loader, which loads the plug-ins: the hook's for ${EDITION[game.edition]} is ${LOADER[game.edition]}.${otherText}`,
        `Copy ${LOADER[game.edition]} from the hook's zip (${HOOK_PAGE}, its bin folder) into the game folder${other ? ` and remove ${other.name}` : ''}.${unknownText}`);
    }
  } else if (folder && working.length === 0 && loadedAny) {
    unchecked.push(`The page found no ASI loader it knows in the game folder, yet ${hook.name} shows plug-ins loaded in the last start: one of the DLLs there is a loader it does not know.`);
  }
  // The Ultimate ASI Loader as xinput1_4.dll stopped the Enhanced edition from starting until its
  // fix of 2 June 2026 (ThirteenAG/Ultimate-ASI-Loader#209); its PE header says when it was linked.
  const linked = ultimate?.program.version.linked;
  if (ultimate && game.edition === 'enhanced' && ultimate.lower === LOADER.enhanced && !loadedAny
    && linked > ULTIMATE_FIRST && linked < ULTIMATE_ENHANCED_FIX) {
    fromFiles('loader-outdated', 'problem',
      `${loaderName(ultimate)} was built on ${new Date(linked * 1000).toISOString().slice(0, 10)}, before its fix of June 2026 for the Enhanced edition: under this name it keeps GTA5_Enhanced.exe from starting.`,
      `Replace it with the newest release of the Ultimate ASI Loader, or with xinput1_4.dll from the hook's zip (${HOOK_PAGE}, its bin folder).`);
  }
  if (working.length > 1) {
    fromFiles('loaders-twice', 'problem',
      `There are ${working.length} ASI loaders in the game folder: ${working.map(loaderName).join('; ')}. Each loads every plug-in, so Vorn Loconaut and the others load twice, or the game stops as it starts.`,
      `Keep one of them and delete the other${working.length > 2 ? 's' : ''} (or move ${working.length > 2 ? 'them' : 'it'} out of the game folder). Keep the Ultimate ASI Loader if plug-ins lie in scripts\\ or plugins\\, which only it reads; the hook's loader reads the game folder only.`);
  }
  if (ultimate) {
    unchecked.push(`${ultimate.name} is the Ultimate ASI Loader, which keeps no log: the page could not check which plug-ins it loaded. One it cannot load shows "Unable to load <name>.asi" when the game starts.`);
  }
  for (const l of loaders.filter((x) => x.role === 'unknown')) {
    unchecked.push(`${l.name}: the page could not read what it is (${l.program.error}).`);
  }
  for (const l of loaders.filter((x) => x.role === 'broken' && !Object.values(LOADER).includes(x.lower))) {
    unchecked.push(`${l.name} is damaged (${l.program.error}): Windows cannot load it, and the game may stop as it starts while it lies in the game folder.`);
  }

  // The loader's log: nothing loaded at all, or no log where the hook's loader should write one.
  const pathNote = /[^\x20-\x7e]/.test(facts.folder || '')
    ? ` The folder's name, ${facts.folder}, has letters beyond English ones; the hook's loader is known to list no plug-in then: move the game to a path without them.`
    : ' If the path of the game folder has letters beyond English ones, move the game to a path without them: the hook\'s loader lists no plug-in then.';
  const hookLoader = working.find((l) => l.role === 'hook');
  if (loader && loader.plugins === 0) {
    const between = loader.loadingStart && loader.loadingEnd
      ? `: ${at(loader, loader.loadingStart)} starts loading and line ${grouped(loader.loadingEnd.n)} finishes with nothing in between` : '';
    fromLog('nothing-loaded', 'problem',
      `${loader.name} lists no plug-in at all in the game's last start${between}.`,
      `That is the mark of the game's anti-cheat, BattlEye, blocking plug-ins: ${ANTI_CHEAT}, then start story mode.${pathNote}`);
  } else if (!loader && !hook && hookLoader && !ultimate) {
    guess('no-log', 'problem',
      `${hookLoader.name}, the hook's loader, is in place, but the game folder holds neither asiloader.log nor ScriptHookV.log, which the loader and the hook write once the game has started with them.`,
      `If you have not started the game since installing the hook, start story mode once, then choose the folder here again. If the logs are still missing, the game's anti-cheat, BattlEye, blocked the loader: ${ANTI_CHEAT}.`);
  }

  // Our plug-in: there at all, where a loader reads it, loaded, registered, started; once, and ours.
  // A copy runs where a loader present reads it: the hook's loader the game folder alone, the
  // Ultimate ASI Loader scripts\ and plugins\ too (with no loader known, the game folder counts).
  const reached = (a) => a.reach.hook && (hookLoader || !ultimate) || a.reach.ultimate && Boolean(ultimate);
  const copies = facts.asis.filter((a) => a.where !== 'outside');
  const inReach = copies.filter(reached);
  const loaderOurs = loader?.ours || [];
  const ourArchive = facts.archives.find((a) => a.holds.some((n) => /(^|\/)vornloconaut[^/]*\.asi$/i.test(n)));
  if (folder && facts.asis.length === 0 && ourArchive) {
    fromFiles('in-archive', 'problem',
      `VornLoconaut.asi is only inside ${ourArchive.path}, which has not been unpacked: no loader loads it from there.`,
      `Open ${ourArchive.name} and copy VornLoconaut.asi from it into the game folder itself, beside ScriptHookV.dll.`);
  } else if (folder && facts.asis.length === 0) {
    fromFiles('asi-missing', 'problem',
      'There is no VornLoconaut.asi in the game folder, nor in scripts\\ or plugins\\.',
      'Copy VornLoconaut.asi from the release\'s zip into the game folder, beside ScriptHookV.dll.');
  } else if (!folder && loader && loader.plugins > 0 && loaderOurs.length === 0 && registered.length === 0) {
    fromLog('asi-missing', 'problem',
      `${loader.name} lists ${grouped(loader.plugins)} plug-in${loader.plugins === 1 ? '' : 's'} in the game's last start, but not VornLoconaut.asi: the loader did not find it in the game folder.`,
      'Copy VornLoconaut.asi from the release\'s zip into the game folder, beside ScriptHookV.dll.');
  }
  if (folder && inReach.length === 0 && facts.asis.length > 0) {
    const onlySub = facts.asis.every((a) => a.where === 'scripts' || a.where === 'plugins');
    const rule = ultimate ? 'the Ultimate ASI Loader loads plug-ins from the game folder, scripts\\ (and the folders in it) and plugins\\ only'
      : 'the hook\'s loader loads plug-ins from the game folder only';
    fromFiles('asi-in-subfolder', 'problem',
      `VornLoconaut.asi is only ${onlySub ? 'in a subfolder' : 'where no loader looks'} (${places(facts.asis)}), and ${rule}.`,
      'Move it into the game folder itself, beside ScriptHookV.dll.');
  }
  const failed = loaderOurs.filter((l) => !l.loaded);
  if (failed.length > 0) {
    const line = failed[0];
    // What the files prove of the copy that failed, by the name the log gives it.
    const copy = copies.find((a) => a.where === 'game' && a.name.toLowerCase() === line.name.toLowerCase());
    const fits = hookFits ? ` (ScriptHookV.dll here is the hook, made for ${want}, which fits the game)` : hooks.ok && hooks.inPlace.role === 'hook' ? ' (ScriptHookV.dll here is the hook)' : '';
    let todo;
    if (hookMissing) {
      todo = `That is because ScriptHookV.dll is missing or damaged here, as the page found: install or update the hook from ${HOOK_PAGE}. The game and the other plug-ins run on meanwhile.`;
    } else if (copy && copy.ours === 'damaged') {
      todo = `That is because ${copy.path} is damaged (${copy.damage}), as the page found${fits}: copy VornLoconaut.asi from this release's zip into the game folder again. The game and the other plug-ins run on meanwhile.`;
    } else if (copy && copy.ours === 'build') {
      todo = `That is because ${copy.path} is not this release's plug-in, as the page found${fits}: another version, or a download cut short, fails to load like this. Copy VornLoconaut.asi from this release's zip into the game folder again. The game and the other plug-ins run on meanwhile.`;
    } else {
      todo = `Nothing the page read explains it. A guess: ScriptHookV.dll missing, or made for another version of the game, is the most common cause, and an outdated or damaged plug-in fails the same way: install or update the hook from ${HOOK_PAGE}, and copy VornLoconaut.asi from this release's zip again. The game and the other plug-ins run on meanwhile.`;
    }
    fromLog('asi-failed-to-load', 'problem', `${at(loader, line)}: ${quoted(line)}: Windows could not load the plug-in.`, todo,
      { guess: todo.startsWith('Nothing') });
  }
  const loaded = loaderOurs.filter((l) => l.loaded);
  if (loaded.length > 0 && registered.length === 0 && !hook?.fatal && (hook || folder)) {
    fromLog('asi-not-registered', 'problem',
      `${at(loader, loaded[0])} shows VornLoconaut.asi loaded, but ${hook ? `${hook.name} does not register it in the game's last start (no line "INIT: Registering script 'VornLoconaut.asi'")` : 'there is no ScriptHookV.log in the game folder'}.`,
      `Start the game once more and look at both logs of that start; if it stays so, ScriptHookV.dll is not the hook's own: replace it with the one from ${HOOK_PAGE}.`);
  }
  if (registered.length > 0 && launched.length === 0 && !hook.fatal) {
    const others = hook.launches > 0 ? `; the hook started ${grouped(hook.launches)} other script${hook.launches === 1 ? '' : 's'}` : '';
    fromLog('not-started', 'problem',
      `${at(hook, registered[0])} registers VornLoconaut.asi, but in the game's last start no line starts its script ("CORE: Launching main() for 'VornLoconaut.asi'")${others}.`,
      'The story mode never started in that run, or the game ran GTA Online, where the hook stays off: start story mode and wait until you can walk, then look again.');
  }
  for (const crash of crashes.filter((c) => !c.ours).slice(0, 3)) {
    fromLog('other-crashed', 'note',
      `${at(hook, crash)}: ${quoted(crash)}: another plug-in, ${crash.name}, crashed in the game's last start. That is not Vorn Loconaut.`,
      `Its fault is for the author of ${crash.name}. A crash in one plug-in can upset the others: if Vorn Loconaut misbehaves too, try it without ${crash.name}.`);
  }

  // Copies and builds. This release registers its script only in the first copy a game loads;
  // a copy of another build may not, and then both run.
  const names = new Set([...registered.map((r) => r.name.toLowerCase()), ...loaded.map((l) => l.name.toLowerCase())]);
  const running = folder ? inReach : [];
  if (running.length > 1) {
    const bothRun = running.some((a) => a.ours !== 'release');
    fromFiles('asi-twice', bothRun ? 'problem' : 'note',
      `There are ${running.length} copies of the plug-in: ${listed(running.map((a) => a.path))}.`,
      `Keep one, VornLoconaut.asi in the game folder, and delete the others: ${bothRun ? 'each copy a loader finds runs as a plug-in of its own, an older one with its old faults.'
        : 'this release runs only the first copy the game loads, but a copy of another version left beside it would run as a plug-in of its own.'}`);
  } else if (!folder && names.size > 1) {
    fromLog('asi-twice', 'problem',
      `The logs name ${names.size} copies of the plug-in: ${listed([...names])}.`,
      'Keep one, VornLoconaut.asi in the game folder, and delete the others: each copy runs as a plug-in of its own.');
  }
  const foreign = copies.find((asi) => asi.sha256 && asi.sha256 !== release.sha256);
  if (foreign) {
    fromFiles('asi-unknown-build', 'note',
      `${foreign.path} is not the plug-in of Vorn Loconaut ${release.version}: its SHA-256 begins ${foreign.sha256.slice(0, 12)}, this release's ${release.sha256.slice(0, 12)}.`,
      'It is another version or a damaged download: copy VornLoconaut.asi from this release\'s zip into the game folder again.',
      { ride: reached(foreign) });
  }
  for (const asi of facts.asis) {
    if (!asi.sha256) unchecked.push(`The page could not take the SHA-256 of ${asi.path}: ${asi.error}.`);
  }

  if (folder) iniFindings(facts, iniReport, fromFiles, unchecked);

  if (!folder) {
    unchecked.push('Without the game folder the page could not check the files: ScriptHookV.dll, the loader, where VornLoconaut.asi lies, whether it is this release\'s, and VornLoconaut.ini.');
    if (!hook) unchecked.push('Without ScriptHookV.log the page could not check that the hook knew the game\'s version, registered the plug-in and started it.');
    if (!loader) unchecked.push('Without asiloader.log the page could not check that the loader found and loaded the plug-in.');
  } else if (!hook && !tiers.log.some((f) => f.code === 'asi-not-registered') && !tiers.guess.length && !hookMissing) {
    unchecked.push('There is no ScriptHookV.log in the game folder, so the page could not check that the hook knew the game\'s version, registered the plug-in and started it.');
  }
  // Evidence before guesses; none is made once the logs prove the script started. all-good leads
  // unless something found would change the ride.
  const proven = [...tiers.log, ...tiers.file];
  const ordered = allGood
    ? [...proven.filter((f) => f.ride), allGood, ...proven.filter((f) => !f.ride)]
    : [...proven, ...tiers.guess];
  const findings = [...below, ...ordered, editionFinding(facts, game, loaders)];
  return { findings, unchecked, game, loaders };
}

// The plain-text report a player pastes into a bug report; no user name in any path. Of each log it
// keeps the last start's lines that matter and counts the earlier starts.
export function reportText(facts, result, release) {
  const out = [`Vorn Loconaut ${release.version}: why nothing happens (the playground page's report)`];
  const { game } = result;
  out.push(`Edition: ${game.edition ? `${EDITION[game.edition]} (${EXE[game.edition]})` : 'unknown'}`);
  out.push(`Game version: ${game.build ? `1.0.${game.build} (exe)` : game.logBuild ? `1.0.${game.logBuild} (ScriptHookV.log)` : 'unknown'}`);
  const { hook, loader } = facts.logs;
  if (hook?.header) out.push(`Hook: ${hook.header.text.replace(/^\/\/\s*/, '')}`);
  if (facts.mode === 'folder') {
    const chosen = facts.below ? `${facts.below} in the folder chosen, ${facts.picked}` : facts.folder;
    out.push('', `Game folder: ${chosen} (${grouped(facts.files)} files in the folder chosen, at any depth)`);
    const roles = new Map(result.loaders.map((l) => [l.lower, l]));
    for (const [lower, p] of Object.entries(facts.programs)) {
      const v = p.version;
      const what = p.error ? `could not read: ${p.error}`
        : [v.fileVersion && `version ${v.fileVersion}`, v.strings.FileDescription, v.none && 'no version details'].filter(Boolean).join(', ');
      const role = roles.get(lower);
      out.push(`  ${p.name}  ${grouped(p.size)} bytes  ${what}${role ? `  [${ROLE[role.role]}]` : ''}`);
    }
    for (const a of facts.asis) {
      const build = a.sha256 === release.sha256 ? ' (this release\'s)' : a.ours === 'damaged' ? ` (damaged: ${a.damage})` : '';
      const reach = a.reach.hook ? '' : a.reach.ultimate ? '  [only the Ultimate ASI Loader reads it there]' : '  [no loader reads it there]';
      out.push(`  ${a.path}  ${grouped(a.size)} bytes  SHA-256 ${a.sha256 || `unknown (${a.error})`}${build}${reach}`);
    }
    for (const i of [...facts.inis, ...facts.nearInis]) out.push(`  ${i.path}  ${grouped(i.size)} bytes`);
    for (const h of facts.hooks.filter((x) => x.where === 'game' && !x.exact)) out.push(`  ${h.path}  [the hook, under another name]`);
    for (const p of [...facts.misplaced, ...facts.strayInis, ...facts.otherLogs]) out.push(`  ${p}  [not in the game folder itself]`);
    for (const a of facts.archives) out.push(`  ${a.path}  ${a.error ? `could not look inside: ${a.error}` : `holds ${listed(a.holds)}`}`);
  }
  for (const log of [hook, loader]) {
    if (!log) continue;
    const starts = log.starts > 1 ? `, ${grouped(log.starts)} game starts, the last from line ${grouped(log.header?.n ?? 1)}` : '';
    out.push(`  ${log.name}  ${grouped(log.lines)} lines${starts}${log.source !== log.name ? ` (from ${log.source})` : ''}`);
  }
  out.push('', 'Findings:');
  result.findings.forEach((f, i) => {
    out.push(`${i + 1}. [${f.code}]${f.guess ? ' (a guess)' : ''} ${f.saw}`, `   ${f.todo}`);
    for (const item of f.list || []) out.push(`   - ${item}`);
    if (f.more) out.push(`   - and ${grouped(f.more)} more`);
  });
  if (result.unchecked.length > 0) {
    out.push('', 'Not checked:');
    for (const u of result.unchecked) out.push(`- ${u}`);
  }
  const lines = [];
  for (const log of [loader, hook]) {
    if (!log) continue;
    const kept = [log.header, log.version, log.fatal, log.lib, log.loadingStart, ...(log.registered || []), ...(log.launched || []),
      ...(log.crashes || []), ...(log.ours || []).flatMap((o) => [o.loading, o]), log.loadingEnd].filter(Boolean);
    if (kept.length === 0) continue;
    lines.push(`${log.name}${log.starts > 1 ? ' (the last start)' : ''}:`);
    for (const l of kept.sort((a, b) => a.n - b.n)) lines.push(`  ${String(l.n).padStart(5)}  ${cut(l.text.trim(), 300)}`);
  }
  if (lines.length > 0) out.push('', 'Log lines that matter:', ...lines);
  return redact(out.join('\n'));
}
