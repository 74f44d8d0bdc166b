// What the view draws over the drawing while a command asks for points: the rubber line or
// box from the rubber origin (the host's own commands, and plug-in point prompts with
// cursor 5 or 6 and no drag procedure), markers on the points already given, and a marker
// where the cursor snaps. All sizes are in screen pixels.
const NS = 'http://www.w3.org/2000/svg';
const RUBBER_LINE = 5;
const RUBBER_BOX = 6;
const MARK_PIXELS = 5;

const make = (name, attrs) => {
  const e = document.createElementNS(NS, name);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, v);
  return e;
};

export function overlayLayer(svg) {
  let g = svg.querySelector('#overlay');
  if (!g) {
    g = make('g', { id: 'overlay' });
    svg.insertBefore(g, svg.querySelector('#band'));
  }
  return g;
}

const pointPrompt = (state) => state && state.prompt && (state.prompt.kind === 5 || state.prompt.kind === 7);

// The point the rubber line ends at: the host's snap when it lies near the mouse, else the mouse.
export function rubberEnd(state, mouse, unit) {
  const s = state && state.snap;
  if (s && mouse && Math.hypot(s.x - mouse.x, s.y - mouse.y) <= 8 * unit) return { x: s.x, y: s.y };
  return mouse;
}

function snapMarker(s, r) {
  const y = -s.y;
  switch (s.mode) {
    case 'mid': return make('polygon', { points: `${s.x - r},${y + r} ${s.x + r},${y + r} ${s.x},${y - r}` });
    case 'centre': return make('circle', { cx: s.x, cy: y, r });
    case 'intersection': return make('path', { d: `M${s.x - r},${y - r}L${s.x + r},${y + r}M${s.x - r},${y + r}L${s.x + r},${y - r}` });
    case 'nearest': return make('path', { d: `M${s.x - r},${y - r}L${s.x + r},${y - r}L${s.x - r},${y + r}L${s.x + r},${y + r}Z` });
    default: return make('rect', { x: s.x - r, y: y - r, width: 2 * r, height: 2 * r });
  }
}

// Draws the overlay for the state and the mouse position (drawing units); unit is the size
// of a screen pixel in drawing units.
export function drawOverlay(g, state, mouse, unit) {
  g.replaceChildren();
  if (!pointPrompt(state)) return;
  const r = MARK_PIXELS * unit;
  for (const [x, y] of state.given || []) {
    g.appendChild(make('path', { class: 'given', d: `M${x - r},${-y}L${x + r},${-y}M${x},${-y - r}L${x},${-y + r}` }));
  }
  const end = rubberEnd(state, mouse, unit);
  const cursor = state.prompt.drag ? 0 : state.prompt.cursor;
  if (state.rubber && end && (cursor === RUBBER_LINE || cursor === RUBBER_BOX)) {
    const [x, y] = state.rubber;
    if (cursor === RUBBER_LINE) {
      g.appendChild(make('line', { class: 'rubber', x1: x, y1: -y, x2: end.x, y2: -end.y }));
    } else {
      g.appendChild(make('rect', {
        class: 'rubber', x: Math.min(x, end.x), y: -Math.max(y, end.y), width: Math.abs(end.x - x), height: Math.abs(end.y - y),
      }));
    }
  }
  const s = state.snap;
  if (s && mouse && Math.hypot(s.x - mouse.x, s.y - mouse.y) <= 8 * unit) {
    const marker = snapMarker(s, r * 1.3);
    marker.setAttribute('class', `snap ${s.mode}`);
    marker.dataset.mode = s.mode;
    g.appendChild(marker);
  }
}
