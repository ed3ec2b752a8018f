// Fake game folders for the "Why nothing happens" section, for its tests and the README's picture:
// programs with a version resource, built by MinGW's windres and gcc; logs written here in the
// formats of players' real logs (tools/playground/web/logs.js names them); our released plug-in.
import { execFileSync } from 'node:child_process';
import { closeSync, ftruncateSync, mkdirSync, openSync, readFileSync, writeFileSync, writeSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { root } from './browser.mjs';

export const USER = 'Jan Kowalski';
export const GAME = `C:\\Users\\${USER}\\Games\\Grand Theft Auto V`;

// The six functions the hook exports, under their MSVC-mangled names.
export const HOOK_EXPORTS = ['?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z', '?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z',
  '?scriptWait@@YAXK@Z', '?nativeInit@@YAX_K@Z', '?nativePush64@@YAX_K@Z', '?nativeCall@@YAPEA_KXZ'];

const crlf = (lines) => `${lines.join('\r\n')}\r\n`;

export function loaderLog(plugins, { enhanced = false } = {}) {
  const lib = enhanced ? 'xinput1_4.dll' : 'dinput8.dll';
  return crlf([
    `// GTA V ${enhanced ? 'ENHANCED ' : ''}ASI LOADER (build ${enhanced ? 'Mar 22 2025' : 'May  2 2015'})`,
    `//     (C) Alexander Blade ${enhanced ? 2025 : 2015}`,
    `LIB: "C:\\WINDOWS\\system32\\${lib}" => 00007FFA91600000`,
    'API: "DllCanUnloadNow" => 00007FFA91619EB0',
    'LOADER: Loading *.asi plugins',
    ...plugins.flatMap(([name, loaded], i) => [`ASI: Loading "${GAME}\\${name}"`,
      `     "${name}" ${loaded ? `=> 00007FFA9${i % 10}590000` : 'failed to load'}`]),
    'LOADER: Finished loading *.asi plugins',
  ]);
}

// `crashed`: the scripts whose exception the hook logs after the launches, as a crash leaves it.
export function hookLog({ version = 'VER_1_0_3586_0', fatal = false, registered = ['OtherMod.asi', 'VornLoconaut.asi'],
  launched = registered, crashed = [] } = {}) {
  const lines = ['// GTA V SCRIPT HOOK (build Aug 13 2025, v3586.0/889.22)', '//          (C) Alexander Blade 2015-2025',
    '[18:33:53] INIT: Started'];
  if (fatal) return crlf([...lines, '[18:33:53] FATAL: Unknown game version']);
  lines.push(`[18:33:53] INIT: Success, game version is ${version}`);
  registered.forEach((name, i) => lines.push(`[18:33:53] INIT: Registering script '${name}' (0x00007FFB2D4A${i}230)`));
  lines.push('[18:34:10] INIT: GtaThread collection size 189', '[18:35:02] CORE: Requesting thread creation');
  launched.forEach((name, i) => lines.push(`[18:35:05] CORE: Launching main() for '${name}' (0x00007FFB2D4A${i}230), id ${32 + i}`));
  crashed.forEach((name) => lines.push(`[18:41:17] CORE: An exception occurred while executing '${name}' (0x00007FFB2D4A${registered.indexOf(name)}230), id ${32 + launched.indexOf(name)}`));
  return crlf(lines);
}

// The exe with its resources moved to the end of a sparse file of `size` bytes, where a real
// game's exe keeps them: only the section table changes.
export function sparse(path, exe, size) {
  const header = Buffer.from(exe);
  const at = header.readUInt32LE(0x3c);
  const table = at + 24 + header.readUInt16LE(at + 20);
  for (let i = 0; i < header.readUInt16LE(at + 6); i += 1) {
    const o = table + i * 40;
    if (header.toString('latin1', o, o + 8).replace(/\0+$/, '') !== '.rsrc') continue;
    const [rawSize, rawOffset] = [header.readUInt32LE(o + 16), header.readUInt32LE(o + 20)];
    const moved = Math.floor((size - rawSize) / 512) * 512;
    header.writeUInt32LE(moved, o + 20);
    const fd = openSync(path, 'w');
    writeSync(fd, header, 0, rawOffset, 0);
    writeSync(fd, exe, rawOffset, rawSize, moved);
    ftruncateSync(fd, size);
    closeSync(fd);
    return;
  }
  throw new Error('no .rsrc section');
}

// Everything under `scratch`: the programs are built once.
export function gameFolders(scratch) {
  // A tiny PE with the given version resource (none without one): an exe, or a DLL, which may
  // export names (the hook's).
  function pe(name, { version, strings = {}, dll = false, exports = [] } = {}) {
    const dir = join(scratch, 'build', name);
    mkdirSync(dir, { recursive: true });
    writeFileSync(join(dir, 'main.c'), 'void start(void) {}\n');
    const objects = [join(dir, 'main.c')];
    if (exports.length) {
      writeFileSync(join(dir, 'exports.def'), `EXPORTS\n${exports.map((e) => `  "${e}" = start\n`).join('')}`);
      objects.push(join(dir, 'exports.def'));
    }
    if (version) {
      const values = Object.entries(strings).map(([k, v]) => `      VALUE "${k}", "${v}"`).join('\n');
      const numbers = version.replaceAll('.', ',');
      writeFileSync(join(dir, 'version.rc'), `1 VERSIONINFO\nFILEVERSION ${numbers}\nPRODUCTVERSION ${numbers}\n` +
        `BEGIN\n  BLOCK "StringFileInfo"\n  BEGIN\n    BLOCK "040904b0"\n    BEGIN\n${values}\n    END\n  END\n` +
        '  BLOCK "VarFileInfo"\n  BEGIN\n    VALUE "Translation", 0x409, 1200\n  END\nEND\n');
      execFileSync('x86_64-w64-mingw32-windres', [join(dir, 'version.rc'), '-O', 'coff', '-o', join(dir, 'version.o')]);
      objects.push(join(dir, 'version.o'));
    }
    const out = join(dir, dll ? 'out.dll' : 'out.exe');
    execFileSync('x86_64-w64-mingw32-gcc', ['-nostdlib', '-s', '-Wl,--entry=start', ...(dll ? ['-shared'] : []), '-o', out, ...objects]);
    return readFileSync(out);
  }

  const game = { FileDescription: 'Grand Theft Auto V', ProductName: 'Grand Theft Auto V' };
  const programs = {
    legacy: pe('legacy', { version: '1.0.3586.0', strings: { ...game, FileVersion: '1.0.3586.0' } }),
    enhanced: pe('enhanced', { version: '1.0.889.22', strings: { ...game, FileVersion: '1.0.889.22' } }),
    hook: pe('hook', { dll: true, version: '1.0.3586.0', strings: { FileDescription: 'Script Hook V' }, exports: HOOK_EXPORTS }),
    loader: pe('loader', { dll: true }),
    ultimate: pe('ultimate', { dll: true, version: '9.1.0.0', strings: { FileDescription: 'Ultimate ASI Loader', ProductName: 'Ultimate ASI Loader' } }),
    // A graphics mod's d3d11.dll or dxgi.dll: a DLL under a loader's name that is no loader.
    graphics: pe('graphics', { dll: true, version: '6.3.0.0', strings: { FileDescription: 'ReShade', ProductName: 'ReShade' } }),
  };
  const asi = readFileSync(join(root, 'build/windows-release/VornLoconaut.asi'));

  return {
    programs,
    asi,
    // A classic game's folder in which everything is in place and the plug-in ran; `changes`
    // replace files (null: leave it out).
    legacy(changes = {}) {
      return {
        'GTA5.exe': programs.legacy, 'ScriptHookV.dll': programs.hook, 'dinput8.dll': programs.loader,
        'VornLoconaut.asi': asi, 'asiloader.log': loaderLog([['OtherMod.asi', true], ['VornLoconaut.asi', true]]),
        'ScriptHookV.log': hookLog(), 'x64/data/big.rpf': 'not read', ...changes,
      };
    },
    // Writes the files (a function writes its own) into a folder of that name; returns its path.
    folder(name, files, folderName = 'Grand Theft Auto V') {
      const dir = join(scratch, 'folders', name, folderName);
      for (const [path, content] of Object.entries(files)) {
        if (content === null) continue;
        mkdirSync(dirname(join(dir, path)), { recursive: true });
        if (typeof content === 'function') content(join(dir, path));
        else writeFileSync(join(dir, path), content);
      }
      return dir;
    },
  };
}
