// The page's side of what it and the engine agree on. The engine declares the agreement (its
// controls in the order of the ride's control bits, the plug-in's mode numbers, the texts both
// show), and the page's build builds the engine's answer in as VORN_CONTRACT. Here are the page's
// own facts, by the engine's names, and what the page makes of the engine's texts.

// The game's default keys for the engine's controls.
export const CONTROL_KEYS = {
  enter: ['KeyF'], exit: ['KeyF'], accelerate: ['KeyW'], brake: ['KeyS'], handbrake: ['Space'], seatLeft: ['KeyA'],
  seatRight: ['KeyD'], highBeam: ['KeyH'], horn: ['KeyE'], doors: ['KeyG'], derail: ['KeyX'], radio: ['KeyQ'],
};

// The keys of each of the ride's control bits, bit by bit.
export function keysByBit(contract) {
  return contract.controls.map((name) => CONTROL_KEYS[name]);
}

// The view's note over a derailed train.
export function derailedNote(contract, kmh) {
  const { derailed, getOut } = contract.texts;
  return `${derailed.replace('{speed}', `${Math.round(kmh)} km/h`)}. ${getOut}.`;
}
