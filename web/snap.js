// Object snap switches: end point, midpoint, centre, intersection, nearest. The host snaps
// (clicks at point prompts and ProcCsrSnap); the page only says which modes are on, with a
// `snap` line, and remembers the choice in the browser.
const MODES = [
  { name: 'end', label: 'End', title: 'Snap to end points and corners' },
  { name: 'mid', label: 'Mid', title: 'Snap to midpoints' },
  { name: 'centre', label: 'Cen', title: 'Snap to centres of circles and arcs' },
  { name: 'intersection', label: 'Int', title: 'Snap to intersections' },
  { name: 'nearest', label: 'Near', title: 'Snap to the nearest point on an entity' },
];
const DEFAULT = ['end', 'mid', 'centre', 'intersection'];
const STORE = 'quillet.snaps';

let active = new Set(DEFAULT);

function load() {
  try {
    const saved = JSON.parse(localStorage.getItem(STORE));
    if (Array.isArray(saved)) active = new Set(saved.filter((m) => MODES.some((x) => x.name === m)));
  } catch (e) { /* the defaults */ }
}

export const snapsOn = () => active.size > 0;

export const snapLine = () => (active.size ? `snap ${MODES.filter((m) => active.has(m.name)).map((m) => m.name).join(' ')}` : 'snap off');

// Adds the switches to the toolbar before `before`, and tells the host the modes.
export function snapToolbar(toolbar, before, send) {
  load();
  const box = document.createElement('span');
  box.id = 'snaps';
  box.title = 'Object snaps';
  box.append('Snap:');
  for (const mode of MODES) {
    const label = document.createElement('label');
    label.title = mode.title;
    const check = Object.assign(document.createElement('input'), { type: 'checkbox', checked: active.has(mode.name) });
    check.dataset.snap = mode.name;
    check.addEventListener('change', () => {
      if (check.checked) active.add(mode.name); else active.delete(mode.name);
      try { localStorage.setItem(STORE, JSON.stringify([...active])); } catch (e) { /* not kept */ }
      send([snapLine()]);
    });
    label.append(check, mode.label);
    box.appendChild(label);
  }
  toolbar.insertBefore(box, before);
  send([snapLine()]);
}
