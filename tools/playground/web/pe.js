// The version resource of a Windows program or DLL, read a few hundred bytes at a time: the DOS and
// PE headers, the section table, the three levels of the resource directory down to RT_VERSION and
// the VS_VERSIONINFO block itself. A game's exe is 100 MB or more and the resources often sit at
// its end, so the file is never read whole; `read(offset, length)` hands back at most `length`
// bytes (fewer at the end of the file).

const RT_VERSION = 16;
// Far beyond any real header or version block; a larger figure is damage, not data.
const LARGEST_HEADERS = 64 * 1024;
const LARGEST_VERSION = 64 * 1024;
const LARGEST_ENTRIES = 4096;
const EXPORT_WINDOW = 8192;

// `loads`: the damage lies in the resources of a complete file, which Windows does not read to load
// a program; a file cut short, or with damaged headers, Windows refuses.
export class PeError extends Error {
  constructor(message, loads = false) {
    super(message);
    this.loads = loads;
  }
}

function fail(message) {
  throw new PeError(message);
}

function damaged(message) {
  throw new PeError(message, true);
}

const u16 = (b, o) => b[o] | (b[o + 1] << 8);
const u32 = (b, o) => (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (b[o + 3] << 24)) >>> 0;

async function exactly(read, offset, length, what) {
  const bytes = await read(offset, length);
  if (bytes.length < length) fail(`it ends inside its ${what}`);
  return bytes;
}

// UTF-16 text from `start` up to a NUL or `end`, whichever comes first.
function utf16(b, start, end) {
  let text = '';
  for (let o = start; o + 1 < end; o += 2) {
    const c = u16(b, o);
    if (c === 0) break;
    text += String.fromCharCode(c);
  }
  return text;
}

const align4 = (o) => (o + 3) & ~3;

// One block of VS_VERSIONINFO (wLength, wValueLength, wType, key, value, children), checked
// against the bytes its parent leaves it. Real files carry odd lengths and a last block that runs
// over its parent by its padding, so the block is cut to what is there rather than refused.
function block(b, start, end) {
  if (start + 6 > end) return null;
  const length = u16(b, start);
  if (length < 6) return null;
  const stop = Math.min(start + length, end);
  let keyEnd = start + 6;
  while (keyEnd + 1 < stop && u16(b, keyEnd) !== 0) keyEnd += 2;
  return {
    stop,
    valueLength: u16(b, start + 2),
    type: u16(b, start + 4),
    key: utf16(b, start + 6, stop),
    value: align4(keyEnd + 2),
  };
}

function* children(b, first, end) {
  let at = align4(first);
  while (at < end) {
    const child = block(b, at, end);
    if (!child) return;
    yield child;
    at = align4(child.stop);
  }
}

const dotted = (high, low) => `${high >>> 16}.${high & 0xffff}.${low >>> 16}.${low & 0xffff}`;

export function parseVersionInfo(b) {
  const root = block(b, 0, b.length);
  if (!root || root.key !== 'VS_VERSION_INFO') damaged('its version details are damaged');
  const result = { fileVersion: null, productVersion: null, strings: {} };
  let next = root.value;
  if (root.valueLength >= 52 && root.value + 52 <= root.stop && u32(b, root.value) === 0xfeef04bd) {
    result.fileVersion = dotted(u32(b, root.value + 8), u32(b, root.value + 12));
    result.productVersion = dotted(u32(b, root.value + 16), u32(b, root.value + 20));
    next = root.value + 52;
  } else {
    next = Math.min(root.value + root.valueLength, root.stop);
  }
  for (const info of children(b, next, root.stop)) {
    if (info.key !== 'StringFileInfo') continue;
    for (const table of children(b, info.value, info.stop)) {
      for (const entry of children(b, table.value, table.stop)) {
        if (entry.key && !(entry.key in result.strings)) {
          result.strings[entry.key] = entry.valueLength > 0 ? utf16(b, entry.value, entry.stop).trim() : '';
        }
      }
    }
  }
  // A root block that ends well before the resource's data, with no text read, was cut short: what
  // the program is cannot be told.
  if (Object.keys(result.strings).length === 0 && root.stop + 8 < b.length) damaged('its version details are cut short');
  return result;
}

// Where an RVA lies in the file, by the section that holds it in its raw data.
function fileOffset(sections, rva, size) {
  for (const s of sections) {
    if (rva >= s.address && rva - s.address < Math.max(s.virtualSize, s.rawSize)) {
      const into = rva - s.address;
      if (into + size > s.rawSize) damaged('its version details lie outside the data the file holds');
      return s.rawOffset + into;
    }
  }
  return damaged('its resources lie in no section of the file');
}

// The first entry of a resource directory, or the one with `id`; null when there is none.
async function directoryEntry(read, base, offset, id) {
  const header = await exactly(read, base + offset, 16, 'resource directory');
  const count = u16(header, 12) + u16(header, 14);
  if (count === 0) return null;
  if (count > LARGEST_ENTRIES) damaged('its resource directory is damaged');
  const entries = await exactly(read, base + offset + 16, count * 8, 'resource directory');
  for (let i = 0; i < count; i += 1) {
    const name = u32(entries, i * 8);
    if (id === undefined || name === id) return u32(entries, i * 8 + 4);
  }
  return null;
}

