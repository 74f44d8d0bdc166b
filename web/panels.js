// The side panels: the properties of the selected entities and the layers of the drawing,
// both from the host's state (its selection and its layer table), so they follow whatever
// changed them: a pick, a window, QLLAYERS, the layer filter commands, a loaded file.
const $ = (id) => document.getElementById(id);

function element(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

const fmt = (v) => (typeof v === 'number' ? String(Number(v.toFixed(4))) : String(v));
const point = (p) => `${fmt(p[0])}, ${fmt(p[1])}`;

// ---------------------------------------------------------------------------------------
// Layers: every layer of the table; the host's hidden ones unchecked (QLLAYERS and the filter
// commands show them again), the others can be hidden in this view only.

let shownLayers = '';

// Hides the drawing's layer groups the user unchecked in the view.
function applyView(page) {
  for (const group of $('drawing').querySelectorAll('g[data-name]'))
    group.style.display = page.hiddenLayers.has(group.dataset.name) ? 'none' : '';
}

function renderLayers(page, layers) {
  const list = $('layer-list');
  const rows = layers.map((layer) => {
    const row = element('li', `layer${layer.current ? ' current' : ''}${layer.hidden ? ' hidden' : ''}`);
    row.dataset.name = layer.name;
    row.dataset.number = layer.number;
    const box = element('input');
    box.type = 'checkbox';
    box.checked = !layer.hidden && !page.hiddenLayers.has(layer.name);
    if (layer.hidden) {
      box.disabled = true;
      box.title = 'Hidden in the drawing (QLLAYERS or QLSHOWF shows it again)';
    } else {
      box.title = 'Show or hide in this view';
      box.addEventListener('change', () => {
        if (box.checked) page.hiddenLayers.delete(layer.name); else page.hiddenLayers.add(layer.name);
        applyView(page);
      });
    }
    const swatches = element('span', 'swatches');
    for (const color of layer.colors) {
      const s = element('span', 'swatch');
      s.style.background = color;
      s.title = color;
      swatches.appendChild(s);
    }
    const label = element('label');
    label.append(box, swatches, element('span', 'name', layer.name));
    row.appendChild(label);
    if (layer.frozen) row.appendChild(element('span', 'tag', 'frozen'));
    if (layer.current) row.appendChild(element('span', 'tag', 'current'));
    row.appendChild(element('span', 'count', String(layer.entities)));
    return row;
  });
  list.replaceChildren(...rows);
}

// ---------------------------------------------------------------------------------------
// Properties of the selection.

let shownSelection = '';

function table(rows) {
  const t = element('table', 'props');
  for (const [key, value] of rows) {
    if (value === undefined || value === null || value === '') continue;
    const tr = element('tr');
    tr.append(element('th', '', key), element('td', '', value));
    tr.dataset.key = key;
    t.appendChild(tr);
  }
  return t;
}

function describe(e) {
  const rows = [
    ['Type', e.type], ['Id', String(e.id)], ['Layer', e.layerName ? `${e.layerName} (${e.layer})` : String(e.layer)],
    ['Line style', e.lineStyle], ['Colour', e.color],
  ];
  if (e.text !== undefined) rows.push(['Text', e.text]);
  if (e.height !== undefined) rows.push(['Height', fmt(e.height)]);
  if (e.center) rows.push(['Centre', point(e.center)]);
  if (e.r !== undefined) rows.push(['Radius', fmt(e.r)]);
  if (e.a !== undefined) rows.push(['Angle', fmt(e.a)]);
  if (e.t !== undefined) rows.push(['Thickness', fmt(e.t)]);
  if (e.members !== undefined) rows.push(['Members', String(e.members)]);
  e.points.forEach((p, i) => rows.push([e.points.length === 1 ? 'Point' : `Point ${i + 1}`, point(p)]));
  return table(rows);
}

function renderSelection(selection) {
  const box = $('properties');
  if (!selection || selection.count === 0) {
    box.replaceChildren(element('div', 'empty', 'Nothing selected'));
    return;
  }
  const parts = [];
  if (selection.count > 1) {
    const types = {};
    for (const e of selection.entities) types[e.type] = (types[e.type] || 0) + 1;
    const more = selection.count > selection.entities.length ? ', …' : '';
    parts.push(element('div', 'summary', `${selection.count} entities selected: ` +
      Object.entries(types).map(([t, n]) => `${n} ${t}`).join(', ') + more));
  }
  parts.push(describe(selection.entities[0]));
  box.replaceChildren(...parts);
}

// Called with every state the page shows.
// Called with every state the page shows; the panels' content comes with the drawing
// (page.panels: layers and selection).
export function updatePanels(page, drawingShown) {
  if (!drawingShown || !page.panels) return;
  const { layers = [], selection = null } = page.panels;
  const layersText = JSON.stringify(layers);
  if (layersText !== shownLayers) {
    shownLayers = layersText;
    renderLayers(page, layers);
  }
  applyView(page);
  const selectionText = JSON.stringify(selection);
  if (selectionText !== shownSelection) {
    shownSelection = selectionText;
    renderSelection(selection);
  }
}
