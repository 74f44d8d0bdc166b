// The command line's history (Up / Down bring back earlier lines, kept for the browser tab)
// and Enter on an empty line with no command running, which runs the last command again.
const KEPT = 100;
const STORE = 'qlhost.history';

export function initCommandLine(page, input, form) {
  let history = [];
  try { history = JSON.parse(sessionStorage.getItem(STORE)) || []; } catch { history = []; }
  let at = history.length;   // the line shown: history.length is the line being typed
  let draft = '';
  let lastCommand = '';

  const idle = () => page.state && !page.state.command && !page.state.prompt &&
    page.state.dialogs.length === 0 && page.state.modal.length === 0;
  const isCommand = (text) => page.commands.some((c) => c.toUpperCase() === text.toUpperCase());

  // Runs before the page's own submit handler (capture), which sends what the field holds.
  form.addEventListener('submit', () => {
    const text = input.value.trim();
    if (text === '') {
      if (idle() && lastCommand) input.value = lastCommand;
    } else {
      if (history[history.length - 1] !== input.value) history.push(input.value);
      if (history.length > KEPT) history.splice(0, history.length - KEPT);
      try { sessionStorage.setItem(STORE, JSON.stringify(history)); } catch { /* not kept */ }
    }
    if (idle() && isCommand(input.value.trim())) lastCommand = input.value.trim();
    at = history.length;
    draft = '';
  }, true);

  input.addEventListener('keydown', (e) => {
    if (e.key !== 'ArrowUp' && e.key !== 'ArrowDown') return;
    e.preventDefault();
    if (at === history.length) draft = input.value;
    at = Math.max(0, Math.min(history.length, at + (e.key === 'ArrowUp' ? -1 : 1)));
    input.value = at === history.length ? draft : history[at];
    input.setSelectionRange(input.value.length, input.value.length);
  });

  // A command started another way (a menu, a script text) is the last command too.
  return {
    noteState(state) { if (state.command) lastCommand = state.command; },
    history: () => [...history],
    lastCommand: () => lastCommand,
  };
}
