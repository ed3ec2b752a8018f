// The page's side of what it and the engine agree on. The engine declares the agreement (its names
// of the cab's actions and of the devices, the keys and buttons of the game's control list, the
// plug-in's mode numbers, the texts both show), and the page's build builds the engine's answer in
// as VORN_CONTRACT. Here is what the page makes of the engine's texts.

// The view's note over a derailed train; `exit` names the exit's key or button on the device in use.
export function derailedNote(contract, kmh, exit) {
  const { derailed, getOut } = contract.texts;
  return `${derailed.replace('{speed}', `${Math.round(kmh)} km/h`)}. ${getOut.replace('{exit}', exit)}.`;
}
