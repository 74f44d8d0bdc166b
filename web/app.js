// The page of qlhost --serve: the drawing view, the command line, the prompt and the
// transcript. Mouse and keys become scenario lines, as a script would write them.
import { busy, connect, noteVersions, num, quote, send, sendCommand, sendMove } from './connection.js';
import { answerDialog, renderWindows, windowsOpen } from './windows.js';
import { initCommandLine } from './commandline.js';
import { initFiles } from './files.js';
import { showMessage, showProblems } from './messages.js';
import { updatePanels } from './panels.js';
import { FINISH, atSelectionPrompt, bandLine, bandStyle, clickLine, selecting } from './pick.js';
import { drawOverlay, overlayLayer } from './rubber.js';
import { snapToolbar, snapsOn } from './snap.js';

const $ = (id) => document.getElementById(id);
const svg = $('view');
const NS = 'http://www.w3.org/2000/svg';
const ASPECT = 0.75;         // the host's drawing window is 1000 x 750 pixels
const PICK_PIXELS = 4;       // a press that moves less is a click, not a rubber band

const page = {
  version: 0, drawingVersion: 0, previewsVersion: 0, controlPreviews: '', transcriptCount: 0,
  state: null, commands: [], extent: null, hiddenLayers: new Set(),
  view: { x: 0, y: 0, w: 100, h: 75 }, sentView: '100 75 0 0',
};

// ---------------------------------------------------------------------------------------
// State from the host.

function importSvg(text, target) {
  target.replaceChildren();
  if (!text) return null;
  const doc = new DOMParser().parseFromString(text, 'image/svg+xml');
  const root = doc.documentElement;
  if (root.nodeName !== 'svg') return null;
  let background = true;
  for (const child of [...root.children]) {
    // The picture's white background would hide what lies below it.
    if (background && child.nodeName === 'rect') { background = false; continue; }
    target.appendChild(document.importNode(child, true));
  }
  return root.getAttribute('viewBox');
}

function showDrawing(text) {
  const box = importSvg(text, $('drawing'));
  if (box) {
    const [x, y, w, h] = box.split(/\s+/).map(Number);
    page.extent = { x, y: -(y + h), w, h };
  }
}

function showTranscript(t) {
  if (!t || t.from !== page.transcriptCount || t.lines.length === 0) return;
  const pre = $('transcript');
  pre.append(t.lines.join('\n') + '\n');
  page.transcriptCount = t.from + t.lines.length;
  pre.scrollTop = pre.scrollHeight;
}

function showState(answer) {
  if (answer.version < page.version) return;
  page.version = answer.version;
  const drawingShown = answer.drawingSvg !== undefined;
  if (answer.drawingSvg !== undefined) {
    showDrawing(answer.drawingSvg);
    page.drawingVersion = answer.drawingVersion;
    if (answer.panels) page.panels = answer.panels;
  }
  if (answer.controlPreviews !== undefined) {
    page.controlPreviews = answer.controlPreviews;
    page.previewsVersion = answer.previewsVersion;
  }
  showTranscript(answer.transcript);
  noteVersions({
    version: page.version, drawing: page.drawingVersion, previews: page.previewsVersion, transcript: page.transcriptCount,
  });
  if (answer.commands && answer.commands.length !== page.commands.length) {
    page.commands = answer.commands;
    $('command-names').replaceChildren(...page.commands.map((c) => Object.assign(document.createElement('option'), { value: c })));
  }
  const s = answer.state;
  if (!s || s.prompt === undefined) return;
  page.state = s;
  $('command-name').textContent = s.command;
  $('prompt').textContent = s.prompt ? s.prompt.text : 'Command:';
  $('typed').textContent = s.typed;
  importSvg(s.preview, $('preview'));
  showProblems(s);
  renderWindows(s, page.controlPreviews, page.previewsVersion, $('windows'));
  updatePanels(page, drawingShown);
  commandLine.noteState(s);
  updateOverlay();
}

// Rubber line or box, given points and the snap marker, over the view.
let mouse = null;
function updateOverlay() {
  const width = svg.getBoundingClientRect().width || 1;
  drawOverlay(overlayLayer(svg), page.state, mouse, page.view.w / width);
}

const showError = (message) => showMessage(message);
page.onAnswer = showState;

// ---------------------------------------------------------------------------------------
// The view: a 4:3 window onto the drawing, as the host's drawing window.

function layout() {
  const box = $('view-box');
  const width = Math.min(box.clientWidth - 8, (box.clientHeight - 8) / ASPECT);
  svg.setAttribute('width', Math.max(100, Math.floor(width)));
  svg.setAttribute('height', Math.max(75, Math.floor(width * ASPECT)));
  applyView();
}

