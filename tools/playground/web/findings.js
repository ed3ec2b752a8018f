// Why nothing happens, from what the page read of a game folder or of the logs alone: findings in
// the order of the loading chain (the game, the hook, its loader, our plug-in, its script, its
// settings), so the most likely cause comes first. Each finding says what the page saw, naming the
// file or the log line, and what to do; its code is stable (data-finding on the page).
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
//   (ThirteenAG/Ultimate-ASI-Loader#209); as dinput8.dll beside the Enhanced edition's loader it
//   stops the game (illusionyy/Windows-Game-Patches#67). It loads scripts\ and plugins\ too and
//   keeps no log (ThirteenAG/Ultimate-ASI-Loader#185); its version resource names it.
// - BattlEye needs to run only online; the Rockstar Games Launcher's setting, or the launch option
//   on Steam and Epic, turns it off for story mode (support.rockstargames.com, "Grand Theft Auto
//   Online BattlEye FAQ"; the option is -nobattleye: Whisky-App/whisky-book#100). A game folder whose
//   path has letters beyond English ones makes the hook's loader list no plug-in
//   (LukeRoss00/gta5-real-mod#116).
const HOOK_PAGE = 'dev-c.com/gtav/scripthookv';
export const LOADER = { legacy: 'dinput8.dll', enhanced: 'xinput1_4.dll' };
const EXE = { legacy: 'GTA5.exe', enhanced: 'GTA5_Enhanced.exe' };
const EDITION = { legacy: 'the classic game', enhanced: 'the Enhanced edition' };
const ANTI_CHEAT = 'turn the anti-cheat (BattlEye) off for story mode: in the Rockstar Games Launcher in the game\'s settings, on Steam or Epic with the launch option -nobattleye';

const cut = (text, most = 160) => (text.length > most ? `${text.slice(0, most)}...` : text);
const at = (log, line) => `${log.name} line ${line.n}`;
// Curly quotes, since the log lines hold straight ones.
const quoted = (line) => `\u201c${cut(line.text.trim())}\u201d`;

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

// "1.0.3586.0" -> "3586.0"; the game's exe names its version this way in its version resource.
function exeBuild(program) {
  const v = program?.version;
  if (!v) return null;
  const text = v.fileVersion && v.fileVersion !== '0.0.0.0' ? v.fileVersion : v.strings.FileVersion || '';
  const m = /^1\.0\.(\d+)\.(\d+)/.exec(text);
  return m ? `${Number(m[1])}.${Number(m[2])}` : null;
}

