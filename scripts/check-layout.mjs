// check-layout.mjs [ROOT]: the house's limits on its sources. A file of the plug-in (src/) or of the
// page's core (tools/playground/core/) holds at most 400 lines, any other C++ source at most 600,
// and no module (a .h with its .cpp) of one folder reaches, through its includes, a module of
// another folder that reaches it back. Prints each breach and exits 1 when there is one.
import { existsSync, readdirSync, readFileSync } from 'node:fs';
import path from 'node:path';

const root = path.resolve(process.argv[2] ?? path.join(path.dirname(new URL(import.meta.url).pathname), '..'));
// The C++ of the project's own folders (build output and installed packages lie elsewhere).
function sources(folder) {
  if (!existsSync(path.join(root, folder))) return [];
  return readdirSync(path.join(root, folder), { withFileTypes: true }).flatMap((entry) => {
    const name = path.join(folder, entry.name);
    if (entry.isDirectory()) return entry.name === 'node_modules' ? [] : sources(name);
    return /\.(cpp|h)$/.test(entry.name) ? [name] : [];
  });
}
const files = ['src', 'sim', 'tests', 'tools', 'bench', 'release'].flatMap(sources).sort();
const known = new Set(files);
const breaches = [];

for (const file of files) {
  const lines = readFileSync(path.join(root, file), 'utf8').split('\n').length - 1;
  const limit = /^(src|tools\/playground\/core)\//.test(file) ? 400 : 600;
  if (lines > limit) breaches.push(`${file}: ${lines} lines, over ${limit}`);
}

// Includes are written from the tree's root, from src/, tests/ or tools/playground/, or beside the file.
const module = (file) => file.replace(/\.(cpp|h)$/, '');
const reaches = new Map();
for (const file of files) {
  const from = module(file);
  if (!reaches.has(from)) reaches.set(from, new Set());
  for (const [, name] of readFileSync(path.join(root, file), 'utf8').matchAll(/^\s*#\s*include\s+"([^"]+)"/gm)) {
    const found = [path.dirname(file), '.', 'src', 'tests', 'tools/playground']
      .map((base) => path.normalize(path.join(base, name))).find((candidate) => known.has(candidate));
    if (found && module(found) !== from) reaches.get(from).add(module(found));
  }
}
// Tarjan's strongly connected components: a component spanning two folders is a circle between them.
let counter = 0;
const index = new Map(), low = new Map(), stack = [], onStack = new Set();
function visit(v) {
  index.set(v, counter); low.set(v, counter); counter += 1; stack.push(v); onStack.add(v);
  for (const w of reaches.get(v) ?? []) {
    if (!index.has(w)) { visit(w); low.set(v, Math.min(low.get(v), low.get(w))); }
    else if (onStack.has(w)) low.set(v, Math.min(low.get(v), index.get(w)));
  }
  if (low.get(v) === index.get(v)) {
    const component = [];
    let w;
    do { w = stack.pop(); onStack.delete(w); component.push(w); } while (w !== v);
    if (new Set(component.map((m) => path.dirname(m))).size > 1) {
      breaches.push(`a circle between folders: ${component.sort().join(', ')}`);
    }
  }
}
for (const v of reaches.keys()) if (!index.has(v)) visit(v);

for (const breach of breaches) console.log(breach);
console.log(`check-layout: ${files.length} sources, ${breaches.length} breaches`);
process.exit(breaches.length === 0 ? 0 : 1);