function applyView() {
  const v = page.view;
  svg.setAttribute('viewBox', `${v.x} ${-(v.y + v.h)} ${v.w} ${v.h}`);
  const bg = $('background');
  bg.setAttribute('x', v.x); bg.setAttribute('y', -(v.y + v.h));
  bg.setAttribute('width', v.w); bg.setAttribute('height', v.h);
  clearTimeout(applyView.timer);
  applyView.timer = setTimeout(tellView, 250);
}

// The host picks and snaps in pixels of its own window: it sees the same view.
function tellView() {
  const v = page.view;
  const text = `${num(v.w)} ${num(v.h)} ${num(v.x)} ${num(v.y)}`;
  if (text === page.sentView || v.w <= 0) return;
  page.sentView = text;
  send([`view ${text}`]);
}

function setView(x, y, w) {
  page.view = { x, y, w, h: w * ASPECT };
  applyView();
}

function zoom(factor, at) {
  const v = page.view;
  const c = at || { x: v.x + v.w / 2, y: v.y + v.h / 2 };
  const w = v.w * factor;
  setView(c.x - (c.x - v.x) * factor, c.y - (c.y - v.y) * factor, w);
}

function fit() {
  const e = page.extent;
  if (!e || e.w <= 0 || e.h <= 0) return;
  const w = Math.max(e.w, e.h / ASPECT);
  setView(e.x + e.w / 2 - w / 2, e.y + e.h / 2 - (w * ASPECT) / 2, w);
}

function toDrawing(event) {
  const r = svg.getBoundingClientRect();
  const v = page.view;
  return { x: v.x + ((event.clientX - r.left) / r.width) * v.w, y: v.y + (1 - (event.clientY - r.top) / r.height) * v.h };
}

// ---------------------------------------------------------------------------------------
// Mouse.

let band = null;   // rubber band: start point and pixels
let panning = null;
let pressed = null;

const promptKind = () => (page.state && page.state.prompt ? page.state.prompt.kind : -1);
const blocked = () => windowsOpen(page.state);
const at = (p) => `${num(p.x)} ${num(p.y)}`;

function showBand(a, b) {
  const r = $('band');
  r.setAttribute('x', Math.min(a.x, b.x)); r.setAttribute('y', -Math.max(a.y, b.y));
  r.setAttribute('width', Math.abs(a.x - b.x)); r.setAttribute('height', Math.abs(a.y - b.y));
  r.setAttribute('visibility', 'visible');
}

svg.addEventListener('contextmenu', (e) => e.preventDefault());
svg.addEventListener('mousedown', (e) => {
  svg.focus();
  e.preventDefault();
  const p = toDrawing(e);
  if (e.button === 1) { panning = { x: e.clientX, y: e.clientY, view: { ...page.view } }; return; }
  if (blocked()) return;
  if (e.button === 2 && atSelectionPrompt(page.state)) { send([FINISH]); return; }
  if (e.button === 2) { send([`rbutton down ${at(p)}`]); pressed = 'rbutton'; return; }
  if (e.button !== 0) return;
  const kind = promptKind();
  if (kind === 5 || kind === 7 || kind === 23) {
    send([`lbutton down ${at(p)}`]);
    pressed = 'lbutton';
  } else {
    band = { start: p, x: e.clientX, y: e.clientY };
  }
});

window.addEventListener('mousemove', (e) => {
  const p = toDrawing(e);
  $('coords').textContent = `${p.x.toFixed(3)}, ${p.y.toFixed(3)}`;
  if (panning) {
    const r = svg.getBoundingClientRect();
    const v = panning.view;
    setView(v.x - ((e.clientX - panning.x) / r.width) * v.w, v.y + ((e.clientY - panning.y) / r.height) * v.h, v.w);
    return;
  }
  if (band) { showBand(band.start, p); bandStyle($('band'), band.start, p); return; }
  const overView = e.target.closest && e.target.closest('#view');
  mouse = overView ? p : null;
  updateOverlay();
  // Moves reach the host for a drag procedure, and at point prompts for the snap marker.
  const prompt = page.state && page.state.prompt;
  if (overView && prompt && !blocked() && (prompt.drag || ((prompt.kind === 5 || prompt.kind === 7) && snapsOn())))
    sendMove(p.x, p.y);
});

window.addEventListener('mouseup', (e) => {
  const p = toDrawing(e);
  if (panning) { panning = null; return; }
  if (pressed) { send([`${pressed} up ${at(p)}`]); pressed = null; return; }
  if (!band) return;
  const start = band.start;
  const moved = Math.hypot(e.clientX - band.x, e.clientY - band.y) >= PICK_PIXELS;
  band = null;
  $('band').setAttribute('visibility', 'hidden');
  if (moved) {
    send([bandLine(start, p)]);
  } else if (selecting(page.state)) {
    send([clickLine(p, e.shiftKey)]);
  } else {
    send([`lbutton down ${at(p)}`, `lbutton up ${at(p)}`]);
  }
});

svg.addEventListener('wheel', (e) => {
  e.preventDefault();
  zoom(e.deltaY > 0 ? 1.2 : 1 / 1.2, toDrawing(e));
}, { passive: false });

