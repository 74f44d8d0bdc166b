// The interactive host in a browser: commands run through their dialogs, drags follow the
// mouse, keys reach the plug-in's hooks, and what was done is drawn.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { readFileSync, rmSync } from 'node:fs';
import path from 'node:path';

import { useHost } from './support.mjs';

let host;
useHost((opened) => { host = opened; });

const entities = async (type) => (await host.drawing()).entities.filter((e) => !type || e.type === type);

test('boxes drawn with the mouse are hatched through the QLHATCH dialog', async () => {
  await host.fresh();
  await host.command('BOX');
  await host.click(10, 10);
  await host.click(60, 50);
  await host.command('BOX');
  await host.click(25, 20);
  await host.click(45, 40);
  assert.equal((await entities()).length, 2);

  await host.command('QLHATCH');
  const dialog = host.page.locator('#windows .dialog');
  await dialog.waitFor();
  await host.page.check('#windows input[data-id="1030"]');
  await host.settle();
  await host.page.check('#windows input[data-id="1041"]');
  await host.settle();
  await host.page.check('#windows input[data-id="1045"]');
  await host.settle();
  // The PAT file comes through the patterns dialog and the file dialog.
  await host.page.click('#windows button[data-id="1036"]');
  await host.settle();
  await host.page.click('#windows button[data-id="1052"]');
  await host.settle();
  await host.page.click('#windows .files li:text("quirks.pat")');
  await host.page.click('#windows .files button:text("OK")');
  await host.settle();
  await host.page.locator('#windows .dialog option:text("quirks.pat")').waitFor();
  await host.page.click('#windows .dialog[data-name="DLGACADPAT"] button[data-id="1"]');
  await host.settle();
  const list = host.page.locator('#windows select[data-id="1043"]');
  const items = await list.locator('option').allTextContents();
  assert.ok(items.length > 0, 'the PAT list has patterns');
  await list.selectOption({ label: 'PLAIN' });
  await host.settle();
  const previews = await host.page.evaluate(() => window.quillet.page.controlPreviews);
  assert.ok(previews.includes('<svg'), 'the list shows previews');
  await host.screenshot('hatch-dialog');
  await host.page.click('#windows button[data-id="1"]');
  await host.settle();
  assert.equal(await host.prompt(), 'Regular hatch - pick entities:');
  await host.band(5, 5, 65, 55);
  await host.enter();  // the window adds to the selection; Enter finishes it
  assert.equal((await host.state()).command, '');
  assert.equal((await entities('group')).length, 1, 'one hatch group');
  await host.screenshot('hatch-drawn');
});

test('QLMOVE with CTRL held shows the scale and applies it on the click', async () => {
  await host.fresh();
  await host.command('add line 0 0 10 0');
  await host.command('add circle 5 5 2');
  await host.command('QLMOVE');
  assert.equal(await host.prompt(), 'Select entities:');
  await host.band(-2, -2, 12, 9);
  await host.enter();  // the window adds to the selection; Enter finishes it
  await host.click(0, 0);
  assert.match(await host.prompt(), /^Place at/);
  await host.move(30, 30);
  await host.page.keyboard.down('Control');
  await host.settle();
  // One step: the scale follows the cursor from where CTRL went down.
  await host.move(30, 42.5, 1);
  const shown = /Scale (\d+\.\d+)/.exec((await host.state()).preview);
  assert.ok(shown, 'the preview shows the scale');
  const scale = Number(shown[1]);
  assert.ok(Math.abs(scale - 2) < 0.05, `scale ${scale}`);
  await host.screenshot('move-ctrl-scale');
  await host.page.keyboard.up('Control');
  await host.settle();
  await host.click(30, 30);
  assert.equal((await host.state()).command, '');
  const [circle] = await entities('circle');
  assert.ok(Math.abs(circle.radius - 2 * scale) < 0.01, `radius ${circle.radius} is 2 scaled by ${scale}`);
});

test('QLTEXT shortcut keys change the justification while the text follows the mouse', async () => {
  await host.fresh();
  await host.command('QLTEXT');
  await host.page.locator('#windows .dialog').waitFor();
  await host.page.fill('#windows [data-id="1000"]', 'Justified');
  await host.page.locator('#windows [data-id="1000"]').blur();
  await host.settle();
  await host.page.click('#windows button[data-id="1"]');
  await host.settle();
  assert.equal(await host.prompt(), 'Place text (h = help):');
  await host.move(40, 40);
  const before = (await host.state()).preview;
  assert.ok(before.includes('<svg'));
  await host.page.keyboard.press('r');
  await host.settle();
  await host.move(40.5, 40);
  await host.move(40, 40);
  const after = (await host.state()).preview;
  assert.notEqual(after, before, 'the preview moved with the justification');
  await host.screenshot('text-justify');
  await host.click(40, 40);
  const [text] = await entities('text');
  assert.equal(text.justification, 2, 'bottom-right');
  await host.send(['esc']);
});

test('QLCUT Copy / Enlarge places a detail enlargement', async () => {
  await host.fresh();
  await host.command('add line 0 10 20 10');
  await host.command('add circle 10 10 1');
  await host.command('add line 40 40 50 50');
  await host.command('QLCUT');
  await host.page.locator('#windows .dialog').waitFor();
  await host.page.check('#windows input[data-id="1043"]');
  await host.settle();
  await host.page.click('#windows button[data-id="1"]');
  await host.settle();
  await host.band(-2, 5, 55, 55);
  await host.enter();  // the window adds to the selection; Enter finishes it
  await host.click(10, 10);
  await host.click(15, 10);
  assert.equal(await host.prompt(), 'Place at (CTRL = scale):');
  await host.move(50, 10);
  assert.ok((await host.state()).preview.includes('<svg'));
  await host.screenshot('cut-enlarge');
  await host.click(50, 10);
  assert.equal((await host.state()).command, '');
  assert.equal((await entities()).length, 9);
  assert.deepEqual(host.errors, []);
});

test('the session saved as a scenario script replays to the same drawing', async () => {
  await host.command('save live.json');
  const saved = await host.page.evaluate(async () =>
    (await fetch('api/session', { method: 'POST', body: JSON.stringify({ path: 'replay.qls' }) })).status);
  assert.equal(saved, 200);
  const live = readFileSync(path.join(process.env.QL_ROOT, 'live.json'), 'utf8');
  rmSync(path.join(process.env.QL_ROOT, 'live.json'));
  const run = spawnSync(process.env.QL_QLHOST, ['-q', '--registry', '.replay.reg', 'replay.qls'],
    { cwd: process.env.QL_ROOT, encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
  assert.equal(readFileSync(path.join(process.env.QL_ROOT, 'live.json'), 'utf8'), live);
});
