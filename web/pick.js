// Picking and selection in the view: at a selection prompt, or with no command running
// (a preselection for the next command), a click adds the entity under the cursor and
// SHIFT+click takes it out; a rubber band dragged left to right selects what lies inside,
// right to left what it crosses. Enter or the right button finishes the selection. The host
// finds the entities (its pick tolerance), so a script of the same lines selects alike.
import { num } from './connection.js';

export const SELECTION_PROMPT = 22;

// True when clicks and bands build the selection: a selection prompt, or no command at all.
export function selecting(state) {
  if (!state) return false;
  if (state.prompt) return state.prompt.kind === SELECTION_PROMPT;
  return !state.command;
}

export const atSelectionPrompt = (state) => !!(state && state.prompt && state.prompt.kind === SELECTION_PROMPT);

// The line of a click: the entity under the point goes into the selection, or out with SHIFT.
export function clickLine(p, shift) {
  return `select ${shift ? 'unpick' : 'pick'} ${num(p.x)} ${num(p.y)}`;
}

// The line of a rubber band from start to end: a window when dragged to the right (what lies
// wholly inside), a crossing to the left (what it touches); added to the selection.
export function bandLine(start, end) {
  const how = end.x >= start.x ? 'window' : 'crossing';
  return `select ${how} ${num(Math.min(start.x, end.x))} ${num(Math.min(start.y, end.y))} ` +
    `${num(Math.max(start.x, end.x))} ${num(Math.max(start.y, end.y))} add`;
}

// The band shows which kind it is: solid blue for a window, dashed green for a crossing.
export function bandStyle(band, start, end) {
  band.classList.toggle('crossing', end.x < start.x);
}

// Enter or the right button at a selection prompt: the selection as it stands answers it.
export const FINISH = 'select done';
