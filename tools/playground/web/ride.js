// "Try it": the world from above, the player's keys and gamepad buttons as the game's controls, and
// what the plug-in draws on the game's screen laid over it. The world runs at 60 frames a second of
// game time in its own worker; this side only keeps the hands and draws the latest frame.
/* global VORN_CONTRACT */
import { derailedNote } from './contract.js';
import { KEY_NAMES, readPads } from './hands.js';

const CONTRACT = VORN_CONTRACT;
// The arrow keys walk the player on foot (and are the game's keys all the same).
const WALK = { 'ARROW LEFT': [-1, 0], 'ARROW RIGHT': [1, 0], 'ARROW UP': [0, 1], 'ARROW DOWN': [0, -1] };
const ZOOM_KEYS = { Equal: 1.25, NumpadAdd: 1.25, Minus: 0.8, NumpadSubtract: 0.8 };
const FRAME = 1 / 60;
// Line height on screen of a text at scale 1, as a share of the screen's height (as the simulator draws).
const LINE_HEIGHT = 0.066;
const TRACK_GAUGE = 1.5;
// How the legend says an action is used, where what it does does not say so.
const USES = { hold: ' (hold)' };

// Colours of the map, each at least 3:1 against the ground; the page's legend names them.
const GROUND = '#2f3b2f';
const COLOURS = {
  track: '#a39074', wall: '#d0d0d0', player: '#ffd43b', locomotive: '#ff6b6b', wagon: '#adb5bd', tram: '#4dabf7',
  loose: '#ff922b', wreck: '#d8b48a',
};
// How long a note on a key that did nothing stays over the view.
const HINT_MS = 4000;

export class Ride {
  // `views`: the view's notes (derailed, hint), the list of what the displays show (hud), the touch
  // screen's buttons (touch) and the legend of keys or buttons (legend, a table body, and its
  // legendTitle).
  constructor(canvas, timeline, restart, views, onFrame, onError) {
    this.canvas = canvas;
    this.context = canvas.getContext('2d');
    this.timeline = timeline;
    // The timeline's "nothing yet" line, shown until the first event.
    this.emptyTimeline = timeline.querySelector('.empty');
    this.views = views;
    this.worker = null;
    this.hintTimer = 0;
    this.hudText = '';
    this.layout = null;
    this.frame = null;
    this.ini = null;
    // Keys and buttons down, in the order they went down: each with the sources holding it (a key
    // of the keyboard, the pad, a finger on a touch button), so that one letting go leaves the others.
    this.held = new Map();
    // Those that went down since the last batch, which the batch plays even if already up again.
    this.pressed = new Map();
    this.padNames = [];
    this.padWalk = [0, 0];
    this.padUnnamed = false;
    // The cab's actions with their keys and buttons as the plug-in in the ride has them bound, and
    // the device the game says the player uses.
    this.bindings = null;
    this.device = CONTRACT.devices[0];
    this.zoom = 4;
    this.pending = false;
    this.owed = 0;
    this.last = null;
    this.onFrame = onFrame;
    this.onError = onError;
    canvas.addEventListener('keydown', (event) => this.key(event, true));
    canvas.addEventListener('keyup', (event) => this.key(event, false));
    canvas.addEventListener('blur', () => {
      for (const code of Object.keys(KEY_NAMES)) this.release(`key:${code}`);
    });
    canvas.addEventListener('click', () => canvas.focus());
    restart.addEventListener('click', () => {
      if (this.ini) this.start(this.ini);
      canvas.focus();
    });
    // A finger on a button holds its walk key or its action's key or button on the device in use,
    // as long as it stays there.
    for (const button of views.touch.querySelectorAll('button')) {
      const source = `touch:${button.dataset.code || button.dataset.action}`;
      const up = () => {
        this.release(source);
        button.classList.remove('held');
      };
      button.addEventListener('pointerdown', (event) => {
        event.preventDefault();
        button.setPointerCapture?.(event.pointerId);
        const { code, action } = button.dataset;
        if (code) {
          this.press(CONTRACT.devices[0], KEY_NAMES[code], source);
        } else {
          const input = this.bindingOf(action)?.inputs[0];
          if (input) this.press(this.device, input, source);
        }
        button.classList.add('held');
      });
      for (const name of ['pointerup', 'pointercancel', 'lostpointercapture']) button.addEventListener(name, up);
      button.addEventListener('contextmenu', (event) => event.preventDefault());
    }
  }

