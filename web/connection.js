// The link to qlhost: actions go out one request at a time, in order; cursor moves are
// merged so that only the latest waits; the state comes back with every answer and from a
// long poll.

const pending = [];
let sending = false;
let pendingMove = null;
let onState = () => {};
let onError = () => {};
let versions = { drawing: 0, previews: 0, transcript: 0, version: 0 };

export function connect(stateHandler, errorHandler) {
  onState = stateHandler;
  onError = errorHandler;
  poll();
}

export function noteVersions(v) { versions = v; }

// A number as the scenario language reads it.
export function num(value) {
  const text = Number(value.toFixed(4)).toString();
  return text === '-0' ? '0' : text;
}

// A text as one quoted word of a scenario line.
export function quote(text) {
  return '"' + text.replace(/\\/g, '\\\\').replace(/"/g, '\\"').replace(/\n/g, '\\n')
    .replace(/\r/g, '\\r').replace(/\t/g, '\\t') + '"';
}

// Both return a promise of the answer (null when the request failed; the error was shown).
export function send(lines) {
  if (pendingMove) { pending.push({ lines: pendingMove }); pendingMove = null; }
  return new Promise((resolve) => { pending.push({ lines, resolve }); pump(); });
}

export function sendCommand(text) {
  if (pendingMove) { pending.push({ lines: pendingMove }); pendingMove = null; }
  return new Promise((resolve) => { pending.push({ command: text, resolve }); pump(); });
}

export function sendMove(x, y) {
  pendingMove = [`move ${num(x)} ${num(y)}`];
  pump();
}

export function busy() { return sending || pending.length > 0 || pendingMove !== null; }

async function pump() {
  if (sending) return;
  let item = pending.shift();
  if (!item && pendingMove) { item = { lines: pendingMove }; pendingMove = null; }
  if (!item) return;
  sending = true;
  let answer = null;
  try {
    const path = item.command !== undefined ? 'api/command' : 'api/lines';
    const body = item.command !== undefined ? { text: item.command } : { lines: item.lines };
    answer = await post(`${path}?drawing=${versions.drawing}&previews=${versions.previews}`, body);
  } finally {
    if (item.resolve) item.resolve(answer);
    sending = false;
    pump();
  }
}

export async function post(path, body) {
  try {
    const response = await fetch(path, {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body),
    });
    const answer = await response.json().catch(() => ({ error: response.statusText }));
    if (!response.ok) { onError(answer.error || response.statusText); return null; }
    if (answer.state) onState(answer);
    return answer;
  } catch (e) {
    onError(String(e));
    return null;
  }
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function poll() {
  for (;;) {
    try {
      const query = `since=${versions.version}&drawing=${versions.drawing}&previews=${versions.previews}` +
        `&transcript=${versions.transcript}`;
      const asked = versions.version;
      const response = await fetch(`api/state?${query}`);
      if (!response.ok) { await sleep(1000); continue; }
      const answer = await response.json();
      onState(answer);
      // A poll answered with nothing new (its time ran out, or the server answered it to make
      // room for newer polls) is not repeated at once.
      if (answer.version <= asked) await sleep(250);
    } catch (e) {
      await sleep(1000);
    }
  }
}