// The headers Windows checks before it loads a program: { machine, dll, sections, optional,
// directories (offset of the data directories in the optional header), directoryCount }, or a
// PeError saying in plain words why not.
async function readHeaders(read, size) {
  if (size < 64) fail(`it is only ${size} bytes long`);
  const dos = await exactly(read, 0, 64, 'DOS header');
  if (dos[0] !== 0x4d || dos[1] !== 0x5a) fail('it does not start as a Windows program does ("MZ")');
  const pe = u32(dos, 0x3c);
  if (pe > size - 24 || pe > LARGEST_HEADERS) fail('its PE header lies beyond its end');
  const coff = await exactly(read, pe, 24, 'PE header');
  if (u32(coff, 0) !== 0x4550) fail('it has no PE header ("PE")');
  const machine = u16(coff, 4);
  const sectionCount = u16(coff, 6);
  const optionalSize = u16(coff, 20);
  // Windows loads no program of more than 96 sections.
  if (sectionCount > 96) fail('its section table is damaged');
  const optional = await exactly(read, pe + 24, optionalSize, 'optional header');
  const magic = optionalSize >= 2 ? u16(optional, 0) : 0;
  const directories = magic === 0x20b ? 112 : magic === 0x10b ? 96 : fail('its optional header is neither PE32 nor PE32+');
  const directoryCount = optionalSize >= directories ? u32(optional, directories - 4) : 0;
  const table = await exactly(read, pe + 24 + optionalSize, sectionCount * 40, 'section table');
  const sections = [];
  for (let i = 0; i < sectionCount; i += 1) {
    const o = i * 40;
    sections.push({ virtualSize: u32(table, o + 8), address: u32(table, o + 12), rawSize: u32(table, o + 16), rawOffset: u32(table, o + 20) });
  }
  // IMAGE_FILE_DLL
  const dll = Boolean(u16(coff, 22) & 0x2000);
  // When the linker made it, in seconds since 1970 (or a hash, for a reproducible build).
  const linked = u32(coff, 8);
  return { machine, dll, linked, sections, optional, directories, directoryCount };
}

// The data directory `index` (0 exports, 2 resources): its RVA, or 0 when the program has none.
function directory(headers, index) {
  const { optional, directories, directoryCount } = headers;
  if (directoryCount <= index || directories + index * 8 + 8 > optional.length) return 0;
  return u32(optional, directories + index * 8);
}

// The names a DLL exports, at most `most` of them: the hook is the DLL that exports its functions.
// The names usually lie one after another, so one window of bytes holds them all.
async function exportNames(read, headers, most) {
  const rva = directory(headers, 0);
  if (rva === 0) return [];
  const table = await exactly(read, fileOffset(headers.sections, rva, 40), 40, 'export directory');
  const count = Math.min(u32(table, 24), most);
  if (count === 0) return [];
  const pointers = await exactly(read, fileOffset(headers.sections, u32(table, 32), count * 4), count * 4, 'export directory');
  const offsets = Array.from({ length: count }, (_, i) => fileOffset(headers.sections, u32(pointers, i * 4), 1));
  const start = Math.min(...offsets);
  const window = await read(start, EXPORT_WINDOW);
  const names = [];
  for (const at of offsets) {
    let bytes = window.subarray(at - start);
    let end = bytes.indexOf(0);
    if (at - start >= window.length || end < 0) {
      bytes = await read(at, 256);
      end = bytes.indexOf(0);
    }
    names.push(String.fromCharCode(...bytes.subarray(0, end < 0 ? bytes.length : end)));
  }
  return names;
}

// { machine, dll, linked, fileVersion, productVersion, strings, none?, exports? } or a PeError saying in
// plain words why not. `exports`: also the names it exports, up to that many.
export async function readVersion(read, size, { exports = 0 } = {}) {
  const headers = await readHeaders(read, size);
  const result = { machine: headers.machine, dll: headers.dll, linked: headers.linked, fileVersion: null, productVersion: null, strings: {} };
  if (exports > 0) result.exports = await exportNames(read, headers, exports);
  const resources = directory(headers, 2);
  if (resources === 0) return { ...result, none: true };
  const { sections } = headers;
  const base = fileOffset(sections, resources, 16);
  // Type, then name, then language; a high bit marks a subdirectory, and the last level must not.
  const type = await directoryEntry(read, base, 0, RT_VERSION);
  if (type === null) return { ...result, none: true };
  if (!(type & 0x80000000)) damaged('its resource directory is damaged');
  const name = await directoryEntry(read, base, type & 0x7fffffff);
  if (name === null || !(name & 0x80000000)) damaged('its resource directory is damaged');
  const language = await directoryEntry(read, base, name & 0x7fffffff);
  if (language === null || language & 0x80000000) damaged('its resource directory is damaged');
  const data = await exactly(read, base + language, 16, 'resource directory');
  const length = Math.min(u32(data, 4), LARGEST_VERSION);
  const info = await exactly(read, fileOffset(sections, u32(data, 0), length), length, 'version details');
  return { ...result, ...parseVersionInfo(info) };
}

// A File (or Blob) as `read` for readVersion: each call one slice. `counter.bytes` adds up what
// was read, for the page's own check that it never reads a game's exe whole.
export function sliceReader(file, counter = { bytes: 0 }) {
  return async (offset, length) => {
    const bytes = new Uint8Array(await file.slice(offset, offset + length).arrayBuffer());
    counter.bytes += bytes.length;
    return bytes;
  };
}