  press(device, name, source) {
    const id = `${device}:${name}`;
    let entry = this.held.get(id);
    if (!entry) {
      entry = { input: [device, name], by: new Set() };
      this.held.set(id, entry);
      this.pressed.set(id, entry.input);
    }
    entry.by.add(source);
  }

  // Everything `source` holds, or only the input `only` ("pad:L3").
  release(source, only = null) {
    for (const [id, entry] of this.held) {
      if (only !== null && id !== only) continue;
      entry.by.delete(source);
      if (entry.by.size === 0) this.held.delete(id);
    }
  }

  // An action's keys or buttons on the device in use: { inputs, shown }.
  bindingOf(action, device = this.device) {
    return this.bindings?.find((b) => b.action === action)?.[device];
  }

  keysOf(action) {
    const shown = this.bindingOf(action)?.shown ?? [];
    return shown.length > 0 ? shown.join(' or ') : 'nothing';
  }

  // The pads, polled once a frame: the Gamepad API reports no events for buttons. A page the
  // browser denies the pads (a frame without the permission) throws.
  pollPads() {
    let pads = [];
    try {
      pads = navigator.getGamepads?.() ?? [];
    } catch {
      pads = [];
    }
    const { names, walk, other } = readPads(pads);
    const pad = CONTRACT.devices[1];
    for (const name of names) if (!this.padNames.includes(name)) this.press(pad, name, 'pad');
    for (const name of this.padNames) if (!names.includes(name)) this.release('pad', `${pad}:${name}`);
    this.padNames = names;
    this.padWalk = walk;
    if (other > 0 && names.length === 0 && !this.padUnnamed) {
      this.padUnnamed = true;
      this.hint('This gamepad\'s buttons are not in the browser\'s standard layout, so the page cannot tell them apart: ' +
        'use the keyboard here (the game itself knows the pad)');
    }
  }

  // The legend and the touch buttons name the keys, or the pad's buttons once the pad is in use.
  showKeys(bindings, device = this.device) {
    this.bindings = bindings;
    this.device = device;
    const { legend, legendTitle, touch } = this.views;
    const keyboard = this.device === CONTRACT.devices[0];
    legendTitle.textContent = keyboard ? 'Keys' : 'Gamepad buttons';
    const row = (keys, between, use, what, action = null) => {
      const tr = document.createElement('tr');
      const cell = document.createElement('td');
      keys.forEach((key, i) => {
        const kbd = document.createElement('kbd');
        kbd.textContent = key;
        cell.append(...(i > 0 ? [between] : []), kbd);
      });
      cell.append(keys.length === 0 ? 'none' : '', USES[use] ?? '');
      const does = document.createElement('td');
      does.textContent = what;
      tr.append(cell, does);
      if (action) tr.dataset.action = action;
      return tr;
    };
    // Actions that do the same (the seat change to either side) share a row.
    const rows = [];
    for (const b of this.bindings) {
      const same = rows.find((r) => r.does === b.does && r.use === b.use);
      if (same) same.keys.push(...b[this.device].shown);
      else rows.push({ action: b.action, does: b.does, use: b.use, keys: [...b[this.device].shown] });
    }
    legend.replaceChildren(
      row(keyboard ? ['\u2190', '\u2191', '\u2192', '\u2193'] : ['left stick'], ' ', null, 'walk (run)'),
      ...rows.map((r) => row(r.keys, ' or ', r.use, r.does, r.action)),
      row(['+', '-'], ' / ', null, keyboard ? 'zoom' : 'zoom (on the keyboard)'));
    for (const button of touch.querySelectorAll('button[data-action]')) {
      const { action } = button.dataset;
      const shown = this.bindingOf(action)?.shown ?? [];
      button.disabled = shown.length === 0;
      button.querySelector('.input').textContent = shown.length > 0 ? shown.join(' / ') : 'none';
    }
  }

  // The ride's own engine, started once the page's first report is in, so it does not slow that;
  // the view is drawn from then on.
  connect(worker) {
    this.worker = worker;
    worker.onmessage = (event) => this.receive(event.data);
    if (this.ini) this.start(this.ini);
    requestAnimationFrame((time) => this.tick(time));
  }

