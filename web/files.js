// Files of the page: open a drawing of the root folder (then fit it to the view), upload one
// (refused files are not kept and leave the drawing as it was), save under the opened file's
// name (asking before overwriting), save the session script. Every outcome is told.
import { post, quote, send } from './connection.js';
import { filePicker } from './windows.js';
import { showMessage, suppressProblem } from './messages.js';

const $ = (id) => document.getElementById(id);

function localPicker(title, choose, name) {
  const win = filePicker(title, choose, name);
  win.classList.add('local');
  $('windows').appendChild(win);
}

// A question in a window of the page: resolves true for Yes.
function ask(caption, text) {
  return new Promise((resolve) => {
    const win = document.createElement('div');
    win.className = 'window message local confirm';
    win.style.left = `${window.innerWidth / 2 - 180}px`;
    win.style.top = `${window.innerHeight / 3}px`;
    const title = Object.assign(document.createElement('div'), { className: 'caption', textContent: caption });
    const body = Object.assign(document.createElement('div'), { className: 'body', textContent: text });
    const buttons = Object.assign(document.createElement('div'), { className: 'buttons' });
    for (const [label, answer] of [['Yes', true], ['No', false]]) {
      const b = Object.assign(document.createElement('button'), { textContent: label });
      b.addEventListener('click', () => { win.remove(); resolve(answer); });
      buttons.appendChild(b);
    }
    win.append(title, body, buttons);
    $('windows').appendChild(win);
    buttons.firstChild.focus();
  });
}

const baseName = (path) => path.split('/').pop();
const folderOf = (path) => (path.includes('/') ? path.slice(0, path.lastIndexOf('/')) : '.');

async function exists(path) {
  const response = await fetch(`api/files?dir=${encodeURIComponent(folderOf(path))}`);
  if (!response.ok) return false;
  const answer = await response.json();
  return answer.entries.some((e) => !e.folder && e.name === baseName(path));
}

// The first fault of an answer to posted lines, or null.
const faultOf = (answer) => (answer && answer.faults ? answer.faults.find((f) => f) : null);

export function initFiles({ page, fit }) {
  // The name last saved under, suggested before the opened file's name while the drawing
  // is the one that was saved (not replaced by new, load or an upload since).
  let saveName = '';
  let savedFile = '';

  const suggested = () => {
    const file = page.state && page.state.file;
    if (saveName && file === savedFile) return saveName;
    return file && !/^Untitled\./.test(file) ? file : 'drawing.json';
  };

  async function open(path) {
    const answer = await send([`load ${quote(path)}`]);
    if (!answer) return;
    const fault = faultOf(answer);
    if (fault) {
      suppressProblem((p) => p.includes('fault: load: '));
      showMessage(`Could not open ${path}; the drawing is unchanged: ${fault}`);
      return;
    }
    saveName = '';
    fit();
  }

  async function save(path) {
    if (!path) return;
    if (await exists(path) && !(await ask('Save drawing', `${path} exists. Replace it?`))) return;
    const answer = await send([`save ${quote(path)}`]);
    if (!answer) return;
    const fault = faultOf(answer);
    if (fault) {
      suppressProblem((p) => p.includes('fault: save: '));
      showMessage(`Not saved: ${fault}`);
      return;
    }
    saveName = path;
    savedFile = page.state && page.state.file;
    showMessage(`Saved ${path}`, 'info');
  }

  async function upload(file) {
    let response;
    try {
      response = await fetch(`api/upload?load=1&name=${encodeURIComponent(file.name)}&drawing=${page.drawingVersion}`,
        { method: 'POST', body: await file.arrayBuffer() });
    } catch (e) {
      showMessage(`Upload of ${file.name} failed: ${e}`);
      return;
    }
    const answer = await response.json().catch(() => ({}));
    if (!response.ok) {
      const why = response.status === 413 ? `the file is too large (${answer.error || 'over the limit'})`
        : answer.error || `${response.status} ${response.statusText}`;
      if (response.status === 422) suppressProblem((p) => p.includes('fault: load: ') && p.includes(file.name));
      showMessage(`Upload of ${file.name} refused: ${why}`);
      return;
    }
    if (answer.state) page.onAnswer(answer);
    saveName = '';
    fit();
    showMessage(`Opened ${file.name}`, 'info');
  }

  $('open-drawing').addEventListener('click', () => localPicker('Open drawing', (path) => path && open(path)));
  $('save-drawing').addEventListener('click', () =>
    localPicker('Save drawing (.json or .dxf)', (path) => save(path), suggested()));
  $('save-session').addEventListener('click', () =>
    localPicker('Save scenario script', async (path) => {
      if (!path) return;
      if (await exists(path) && !(await ask('Save script', `${path} exists. Replace it?`))) return;
      const answer = await post('api/session', { path });
      if (answer) showMessage(`Saved the session script as ${path}`, 'info');
    }, 'session.qls'));
  $('upload-drawing').addEventListener('click', () => $('upload-input').click());
  $('upload-input').addEventListener('change', async () => {
    const file = $('upload-input').files[0];
    $('upload-input').value = '';
    if (file) await upload(file);
  });
  return { open, save, upload, suggested };
}
