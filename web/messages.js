// Messages of the page: the host's problems (faults, failed checks, refused files) and what
// the page itself reports (saved, could not open, upload refused). Each can be dismissed.
const box = () => document.getElementById('problems');
const dismissed = new Set();   // numbers of host problems the user dismissed
let shownProblems = [];
let own = [];                  // { id, text, kind }
let seen = -1;                 // the highest host problem number shown so far
const suppressed = [];         // tests of host problems the page reports in its own words
let nextId = 1;

function row(text, kind, dismiss) {
  const line = document.createElement('div');
  line.className = `message ${kind}`;
  const words = document.createElement('span');
  words.textContent = text;
  const close = document.createElement('button');
  close.className = 'dismiss';
  close.title = 'Dismiss';
  close.textContent = '×';
  close.addEventListener('click', dismiss);
  line.append(words, close);
  return line;
}

function render() {
  const rows = shownProblems.filter((p) => !dismissed.has(p.number))
    .map((p) => row(p.text, 'error', () => { dismissed.add(p.number); render(); }));
  for (const m of own) rows.push(row(m.text, m.kind, () => { own = own.filter((o) => o !== m); render(); }));
  if (rows.length > 1) {
    const all = document.createElement('button');
    all.className = 'dismiss-all';
    all.textContent = 'Dismiss all';
    all.addEventListener('click', () => {
      for (const p of shownProblems) dismissed.add(p.number);
      own = [];
      render();
    });
    rows.push(all);
  }
  box().replaceChildren(...rows);
}

// The host's problems of a state: the last few of problemsTotal, numbered from the first.
export function showProblems(state) {
  const total = state.problemsTotal ?? state.problems.length;
  const first = total - state.problems.length;
  const next = state.problems.map((text, i) => ({ number: first + i, text }));
  if (JSON.stringify(next) === JSON.stringify(shownProblems)) return;
  for (const p of next) {
    if (p.number <= seen) continue;
    const i = suppressed.findIndex((test) => test(p.text));
    if (i >= 0) { dismissed.add(p.number); suppressed.splice(i, 1); }
  }
  seen = Math.max(seen, total - 1);
  shownProblems = next;
  render();
}

// A message of the page: kind 'error' or 'info'. Returns a function that takes it away.
export function showMessage(text, kind = 'error') {
  const m = { id: nextId++, text, kind };
  own.push(m);
  if (own.length > 20) own.shift();
  render();
  return () => { own = own.filter((o) => o !== m); render(); };
}

// The next host problem that passes test is not shown: the page has told it already.
export function suppressProblem(test) {
  suppressed.push(test);
  if (suppressed.length > 10) suppressed.shift();
  for (const p of shownProblems)
    if (!dismissed.has(p.number) && test(p.text)) { dismissed.add(p.number); suppressed.pop(); render(); break; }
}