export function isUltimateLoader(program) {
  const s = program?.version?.strings || {};
  return [s.FileDescription, s.ProductName, s.OriginalFilename, s.InternalName]
    .some((value) => /ultimate[ -]asi[ -]loader/i.test(value || ''));
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

function finding(code, kind, saw, todo, extra = {}) {
  return { code, kind, saw, todo, ...extra };
}

function editionFinding(facts, game) {
  const { hook } = facts.logs;
  if (!game.edition) {
    if (facts.mode === 'folder') {
      const sub = /^(scripts|plugins)$/i.test(facts.folder || '');
      return finding('edition', 'problem',
        `This folder (${facts.folder}) holds neither GTA5.exe nor GTA5_Enhanced.exe, so it is not the game folder${sub ? `: ${facts.folder} is a folder inside it` : ''}.`,
        'Choose the folder the game is installed in: the one that holds GTA5.exe (the classic game) or GTA5_Enhanced.exe (the Enhanced edition).');
    }
    return finding('edition', 'info', 'The logs do not say which edition of the game ran.',
      'Vorn Loconaut runs on both editions; choose the game folder to have the page check the files too.');
  }
  const name = EXE[game.edition];
  const version = game.build ? `1.0.${game.build}` : game.logBuild ? `1.0.${game.logBuild}` : null;
  let source;
  if (game.build) source = `${name}, version ${version} (from its version resource)`;
  else if (game.exe) source = `${name}; its version could not be read (${game.exe.error || 'it carries no version resource'})${game.logBuild ? `, ${hook.name} line ${hook.version.n} says ${version}` : ''}`;
  else if (game.logBuild) source = `version ${version}, as ${hook.name} line ${hook.version.n} says`;
  else source = `as ${facts.logs.loader?.header ? `the header of ${facts.logs.loader.name}` : 'the logs'} says`;
  const both = game.both ? ' Both GTA5.exe and GTA5_Enhanced.exe are in this folder; the page takes the edition the logs name.' : '';
  return finding('edition', 'info', `${EDITION[game.edition][0].toUpperCase()}${EDITION[game.edition].slice(1)}: ${source}.${both}`,
    `Vorn Loconaut runs on both editions; it needs the hook made for ${version || 'this version of the game'} and the hook's loader for this edition, ${LOADER[game.edition]}.`,
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
    if (key.why.startsWith('default:') && !key.why.startsWith('default: no line supplies it')) {
      mistakes.push(`${key.key}: ${key.why.slice('default: '.length)}, so the default holds`);
    }
  }
  mistakes.push(...report.surprises);
  const listed = report.ignored.filter((l) => l.reason !== 'comment' && l.reason !== 'section').length;
  const counted = Object.entries(report.ignoredByReason)
    .filter(([reason]) => reason !== 'comment' && reason !== 'section').reduce((sum, [, n]) => sum + n, 0);
  return { mistakes, total: mistakes.length + (counted - listed) };
}

// facts: from gamefiles.js; release: { version, sha256 }; iniReport: the settings report on the
// game folder's VornLoconaut.ini, when there is one.
export function diagnose(facts, release, iniReport = null) {
  const folder = facts.mode === 'folder';
  const { hook, loader } = facts.logs;
  const game = gameOf(facts);
  const findings = [];
  const unchecked = [...facts.unreadable];
  const add = (...args) => findings.push(finding(...args));
  const edition = editionFinding(facts, game);

  // Not the game folder: nothing else it holds says anything about the game.
  if (folder && !game.edition && !facts.programs['scripthookv.dll'] && !hook && !loader) {
    return { findings: [edition], unchecked, game };
  }

  const hookDll = facts.programs['scripthookv.dll'];
  const hookMissing = folder && (!hookDll || hookDll.error);
  if (folder && !hookDll) {
    const elsewhere = facts.misplaced.filter((p) => /scripthookv\.dll$/i.test(p));
    add('hook-missing', 'problem',
      `There is no ScriptHookV.dll in the game folder (${facts.folder})${elsewhere.length ? `; ${elsewhere.join(' and ')} lies in a subfolder, where nothing loads it` : ''}.`,
      `Download Script Hook V from its official page, ${HOOK_PAGE}, and copy ScriptHookV.dll and ${game.edition ? LOADER[game.edition] : 'its loader'} from its bin folder into the game folder itself.`);
  } else if (hookMissing) {
    add('hook-missing', 'problem',
      `ScriptHookV.dll in the game folder is no working DLL: ${hookDll.error}, so Windows cannot load it.`,
      `It is damaged: download Script Hook V again from ${HOOK_PAGE} and replace ScriptHookV.dll with the one from its bin folder.`);
  }

  // The hook older than the game.
  const want = game.build ? `1.0.${game.build}` : null;
  if (hook?.fatal) {
    add('hook-outdated', 'problem',
      `${at(hook, hook.fatal)}: ${quoted(hook.fatal)}: the hook did not know ${want ? `this game's version, ${want}` : 'the game\'s version'} and loaded no plug-in.`,
      `Download the hook made for ${want || 'your version of the game'} from ${HOOK_PAGE} (after a game update it comes some days later) and replace ScriptHookV.dll.`);
  } else if (hook?.version?.build && game.build && hook.version.enhanced === (game.edition === 'enhanced')
    && compareBuilds(hook.version.build, game.build) !== 0) {
    add('hook-outdated', 'problem',
      `${at(hook, hook.version)} names game version 1.0.${hook.version.build}, but ${EXE[game.edition]} is ${want}: the game was updated after the hook last ran.`,
      `Make sure ScriptHookV.dll is the one made for ${want} (${HOOK_PAGE} names the versions each release supports), then start the game and look again.`);
  } else if (hook?.supports.length && game.build) {
    const newest = game.edition === 'enhanced' ? (hook.supports.length > 1 ? hook.supports[1] : null) : hook.supports[0];
    if (newest && /^\d+\.\d+$/.test(newest) && compareBuilds(newest, game.build) < 0) {
      add('hook-outdated', 'problem',
        `${at(hook, hook.header)} says the hook was built for game version 1.0.${newest}, older than ${EXE[game.edition]}, ${want}.`,
        `Download the hook made for ${want} from ${HOOK_PAGE} and replace ScriptHookV.dll.`);
    }
  }

  // The loader for this edition.
  const loaderFile = game.edition ? facts.programs[LOADER[game.edition]] : null;
  const ultimate = isUltimateLoader(loaderFile);
  const other = game.edition ? facts.programs[LOADER[game.edition === 'legacy' ? 'enhanced' : 'legacy']] : null;
  if (folder && game.edition && (!loaderFile || loaderFile.error)) {
    const otherText = other ? ` ${other.name} is here, but it is the loader for ${EDITION[game.edition === 'legacy' ? 'enhanced' : 'legacy']}.` : '';
    add('loader-missing', 'problem',
      loaderFile
        ? `${loaderFile.name}, the ASI loader for ${EDITION[game.edition]}, is no working DLL: ${loaderFile.error}.${otherText}`
        : `There is no ${LOADER[game.edition]} in the game folder, the ASI loader that loads plug-ins in ${EDITION[game.edition]}.${otherText}`,
      `Copy ${LOADER[game.edition]} from the hook's zip (${HOOK_PAGE}, its bin folder) into the game folder${other ? ` and remove ${other.name}` : ''}.`);
  }
  const loaderInPlace = folder && loaderFile && !loaderFile.error;
  if (ultimate) {
    unchecked.push(`${loaderFile.name} is the Ultimate ASI Loader, which keeps no log: the page could not check which plug-ins it loaded. One it cannot load shows "Unable to load <name>.asi" when the game starts.`);
  }

  // The anti-cheat, or a loader that found nothing.
  const pathNote = /[^\x20-\x7e]/.test(facts.folder || '')
    ? ` The folder's name, ${facts.folder}, has letters beyond English ones; the hook's loader is known to list no plug-in then: move the game to a path without them.`
    : ' If the path of the game folder has letters beyond English ones, move the game to a path without them: the hook\'s loader lists no plug-in then.';
  if (loader && loader.plugins === 0) {
    const between = loader.loadingStart && loader.loadingEnd
      ? `: ${at(loader, loader.loadingStart)} starts loading and line ${loader.loadingEnd.n} finishes with nothing in between` : '';
    add('nothing-loaded', 'problem',
      `${loader.name} lists no plug-in at all${between}.`,
      `That is the mark of the anti-cheat blocking plug-ins: ${ANTI_CHEAT}, then start story mode.${pathNote}`);
  } else if (!loader && loaderInPlace && !ultimate) {
    add('nothing-loaded', 'problem',
      `${loaderFile.name} is in place, but there is no asiloader.log in the game folder: the loader did not run when the game last started.`,
      `That is the mark of the anti-cheat blocking it: ${ANTI_CHEAT}, then start story mode. (If you have not started the game since installing the loader, start it once and look again.)`);
  }

  // Our plug-in: there at all, in the folder the loader reads, once, this release's.
  const atTop = facts.asis.filter((a) => a.where === 'game');
  const loaderOurs = loader?.ours || [];
  if (folder && facts.asis.length === 0) {
    add('asi-missing', 'problem',
      `There is no VornLoconaut.asi in the game folder, nor in scripts\\ or plugins\\.`,
      'Copy VornLoconaut.asi from the release\'s zip into the game folder, beside ScriptHookV.dll.');
  } else if (!folder && loader && loader.plugins > 0 && loaderOurs.length === 0 && !(hook?.registered.length)) {
    add('asi-missing', 'problem',
      `${loader.name} lists ${loader.plugins} plug-in${loader.plugins === 1 ? '' : 's'}, but not VornLoconaut.asi: the loader did not find it in the game folder.`,
      'Copy VornLoconaut.asi from the release\'s zip into the game folder, beside ScriptHookV.dll.');
  }
  if (folder && atTop.length === 0 && facts.asis.length > 0 && !ultimate) {
    const list = facts.asis.map((a) => a.path).join(', ');
    add('asi-in-subfolder', 'problem',
      `VornLoconaut.asi is only in a subfolder (${list}); the hook's own loader loads plug-ins from the game folder only.`,
      'Move it into the game folder itself, beside ScriptHookV.dll.');
  }
  const failed = loaderOurs.filter((l) => !l.loaded);
  if (failed.length > 0) {
    const line = failed[0];
    const why = hookMissing ? 'here ScriptHookV.dll is missing or damaged (see above)'
      : 'almost always because ScriptHookV.dll is missing or made for another version of the game';
    add('asi-failed-to-load', 'problem',
      `${at(loader, line)}: ${quoted(line)}: Windows could not load the plug-in.`,
      `That is ${why}: install or update the hook from ${HOOK_PAGE}. The game and the other plug-ins run on meanwhile.`);
  }
  const loaded = loaderOurs.filter((l) => l.loaded);
  const registered = hook?.registered || [];
  if (loaded.length > 0 && registered.length === 0 && !hook?.fatal && (hook || folder)) {
    add('asi-not-registered', 'problem',
      `${at(loader, loaded[0])} shows VornLoconaut.asi loaded, but ${hook ? `${hook.name} does not register it (no line "INIT: Registering script 'VornLoconaut.asi'")` : 'there is no ScriptHookV.log in the game folder'}.`,
      `Start the game once more and look at both logs of that start; if it stays so, ScriptHookV.dll is not the hook's own: replace it with the one from ${HOOK_PAGE}.`);
  }
  const launched = hook?.launched || [];
  if (registered.length > 0 && launched.length === 0 && !hook.fatal) {
    const others = hook.launches > 0 ? `; the hook launched ${hook.launches} other script${hook.launches === 1 ? '' : 's'}` : '';
    add('not-started', 'problem',
      `${at(hook, registered[0])} registers VornLoconaut.asi, but no line launches its main() ("CORE: Launching main() for 'VornLoconaut.asi'")${others}.`,
      'The story mode never started in that run, or the game ran GTA Online, where the hook stays off: start story mode and wait until you can walk, then look again.');
  }

  // Copies and builds.
  const copies = folder ? facts.asis.map((a) => a.path) : [];
  const names = new Set([...registered.map((r) => r.name.toLowerCase()), ...loaded.map((l) => l.name.toLowerCase())]);
  if (copies.length > 1) {
    add('asi-twice', 'problem',
      `There are ${copies.length} copies of the plug-in: ${copies.join(', ')}.`,
      `Keep one, VornLoconaut.asi in the game folder, and delete the others: each copy a loader finds runs as a plug-in of its own, an older one with its old faults.`);
  } else if (!folder && names.size > 1) {
    add('asi-twice', 'problem',
      `The logs name ${names.size} copies of the plug-in: ${[...names].join(', ')}.`,
      'Keep one, VornLoconaut.asi in the game folder, and delete the others: each copy runs as a plug-in of its own.');
  }
  for (const asi of facts.asis) {
    if (asi.sha256 && asi.sha256 !== release.sha256) {
      add('asi-unknown-build', 'note',
        `${asi.path} is not the plug-in of Vorn Loconaut ${release.version}: its SHA-256 begins ${asi.sha256.slice(0, 12)}, this release's ${release.sha256.slice(0, 12)}.`,
        'It is another version or a damaged download: copy VornLoconaut.asi from this release\'s zip into the game folder again.');
      break;
    }
  }
  for (const asi of facts.asis) {
    if (!asi.sha256) unchecked.push(`The page could not take the SHA-256 of ${asi.path}: ${asi.error}.`);
  }

  // Settings the plug-in never reads, or reads otherwise than meant.
  const gameIni = facts.inis.find((i) => i.where === 'game');
  const strayIni = facts.inis.filter((i) => i.where !== 'game');
  if (strayIni.length > 0) {
    add('ini-ignored', 'note',
      `${strayIni.map((i) => i.path).join(' and ')} ${strayIni.length === 1 ? 'is' : 'are'} never read: the plug-in reads the VornLoconaut.ini in the game folder only${gameIni ? '' : ', and there is none there yet'}.`,
      gameIni ? 'Put your settings into the game folder\'s VornLoconaut.ini.' : 'Move it into the game folder itself.');
  }
  if (gameIni && iniReport) {
    const { mistakes, total } = iniMistakes(iniReport);
    if (total > 0) {
      add('ini-mistakes', 'note',
        `VornLoconaut.ini in the game folder has ${total} mistake${total === 1 ? '' : 's'}${total > 5 ? ', the first five' : ''}:`,
        'See each one and what the plug-in makes of it under Your settings, with this file opened there.',
        { list: mistakes.slice(0, 5).map((m) => cut(m, 200)), more: Math.max(0, total - 5), ini: gameIni });
    }
  } else if (gameIni && !gameIni.bytes) {
    unchecked.push(`VornLoconaut.ini in the game folder is ${(gameIni.size / 1048576).toFixed(0)} MB, more than the page reads.`);
  }

  const blockers = new Set(['hook-missing', 'hook-outdated', 'loader-missing', 'nothing-loaded', 'asi-missing',
    'asi-in-subfolder', 'asi-failed-to-load', 'asi-not-registered', 'not-started']);
  if (launched.length > 0 && !findings.some((f) => blockers.has(f.code))) {
    add('all-good', 'good',
      `${at(hook, launched[launched.length - 1])} launched the plug-in's script${folder ? ', and its files are in place' : ''}.`,
      'The plug-in is running: hold F next to a freight train or a tram. (A tram is the game\'s metro train.)');
  }

  if (!folder) {
    unchecked.push('Without the game folder the page could not check the files: ScriptHookV.dll, the loader, where VornLoconaut.asi lies, whether it is this release\'s, and VornLoconaut.ini.');
    if (!hook) unchecked.push('Without ScriptHookV.log the page could not check that the hook knew the game\'s version, registered the plug-in and started it.');
    if (!loader) unchecked.push('Without asiloader.log the page could not check that the loader found and loaded the plug-in.');
  } else if (!hook && !findings.some((f) => f.code === 'asi-not-registered') && !hookMissing) {
    unchecked.push('There is no ScriptHookV.log in the game folder, so the page could not check that the hook knew the game\'s version, registered the plug-in and started it.');
  }
  findings.push(edition);
  return { findings, unchecked, game };
}

// The plain-text report a player pastes into a bug report; no user name in any path.
export function reportText(facts, result, release) {
  const out = [`Vorn Loconaut ${release.version}: why nothing happens (the playground page's report)`];
  const { game } = result;
  out.push(`Edition: ${game.edition ? `${EDITION[game.edition]} (${EXE[game.edition]})` : 'unknown'}`);
  out.push(`Game version: ${game.build ? `1.0.${game.build} (exe)` : game.logBuild ? `1.0.${game.logBuild} (ScriptHookV.log)` : 'unknown'}`);
  const { hook, loader } = facts.logs;
  if (hook?.header) out.push(`Hook: ${hook.header.text.replace(/^\/\/\s*/, '')}`);
  if (facts.mode === 'folder') {
    out.push('', `Game folder: ${facts.folder} (${facts.files.toLocaleString('en')} files in it and in its scripts\\ and plugins\\)`);
    for (const p of Object.values(facts.programs)) {
      const v = p.version;
      const what = p.error ? `could not read: ${p.error}`
        : [v.fileVersion && `version ${v.fileVersion}`, v.strings.FileDescription, v.none && 'no version resource'].filter(Boolean).join(', ');
      out.push(`  ${p.name}  ${p.size.toLocaleString('en')} bytes  ${what}`);
    }
    for (const a of facts.asis) {
      out.push(`  ${a.path}  ${a.size.toLocaleString('en')} bytes  SHA-256 ${a.sha256 || `unknown (${a.error})`}${a.sha256 === release.sha256 ? ' (this release\'s)' : ''}`);
    }
    for (const i of facts.inis) out.push(`  ${i.path}  ${i.size.toLocaleString('en')} bytes`);
    for (const p of facts.misplaced) out.push(`  ${p}`);
  }
  for (const log of [hook, loader]) {
    if (log) out.push(`  ${log.name}  ${log.lines.toLocaleString('en')} lines${log.source !== log.name ? ` (from ${log.source})` : ''}`);
  }
  out.push('', 'Findings:');
  result.findings.forEach((f, i) => {
    out.push(`${i + 1}. [${f.code}] ${f.saw}`, `   ${f.todo}`);
    for (const item of f.list || []) out.push(`   - ${item}`);
    if (f.more) out.push(`   - and ${f.more} more`);
  });
  if (result.unchecked.length > 0) {
    out.push('', 'Not checked:');
    for (const u of result.unchecked) out.push(`- ${u}`);
  }
  const lines = [];
  for (const log of [loader, hook]) {
    if (!log) continue;
    const kept = [log.header, log.version, log.fatal, log.lib, log.loadingStart, ...(log.registered || []), ...(log.launched || []),
      ...(log.ours || []).flatMap((o) => [o.loading, o]), log.loadingEnd].filter(Boolean);
    if (kept.length === 0) continue;
    lines.push(`${log.name}:`);
    for (const l of kept.sort((a, b) => a.n - b.n)) lines.push(`  ${String(l.n).padStart(5)}  ${cut(l.text.trim(), 300)}`);
  }
  if (lines.length > 0) out.push('', 'Log lines that matter:', ...lines);
  return redact(out.join('\n'));
}

