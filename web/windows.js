// The host's modal windows in the page: dialogs drawn from their templates, message boxes,
// the file dialog (within the root folder) and pop-up menus. Every answer is a scenario line.
import { send, quote } from './connection.js';

// Dialog units in pixels. The host lays templates out with 8-point MS Sans Serif (base units
// 6 x 13); the page draws with whatever font stands in for the template's, so the horizontal
// unit comes from that font's real text widths (see dialogUnits) and labels are never cut.
let unitX = 6;
const px = (u) => (u * unitX) / 4;
const py = (u) => (u * 13) / 8;
const ES_MULTILINE = 0x4;
const BASE_X = 6;
const MAX_UNIT_X = 12;   // a label that needs more is shown overflowing rather than the dialog doubled

const measurer = document.createElement('canvas').getContext('2d');
const textWidth = (text, font) => { measurer.font = font; return measurer.measureText(text).width; };

// The CSS font of a dialog: its template's face and size, DejaVu Sans where that is missing.
function dialogFont(d) {
  const points = d.fontSize > 0 ? d.fontSize : 8;
  const face = d.fontFace ? `"${d.fontFace.replace(/"/g, '')}", ` : '';
  return `${Math.round((points * 96) / 72)}px ${face}"DejaVu Sans", sans-serif`;
}

// Pixels the text of a control needs besides its label: the box of a check or radio button,
// a button's edges, a group box's indent.
const EXTRA = { check: 20, radio: 20, push: 12, group: 18, static: 2 };

// The horizontal dialog unit: Windows' average character width of the font, widened until
// every one-line label fits its control.
function dialogUnits(d, font) {
  const average = textWidth('ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz', font) / 26;
  let unit = Math.max(BASE_X, (average + 1) / 2);
  for (const c of d.controls) {
    const extra = EXTRA[c.kind];
    if (extra === undefined || !c.visible || c.width <= 0 || !c.text || c.keyword === 'ICON') continue;
    if (c.kind === 'static' && c.height >= 16) continue;   // several lines: the text wraps
    const need = Math.ceil(textWidth(label(c.text), font)) + extra;
    unit = Math.max(unit, Math.min(MAX_UNIT_X, (need * 4) / c.width));
  }
  return unit;
}

let shown = '';
// Edits typed into but not yet sent: they go before any other answer to the dialog.
const unsent = new Map();

function sendToDialog(lines) {
  const edits = [...unsent].map(([id, e]) => `dialog set ${id} ${quote(e.value)}`);
  unsent.clear();
  send([...edits, ...lines]);
}

