// Picking, selection windows, rubber lines, object snaps and typed points in the browser:
// what the mouse and the command line do reaches the host as scenario lines.
import { test } from 'node:test';
import assert from 'node:assert/strict';

import { useHost } from './support.mjs';

let host;
useHost((opened) => { host = opened; });

const entities = async (type) => (await host.drawing()).entities.filter((e) => !type || e.type === type);
const selectedInView = () => host.page.evaluate(() => document.querySelectorAll('#drawing .ql-selected').length);
const script = () => host.page.evaluate(async () => (await fetch('api/session.qls')).text());

async function clickWithShift(x, y) {
  await host.move(x, y);
  await host.page.keyboard.down('Shift');
  await host.settle();
  await host.page.mouse.down();
  await host.page.mouse.up();
  await host.settle();
  await host.page.keyboard.up('Shift');
  await host.settle();
}

test('a click at a selection prompt picks, SHIFT+click takes out, Enter finishes', async () => {
  await host.fresh();
  await host.send(['add line 0 0 20 0', 'add line 0 10 20 10', 'add circle 50 20 5']);
  await host.command('QLMOVE');
  assert.equal(await host.prompt(), 'Select entities:');
  await host.click(10, 0.2);
  await host.click(45.1, 20);
  assert.equal((await host.state()).selected, 2);
  assert.equal(await selectedInView(), 2, 'both picked entities are highlighted');
  await clickWithShift(10, 0.1);
  assert.equal((await host.state()).selected, 1);
  await host.click(10, 10);
  await host.shot('pick-at-selection-prompt');
  await host.page.focus('#view');
  await host.page.keyboard.press('Enter');
  await host.settle();
  assert.equal(await host.prompt(), 'Base point:');
  await host.command('0,0');
  await host.command('0,-5');
  assert.equal((await host.state()).command, '');
  const [a, b, c] = await entities();
  assert.deepEqual([a.p1[1], b.p1[1], c.center[1]], [0, 5, 15]);
  assert.equal(await selectedInView(), (await host.state()).selected, 'only selected entities are highlighted');
  const saved = await host.page.evaluate(async () => (await fetch('api/drawing.svg')).text());
  assert.ok(!saved.includes('ql-selected') && !saved.includes('#e0218a'), 'the saved SVG has no highlight');
});

test('a window dragged to the right selects what lies inside, to the left what it crosses', async () => {
  await host.fresh();
  await host.send(['add box 0 0 10 10', 'add box 20 0 30 10', 'add line 40 0 60 20']);
  // With no command running the selection waits for the next command.
  await host.band(-2, -2, 25, 12);
  assert.equal((await host.state()).selected, 1, 'the window holds only the first box');
  await host.send(['select none']);
  await host.band(25, 12, -2, -2);
  assert.equal((await host.state()).selected, 2, 'the crossing touches both boxes');
  await host.shot('crossing-preselection');
  await host.command('QLMOVE');
  assert.equal(await host.prompt(), 'Base point:', 'the preselection answered the selection prompt');
  await host.command('0,0');
  await host.command('100,0');
  const boxes = await entities();
  assert.deepEqual(boxes.map((e) => e.points?.[0]?.[0] ?? e.p1[0]), [100, 120, 40]);
  assert.match(await script(), /select window \S+ \S+ \S+ \S+ add\n(.|\n)*select crossing \S+ \S+ \S+ \S+ add/);
});

test('LINE shows a rubber line, goes on until Enter, snaps to a corner and takes @dx,dy', async () => {
  await host.fresh();
  await host.send(['add box 10 10 40 30']);
  await host.command('LINE');
  // The click near the box's corner gives the corner exactly.
  await host.click(40.3, 29.8);
  assert.equal(await host.prompt(), 'End point:');
  await host.move(60, 45);
  const rubber = host.page.locator('#overlay line.rubber');
  await rubber.waitFor();
  assert.equal(Number(await rubber.getAttribute('x1')), 40);
  assert.equal(Number(await rubber.getAttribute('y1')), -30);
  await host.page.locator('#overlay .given').waitFor();
  await host.move(10.1, 10.15);
  await host.page.locator('#overlay .snap[data-mode="end"]').waitFor();
  await host.shot('rubber-line-snap');
  await host.command('@15,0');
  assert.equal(await host.prompt(), 'Next point (Enter to end):');
  await host.command('@10<90');
  await host.move(70, 0);
  await host.shot('line-next-segment');
  await host.command('');
  assert.equal((await host.state()).command, '');
  const lines = (await entities('line')).map((l) => [...l.p1, ...l.p2]);
  assert.deepEqual(lines, [[40, 30, 55, 30], [55, 30, 55, 40]]);
});

test('a plug-in point prompt with a rubber origin shows the rubber line (QLDIST)', async () => {
  await host.fresh();
  await host.command('QLDIST');
  await host.click(5, 5);
  assert.equal(await host.prompt(), 'Distance to: ');
  await host.move(40, 25);
  const rubber = host.page.locator('#overlay line.rubber');
  await rubber.waitFor();
  // From the clicked point (nothing to snap to there, so as the mouse gave it).
  const [x1, y1] = [Number(await rubber.getAttribute('x1')), Number(await rubber.getAttribute('y1'))];
  assert.ok(Math.hypot(x1 - 5, y1 + 5) < 0.2, `rubber origin ${x1}, ${-y1}`);
  await host.shot('qldist-rubber-line');
  await host.send(['esc']);
});

test('a rubber box follows BOX and the snap switches reach the host', async () => {
  await host.fresh();
  await host.send(['add circle 20 20 5']);
  await host.command('BOX');
  await host.click(20.2, 19.9);  // the circle's centre
  await host.move(50, 40);
  await host.page.locator('#overlay rect.rubber').waitFor();
  await host.shot('rubber-box');
  await host.page.uncheck('#snaps input[data-snap="centre"]');
  await host.settle();
  assert.ok(!(await host.state()).snaps.includes('centre'));
  await host.click(50, 40);
  const box = (await entities()).at(-1);
  assert.deepEqual(box.points[0], [20, 20]);
  await host.page.check('#snaps input[data-snap="centre"]');
  await host.settle();
  assert.equal(host.errors.length, 0, host.errors.join('\n'));
});
