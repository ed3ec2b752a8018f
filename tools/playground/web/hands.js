// The player's hands as the game's control list names them: a key by its KeyboardEvent.code, a
// gamepad's buttons and sticks through the Gamepad API. The engine takes these names and fires every
// control the game binds to each, as the game does.

// The keys of the control list a browser reports, by KeyboardEvent.code (the key's place, whatever
// the layout, as the game reads it). Left out: Tab, which leaves the view for the next control on
// the page, and F5 and F11, the browser's reload and full screen.
export const KEY_NAMES = {
  ...Object.fromEntries([...'ABCDEFGHKLMNPQRSTUVWXYZ'].map((letter) => [`Key${letter}`, letter])),
  ...Object.fromEntries([...'123456789'].map((digit) => [`Digit${digit}`, digit])),
  ...Object.fromEntries([1, 2, 3, 6, 7, 8, 9, 10].map((n) => [`F${n}`, `F${n}`])),
  ...Object.fromEntries([4, 5, 6, 7, 8, 9].map((n) => [`Numpad${n}`, `NUMPAD ${n}`])),
  NumpadAdd: 'NUMPAD+', NumpadSubtract: 'NUMPAD-', NumpadEnter: 'NUMPAD ENTER',
  Space: 'SPACEBAR', Enter: 'ENTER', Escape: 'ESC', Backspace: 'BACKSPACE', CapsLock: 'CAPSLOCK',
  ShiftLeft: 'LEFT SHIFT', ControlLeft: 'LEFT CTRL', AltLeft: 'LEFT ALT',
  ArrowUp: 'ARROW UP', ArrowDown: 'ARROW DOWN', ArrowLeft: 'ARROW LEFT', ArrowRight: 'ARROW RIGHT',
  Insert: 'INSERT', Delete: 'DELETE', Home: 'HOME', PageUp: 'PAGEUP', PageDown: 'PAGEDOWN',
  Minus: '-', Equal: '=', Comma: ',', Period: '.', Backquote: '`', BracketLeft: '[', BracketRight: ']',
};

// The buttons of the Gamepad API's "standard" mapping, by index (W3C Gamepad, "Remapping"; the
// 17th, the home button, the game does not use).
export const PAD_BUTTONS = ['A', 'B', 'X', 'Y', 'LB', 'RB', 'LT', 'RT', 'BACK', 'START', 'L3', 'R3',
  'DPAD UP', 'DPAD DOWN', 'DPAD LEFT', 'DPAD RIGHT'];
// The sticks of that mapping, each an axis pair from -1 to 1 (up is negative), and the dead zone
// inside which a stick counts as at rest: Microsoft's XInput documentation recommends 7849 and 8689
// of 32767 (XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE, ..._RIGHT_...) for the pads the game is played with.
export const PAD_STICKS = [
  { name: 'LEFT STICK', x: 0, y: 1, deadZone: 7849 / 32767 },
  { name: 'RIGHT STICK', x: 2, y: 3, deadZone: 8689 / 32767 },
];

// What the standard-mapped pads connected now hold: the names of the buttons pressed and of the
// sticks pushed beyond their dead zone, and the left stick's push as a walk (x right, y up).
// `other` counts pads without the standard mapping, whose buttons no one can name.
export function readPads(pads) {
  const names = new Set();
  let walk = [0, 0];
  let other = 0;
  for (const pad of pads || []) {
    if (!pad || !pad.connected) continue;
    if (pad.mapping !== 'standard') {
      other += 1;
      continue;
    }
    PAD_BUTTONS.forEach((name, i) => {
      if (pad.buttons[i]?.pressed) names.add(name);
    });
    for (const stick of PAD_STICKS) {
      const x = pad.axes[stick.x] || 0;
      const y = pad.axes[stick.y] || 0;
      if (Math.hypot(x, y) <= stick.deadZone) continue;
      names.add(stick.name);
      if (stick.x === 0) walk = [x, -y];
    }
  }
  return { names: [...names], walk, other };
}