function element(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

// "&Name" shows as "Name"; "&&" is one ampersand.
const label = (text) => text.replace(/&(&?)/g, '$1');

function frame(caption, x, y) {
  const win = element('div', 'window');
  win.style.left = `${x}px`;
  win.style.top = `${y}px`;
  win.appendChild(element('div', 'caption', caption));
  return win;
}

function place(e, c) {
  e.style.left = `${px(c.x)}px`;
  e.style.top = `${py(c.y)}px`;
  e.style.width = `${px(c.width)}px`;
  e.style.height = `${py(c.height)}px`;
}

function control(c, previews, state) {
  let e;
  switch (c.kind) {
    case 'push':
      e = element('button', 'ctl push', label(c.text));
      e.addEventListener('click', () => sendToDialog([`dialog click ${c.id}`]));
      break;
    case 'check':
    case 'radio': {
      e = element('label', `ctl ${c.kind}`);
      const box = element('input');
      box.type = c.kind === 'check' ? 'checkbox' : 'radio';
      box.checked = c.checked;
      box.disabled = !c.enabled;
      box.dataset.id = c.id;
      box.addEventListener('change', () => sendToDialog([`dialog check ${c.id} ${box.checked ? 'on' : 'off'}`]));
      e.append(box, element('span', '', label(c.text)));
      break;
    }
    case 'group':
      e = element('div', 'ctl group');
      e.appendChild(element('span', '', label(c.text)));
      break;
    case 'edit':
      e = element(c.style & ES_MULTILINE ? 'textarea' : 'input', 'ctl edit');
      e.value = c.text;
      e.addEventListener('input', () => unsent.set(c.id, e));
      e.addEventListener('change', () => {
        if (!unsent.delete(c.id)) return;   // already sent before another answer
        send([`dialog set ${c.id} ${quote(e.value)}`]);
      });
      // Enter (in a one-line edit) and Esc answer the dialog, as in a Windows dialog.
      e.addEventListener('keydown', (k) => {
        if (k.key === 'Escape' || (k.key === 'Enter' && !(c.style & ES_MULTILINE))) {
          k.preventDefault();
          k.stopPropagation();
          sendToDialog([k.key === 'Escape' ? 'esc' : 'enter']);
        }
      });
      break;
    case 'list':
    case 'combo':
      e = element('select', `ctl ${c.kind}`);
      if (c.kind === 'list') e.size = Math.max(2, Math.floor(c.height / 9));
      c.items.forEach((item, i) => {
        const option = element('option', '', item);
        option.selected = i === c.selection;
        e.appendChild(option);
      });
      if (c.kind === 'combo' && c.selection < 0) e.selectedIndex = -1;
      e.addEventListener('change', () => {
        if (e.selectedIndex >= 0) sendToDialog([`dialog choose ${c.id} ${quote(c.items[e.selectedIndex])}`]);
      });
      break;
    case 'static':
      // An icon's text is its resource name, not something shown.
      e = element('div', `ctl static${c.height >= 16 ? ' lines' : ''}`, c.keyword === 'ICON' ? '' : label(c.text));
      break;
    default:
      e = element('div', 'ctl other', label(c.text));
  }
  if (c.ownerDrawn && c.kind !== 'list' && c.kind !== 'combo') {
    e = element('div', 'ctl owner');
    if (previews && !state.previewsPlaced) {
      e.innerHTML = previews;
      state.previewsPlaced = true;
    }
    e.addEventListener('click', () => sendToDialog([`dialog click ${c.id}`]));
  }
  e.dataset.id = c.id;
  if (!c.enabled) e.disabled = true;
  if (!c.visible) e.style.display = 'none';
  place(e, c);
  return e;
}

// The owner-drawn list's previews, one tile per item drawn, labelled with the item's text:
// a click chooses the item, the chosen one is highlighted. The host draws the visible items
// from the list's first shown item down, so the k-th row of previews is item top + k; a row
// drawn again (after a change of the selection) shows its latest drawing.
const TILE_WIDTH = 120;      // pixels of a preview tile's picture
const TILES_WIDTH = 380;     // the tiles beside a dialog

function previewTiles(list, previews) {
  const doc = new DOMParser().parseFromString(previews, 'image/svg+xml');
  const rows = new Map();
  for (const item of doc.documentElement.children)
    if (item.nodeName === 'svg') rows.set(Number(item.getAttribute('y')), item);
  const tiles = element('div', 'tiles');
  [...rows.keys()].sort((a, b) => a - b).forEach((y, k) => {
    const index = (list.top || 0) + k;
    if (index >= list.items.length) return;
    const picture = document.importNode(rows.get(y), true);
    picture.setAttribute('x', '0');
    picture.setAttribute('y', '0');
    // Drawn smaller: the tile shows the item's name beside it.
    const w = Number(picture.getAttribute('width')) || TILE_WIDTH, h = Number(picture.getAttribute('height')) || 16;
    const scale = Math.min(1, TILE_WIDTH / w);
    picture.setAttribute('width', String(Math.round(w * scale)));
    picture.setAttribute('height', String(Math.max(12, Math.round(h * scale))));
    picture.setAttribute('preserveAspectRatio', 'xMidYMid slice');
    const tile = element('div', `tile${index === list.selection ? ' chosen' : ''}`);
    tile.dataset.item = list.items[index];
    tile.title = list.items[index];
    tile.append(picture, element('span', '', list.items[index]));
    tile.addEventListener('click', () => sendToDialog([`dialog choose ${list.id} ${quote(list.items[index])}`]));
    tiles.appendChild(tile);
  });
  return tiles;
}

function dialogWindow(d, previews, depth) {
  const font = dialogFont(d);
  unitX = dialogUnits(d, font);
  const width = px(d.width || 200), height = py(d.height || 100);
  const ownerList = d.controls.find((c) => c.ownerDrawn && (c.kind === 'list' || c.kind === 'combo'));
  // Room for the previews beside the dialog when its list draws them.
  const beside = ownerList && previews ? TILES_WIDTH + 8 : 0;
  const x = Math.max(10, (window.innerWidth - width - beside) / 2 + depth * 24);
  const y = Math.max(10, (window.innerHeight - height) / 3 + depth * 24);
  const win = frame(d.caption || d.name, x, y);
  win.classList.add('dialog');
  win.dataset.name = d.name;
  win.style.font = font;
  const client = element('div', 'client');
  client.style.width = `${width}px`;
  client.style.height = `${height}px`;
  // Owner-drawn lists draw one preview per item: their previews are shown beside the
  // dialog, the list keeps its texts. Otherwise the first owner-drawn control shows them.
  const state = { previewsPlaced: Boolean(ownerList) };
  for (const c of d.controls) client.appendChild(control(c, previews, state));
  win.appendChild(client);
  if (previews && ownerList) {
    const box = element('div', 'previews');
    if (ownerList.kind === 'list') box.appendChild(previewTiles(ownerList, previews));
    else box.innerHTML = previews;
    box.style.left = `${width + 8}px`;
    if (ownerList.kind === 'list') box.style.width = `${TILES_WIDTH}px`;
    box.style.top = '0px';
    client.appendChild(box);
  }
  return win;
}

function messageWindow(m) {
  const win = frame(m.caption, window.innerWidth / 2 - 180, window.innerHeight / 3);
  win.classList.add('message');
  win.appendChild(element('div', 'body', m.lines.join('\n')));
  const buttons = element('div', 'buttons');
  for (const [text, answer] of [['OK', 'ok'], ['Yes', 'yes'], ['No', 'no']]) {
    const b = element('button', '', text);
    b.addEventListener('click', () => send([`answer ${answer}`]));
    buttons.appendChild(b);
  }
  win.appendChild(buttons);
  return win;
}

function menuWindow(m) {
  const win = frame('Menu', window.innerWidth / 2 - 80, window.innerHeight / 3);
  win.classList.add('menu');
  for (const item of m.lines) {
    if (item === '-') { win.appendChild(element('hr')); continue; }
    const row = element('div', '', label(item));
    row.addEventListener('click', () => send([`menu ${quote(item)}`]));
    win.appendChild(row);
  }
  const none = element('div', '', '(none)');
  none.addEventListener('click', () => send(['menu none']));
  win.appendChild(none);
  return win;
}

// A file picker over the root folder: choose(path) gets the chosen name, or null.
export function filePicker(title, choose, initialName = '') {
  const win = frame(title, window.innerWidth / 2 - 210, window.innerHeight / 4);
  win.classList.add('files');
  const where = element('div', 'body', '');
  const list = element('ul');
  const name = element('input');
  name.value = initialName;
  const buttons = element('div', 'buttons');
  const ok = element('button', '', 'OK');
  const cancel = element('button', '', 'Cancel');
  buttons.append(ok, cancel);
  win.append(where, list, name, buttons);
  let dir = '.';
  const join = (a, b) => (a === '.' || a === '' ? b : `${a}/${b}`);
  async function show(folder) {
    const response = await fetch(`api/files?dir=${encodeURIComponent(folder)}`);
    const answer = await response.json();
    if (!response.ok) { where.textContent = answer.error; return; }
    dir = answer.dir || '.';
    where.textContent = `/${dir === '.' ? '' : dir}`;
    list.replaceChildren();
    if (dir !== '.') answer.entries.unshift({ name: '..', folder: true });
    for (const entry of answer.entries) {
      const row = element('li', entry.folder ? 'folder' : 'file', entry.name);
      row.addEventListener('click', () => (entry.folder ? show(join(dir, entry.name)) : (name.value = entry.name)));
      row.addEventListener('dblclick', () => { if (!entry.folder) finish(join(dir, entry.name)); });
      list.appendChild(row);
    }
  }
  function finish(path) { win.remove(); choose(path); }
  ok.addEventListener('click', () => finish(name.value ? join(dir, name.value) : null));
  cancel.addEventListener('click', () => finish(null));
  name.addEventListener('keydown', (e) => { if (e.key === 'Enter') ok.click(); });
  show('.');
  return win;
}

// Shows the open windows of the state, innermost last; unchanged windows stay as they are.
let innermostShown = '';

// Focus as a Windows dialog has it: in the first edit control when the dialog opens, and
// where it was when the dialog is drawn again.
function placeFocus(host, dialogs, focusedId) {
  const wins = host.querySelectorAll('.window.dialog');
  const win = wins[wins.length - 1];
  const key = dialogs.length ? `${dialogs.length}:${dialogs[dialogs.length - 1].name}` : '';
  const opened = key !== innermostShown;
  innermostShown = key;
  if (!win) return;
  const again = !opened && focusedId !== null && win.querySelector(`.ctl[data-id="${focusedId}"], input[data-id="${focusedId}"]`);
  // The first edit that takes input, else the first control that does (as a dialog's first
  // tab stop).
  const usable = (e) => !e.disabled && e.style.display !== 'none' && (!e.closest('.ctl') || e.closest('.ctl').style.display !== 'none');
  const first = [...win.querySelectorAll('.ctl.edit')].find(usable) ||
    [...win.querySelectorAll('.ctl input, select.ctl, button.ctl')].find(usable);
  const target = again || (opened ? first : null);
  if (!target) return;
  target.focus();
  if (opened && target.select) target.select();
}

export function renderWindows(state, previews, previewsVersion, host) {
  const key = JSON.stringify([state.dialogs, state.modal, previewsVersion]);
  if (key === shown) return;
  shown = key;
  const active = document.activeElement;
  const focusedId = active && active.closest && active.closest('#windows .dialog') ? active.dataset.id ?? null : null;
  host.querySelectorAll('.window:not(.local)').forEach((w) => w.remove());
  state.dialogs.forEach((d, i) => {
    const innermost = i === state.dialogs.length - 1;
    host.appendChild(dialogWindow(d, innermost ? previews : '', i));
  });
  if (state.modal.length === 0) placeFocus(host, state.dialogs, focusedId);
  for (const m of state.modal) {
    if (m.kind === 'message') host.appendChild(messageWindow(m));
    else if (m.kind === 'menu') host.appendChild(menuWindow(m));
    else if (m.kind === 'file') {
      host.appendChild(filePicker(`File: ${m.caption}`, (path) => send([path ? `file ${quote(path)}` : 'file cancel'])));
    }
  }
}

// Esc and Enter for the innermost dialog, after the edits typed into it.
export function answerDialog(line) { sendToDialog([line]); }

export function windowsOpen(state) {
  return state && (state.dialogs.length > 0 || state.modal.length > 0);
}