  start(bytes) {
    this.ini = bytes;
    this.layout = null;
    this.frame = null;
    this.timeline.replaceChildren(this.emptyTimeline);
    this.views.derailed.hidden = true;
    this.views.hint.hidden = true;
    if (this.worker) this.worker.postMessage({ type: 'ride-start', ini: bytes });
  }

  // Edited settings land in the world's VornLoconaut.ini; the plug-in reads them at the next entry.
  useIni(bytes) {
    this.ini = bytes;
    if (this.layout) this.worker.postMessage({ type: 'ride-ini', ini: bytes });
  }

  hint(text) {
    const { hint } = this.views;
    hint.textContent = text;
    hint.hidden = false;
    clearTimeout(this.hintTimer);
    this.hintTimer = setTimeout(() => {
      hint.hidden = true;
    }, HINT_MS);
  }

  showFrame(f) {
    const { derailed, hud } = this.views;
    const wasHidden = derailed.hidden;
    derailed.hidden = !(f.derailed && f.mode === CONTRACT.modes.inCab);
    if (!derailed.hidden && wasHidden) derailed.textContent = derailedNote(CONTRACT, f.derailedAtKmh, this.keysOf('exit'));
    const text = f.hud.join('\n');
    if (text !== this.hudText) {
      this.hudText = text;
      const items = f.hud.length > 0 ? f.hud : ['Nothing now: the plug-in draws only while you enter or drive.'];
      hud.replaceChildren(...items.map((line) => {
        const item = document.createElement('li');
        item.textContent = line;
        return item;
      }));
    }
  }

  key(event, down) {
    const zoom = ZOOM_KEYS[event.code];
    const name = KEY_NAMES[event.code];
    if (!zoom && !name) return;
    // Ctrl+R, Ctrl+L and the like stay the browser's; a key let go is let go all the same.
    if (down && (event.ctrlKey || event.metaKey) && !/^(Control|Meta)/.test(event.code)) return;
    event.preventDefault();
    if (zoom && down) this.zoom = Math.min(16, Math.max(0.5, this.zoom * zoom));
    if (!name) return;
    if (down) this.press(CONTRACT.devices[0], name, `key:${event.code}`);
    else this.release(`key:${event.code}`);
  }

  receive(message) {
    if (message.type === 'error') {
      this.pending = false;
      this.onError(message);
    } else if (message.type === 'ready') {
      // The engine is up; the ride's layout follows.
    } else if (message.type === 'ride-layout') {
      this.layout = message.layout;
      if (this.ini) this.worker.postMessage({ type: 'ride-ini', ini: this.ini });
    } else if (message.type === 'ride-frame') {
      this.pending = false;
      this.frame = message.frame;
      const { bindings, device } = this.frame;
      if (bindings || device !== this.device) this.showKeys(bindings ?? this.bindings, device);
      this.onFrame(this.frame);
      this.showFrame(this.frame);
      for (const { text, hint } of this.frame.events) {
        if (hint) this.hint(text);
        const item = document.createElement('li');
        item.textContent = `${this.frame.time.toFixed(1)} s: ${text}`;
        if (hint) item.className = 'hint';
        this.emptyTimeline.remove();
        this.timeline.prepend(item);
        while (this.timeline.children.length > 8) this.timeline.lastChild.remove();
      }
    }
  }

  // Game time follows the clock in whole frames of 1/60 s; one batch in flight at a time.
  tick(time) {
    requestAnimationFrame((next) => this.tick(next));
    this.pollPads();
    if (this.last !== null) this.owed = Math.min(this.owed + (time - this.last) / 1000, 0.25);
    this.last = time;
    if (this.layout && !this.pending && this.owed >= FRAME) {
      const frames = Math.floor(this.owed / FRAME);
      this.owed -= frames * FRAME;
      const held = [...this.held.values()].map((entry) => entry.input);
      const tapped = [...this.pressed].filter(([id]) => !this.held.has(id)).map(([, input]) => input);
      this.pressed.clear();
      let [walkX, walkY] = this.padWalk;
      for (const [device, name] of held) {
        if (device !== CONTRACT.devices[0] || !(name in WALK)) continue;
        walkX += WALK[name][0];
        walkY += WALK[name][1];
      }
      this.pending = true;
      this.worker.postMessage({ type: 'ride-step', held, tapped, frames, seconds: FRAME, walkX, walkY });
    }
    this.draw();
  }

