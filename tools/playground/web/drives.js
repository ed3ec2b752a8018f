// The runs behind the charts, in the order they fill them: the engine's worker makes them for a
// player's settings, and the page's build makes them once for the defaults, which every page
// then carries. Both call the engine the same way, so the two sets are alike to the last bit.

export const RADII = [50, 75, 100, 150, 200, 300, 400, 500, 700, 1000];

export function withBytes(module, bytes, call) {
  const pointer = module._malloc(Math.max(1, bytes.length));
  module.HEAPU8.set(bytes, pointer);
  try {
    return call(pointer, bytes.length);
  } finally {
    module._free(pointer);
  }
}

export function answer(module, pointer) {
  return JSON.parse(module.UTF8ToString(pointer));
}

export function* drivePlan() {
  for (const [chart, name] of [['acceleration', '_vorn_acceleration'], ['braking', '_vorn_braking']]) {
    for (const kind of [0, 1]) yield { chart, kind, name };
  }
  for (const radius of RADII) {
    for (const kind of [0, 1]) yield { chart: 'bend', kind, name: '_vorn_bend', radius };
  }
}

// `settings`: the bytes of the report's settingsIni, which the drives take in place of the player's file.
export function runDrive(module, settings, step) {
  const extra = step.radius === undefined ? [] : [step.radius];
  return withBytes(module, settings, (pointer, length) => answer(module, module[step.name](pointer, length, step.kind, ...extra)));
}

export function emptyDrives() {
  return { 0: { bend: {} }, 1: { bend: {} } };
}

export function storeDrive(set, { chart, kind, radius }, data) {
  if (chart === 'bend') set[kind].bend[radius] = data;
  else set[kind][chart] = data;
}