// ---------------------------------------------------------------------------------------
// Keys: held modifiers and keys pressed over the view go through the host's hooks.

const MODIFIERS = { Shift: 'SHIFT', Control: 'CONTROL', Alt: 'ALT' };
const NAMED = {
  Escape: 'ESC', Enter: 'ENTER', Tab: 'TAB', ' ': 'SPACE', Backspace: 'BACK', Delete: 'DELETE', Insert: 'INSERT',
  Home: 'HOME', End: 'END', PageUp: 'PAGEUP', PageDown: 'PAGEDOWN', ArrowLeft: 'LEFT', ArrowUp: 'UP',
  ArrowRight: 'RIGHT', ArrowDown: 'DOWN',
};
const held = new Set();

function keyName(e) {
  if (NAMED[e.key]) return NAMED[e.key];
  if (/^F([1-9]|1[0-9]|2[0-4])$/.test(e.key)) return e.key;
  if (e.key.length !== 1) return null;
  return /[A-Za-z0-9]/.test(e.key) ? e.key.toUpperCase() : quote(e.key);
}

const typing = () => ['INPUT', 'TEXTAREA', 'SELECT'].includes(document.activeElement.tagName);

window.addEventListener('keydown', (e) => {
  if (MODIFIERS[e.key]) {
    if (!e.repeat && !typing() && !held.has(e.key)) { held.add(e.key); send([`keydown ${MODIFIERS[e.key]}`]); }
    return;
  }
  if (page.state && page.state.dialogs.length > 0 && !typing() && (e.key === 'Escape' || e.key === 'Enter')) {
    e.preventDefault();
    answerDialog(e.key === 'Escape' ? 'esc' : 'enter');
    return;
  }
  // Keys reach the host while the view has the focus or the mouse is over it, unless a
  // field of the page takes them.
  if (typing() || blocked() || (document.activeElement !== svg && !svg.matches(':hover'))) return;
  const name = keyName(e);
  if (!name) return;
  e.preventDefault();
  if (name === 'ENTER' && atSelectionPrompt(page.state) && !page.state.typed) { send([FINISH]); return; }
  if (name === 'ESC' && !page.state.command && page.state.selected > 0) { send(['select none']); return; }
  send([`key ${name}`]);
});

window.addEventListener('keyup', (e) => {
  if (MODIFIERS[e.key] && held.delete(e.key)) send([`keyup ${MODIFIERS[e.key]}`]);
});

window.addEventListener('blur', () => {
  for (const key of held) send([`keyup ${MODIFIERS[key]}`]);
  held.clear();
});

// ---------------------------------------------------------------------------------------
// The command line: commands, answers, scenario lines; Tab completes a command name.

const input = $('command');
$('command-form').addEventListener('submit', (e) => {
  e.preventDefault();
  sendCommand(input.value);
  input.value = '';
});

input.addEventListener('keydown', (e) => {
  if (e.key === 'Tab') {
    e.preventDefault();
    const word = input.value.toUpperCase();
    const matches = page.commands.filter((c) => c.toUpperCase().startsWith(word));
    if (matches.length === 0) return;
    let common = matches[0];
    for (const m of matches) while (!m.toUpperCase().startsWith(common.toUpperCase())) common = common.slice(0, -1);
    input.value = matches.length === 1 ? matches[0] : common;
  } else if (e.key === 'Escape') {
    e.preventDefault();
    if (input.value) input.value = ''; else send(['key ESC']);
  }
});

// ---------------------------------------------------------------------------------------
// Files (files.js), the command line's history (commandline.js), undo and redo.

const files = initFiles({ page, fit });
const commandLine = initCommandLine(page, input, $('command-form'));

// Ctrl+Z / Ctrl+Y (and Ctrl+Shift+Z) undo and redo the last command, unless a field of the
// page takes them or a modal window waits; they go before the keys reach the host's hooks.
const undoRedo = (verb) => { if (!blocked()) send([verb]); };
$('undo').addEventListener('click', () => undoRedo('undo'));
$('redo').addEventListener('click', () => undoRedo('redo'));
window.addEventListener('keydown', (e) => {
  if (!e.ctrlKey || e.altKey || typing()) return;
  const key = e.key.toLowerCase();
  if (key !== 'z' && key !== 'y') return;
  e.preventDefault();
  e.stopImmediatePropagation();
  undoRedo(key === 'y' || e.shiftKey ? 'redo' : 'undo');
}, true);

$('zoom-fit').addEventListener('click', fit);
$('zoom-in').addEventListener('click', () => zoom(1 / 1.5));
$('zoom-out').addEventListener('click', () => zoom(1.5));
window.addEventListener('resize', layout);

layout();
snapToolbar($('toolbar'), $('zoom-fit'), send);
connect(showState, showError);
// For tests and the console: the page's state, sending lines, and whether requests wait.
window.quillet = { page, send, fit, busy, setView, files, commandLine };