  draw() {
    const c = this.context;
    const { width, height } = this.canvas;
    c.fillStyle = GROUND;
    c.fillRect(0, 0, width, height);
    if (!this.layout || !this.frame) {
      c.fillStyle = '#fff';
      c.font = '16px sans-serif';
      c.fillText('Starting the world ...', 20, 30);
      return;
    }
    const f = this.frame;
    const centre = this.cameraCentre(f);
    const shake = f.shake > 0 ? f.shake * 2 : 0;
    const jitter = () => (Math.random() - 0.5) * shake;
    const scale = this.zoom;
    c.save();
    c.translate(width / 2 + jitter(), height / 2 + jitter());
    c.scale(scale, -scale);
    c.translate(-centre.x, -centre.y);
    this.drawWorld(c, f, scale);
    c.restore();
    this.drawScreen(c, f, width, height);
  }

  cameraCentre(f) {
    const seated = f.player.vehicle !== 0 ? f.vehicles.find((v) => v.handle === f.player.vehicle) : null;
    return seated ? { x: seated.x, y: seated.y } : { x: f.player.x, y: f.player.y };
  }

  drawWorld(c, f, scale) {
    c.lineJoin = 'round';
    c.strokeStyle = COLOURS.track;
    c.lineWidth = TRACK_GAUGE + 2 / scale;
    for (const track of this.layout.tracks) {
      c.beginPath();
      track.forEach(([x, y], i) => (i === 0 ? c.moveTo(x, y) : c.lineTo(x, y)));
      c.stroke();
    }
    c.strokeStyle = COLOURS.wall;
    c.lineWidth = 1;
    for (const [x1, y1, x2, y2] of this.layout.barriers) {
      c.beginPath();
      c.moveTo(x1, y1);
      c.lineTo(x2, y2);
      c.stroke();
    }
    for (const v of f.vehicles) {
      c.save();
      c.translate(v.x, v.y);
      c.rotate((v.heading * Math.PI) / 180);
      const tram = v.model === 'metrotrain';
      c.fillStyle = v.wrecked ? COLOURS.wreck : v.loose ? COLOURS.loose : tram ? COLOURS.tram : v.lead ? COLOURS.locomotive : COLOURS.wagon;
      c.fillRect(-1.5, -8, 3, 16);
      c.strokeStyle = GROUND;
      c.lineWidth = 0.5;
      c.strokeRect(-1.5, -8, 3, 16);
      if (v.lead || tram) {
        c.fillStyle = '#fff';
        c.fillRect(-1.2, 6, 2.4, 1.5);
      }
      c.restore();
    }
    for (const e of f.explosions) {
      const grow = 2 + e.age * 0.25;
      c.fillStyle = `rgba(255, ${Math.max(60, 200 - e.age * 2)}, 0, ${Math.max(0, 1 - e.age / 90)})`;
      c.beginPath();
      c.arc(e.x, e.y, grow, 0, Math.PI * 2);
      c.fill();
    }
    if (f.player.vehicle === 0) {
      c.fillStyle = COLOURS.player;
      c.beginPath();
      c.arc(f.player.x, f.player.y, Math.max(0.8, 4 / scale), 0, Math.PI * 2);
      c.fill();
    }
  }

  // The plug-in's rectangles and texts at their places on the game's screen.
  drawScreen(c, f, width, height) {
    for (const [x, y, w, h, r, g, b, a] of f.rects) {
      c.fillStyle = `rgba(${r}, ${g}, ${b}, ${a / 255})`;
      c.fillRect((x - w / 2) * width, (y - h / 2) * height, w * width, Math.max(1, h * height));
    }
    for (const t of f.texts) {
      const size = Math.max(6, t.scale * LINE_HEIGHT * height);
      const [r, g, b, a] = t.colour;
      c.font = `${size.toFixed(1)}px sans-serif`;
      c.textBaseline = 'top';
      c.textAlign = t.centred ? 'center' : 'left';
      const x = t.x * width;
      const y = t.y * height;
      if (t.shadow > 0) {
        c.fillStyle = `rgba(0, 0, 0, ${(t.shadow / 255) * (a / 255)})`;
        c.fillText(t.text, x + 1.5, y + 1.5);
      }
      c.fillStyle = `rgba(${r}, ${g}, ${b}, ${a / 255})`;
      c.fillText(t.text, x, y);
    }
  }
}
