// The host's modal windows in the page: dialogs drawn from their templates, message boxes,
// the file dialog (within the root folder) and pop-up menus. Every answer is a scenario line.
import { send, quote } from './connection.js';

// Dialog units in pixels (8-point MS Sans Serif: base units 6 x 13), as the host lays them out.
const px = (u) => (u * 6) / 4;
const py = (u) => (u * 13) / 8;
const ES_MULTILINE = 0x4;

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
      e.addEventListener('change', () => { unsent.delete(c.id); send([`dialog set ${c.id} ${quote(e.value)}`]); });
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
      e = element('div', 'ctl static', c.keyword === 'ICON' ? '' : label(c.text));
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

function dialogWindow(d, previews, depth) {
  const width = px(d.width || 200), height = py(d.height || 100);
  const x = Math.max(10, (window.innerWidth - width) / 2 + depth * 24);
  const y = Math.max(10, (window.innerHeight - height) / 3 + depth * 24);
  const win = frame(d.caption || d.name, x, y);
  win.classList.add('dialog');
  win.dataset.name = d.name;
  const client = element('div', 'client');
  client.style.width = `${width}px`;
  client.style.height = `${height}px`;
  // Owner-drawn lists draw one preview per item: their previews are shown beside the
  // dialog, the list keeps its texts. Otherwise the first owner-drawn control shows them.
  const ownerList = d.controls.some((c) => c.ownerDrawn && (c.kind === 'list' || c.kind === 'combo'));
  const state = { previewsPlaced: ownerList };
  for (const c of d.controls) client.appendChild(control(c, previews, state));
  win.appendChild(client);
  if (previews && ownerList) {
    const box = element('div', 'previews');
    box.innerHTML = previews;
    box.style.left = `${width + 8}px`;
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
export function renderWindows(state, previews, previewsVersion, host) {
  const key = JSON.stringify([state.dialogs, state.modal, previewsVersion]);
  if (key === shown) return;
  shown = key;
  host.querySelectorAll('.window:not(.local)').forEach((w) => w.remove());
  state.dialogs.forEach((d, i) => {
    const innermost = i === state.dialogs.length - 1;
    host.appendChild(dialogWindow(d, innermost ? previews : '', i));
  });
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
