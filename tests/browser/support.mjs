// Helpers of the browser tests: a page on the running qlhost --serve, the command line,
// mouse actions at drawing coordinates, and the host's state.
import { mkdirSync } from 'node:fs';
import { after, before } from 'node:test';
import { createRequire } from 'node:module';
import path from 'node:path';

const require = createRequire(`${process.env.QL_NODE_MODULES}/`);
const { chromium } = require('playwright-core');

export const url = process.env.QL_URL;

export async function openBrowser() {
  return chromium.launch({ executablePath: process.env.QL_CHROMIUM, args: ['--no-sandbox'] });
}

export class Host {
  constructor(page) { this.page = page; }

  static async open(browser) {
    const page = await browser.newPage({ viewport: { width: 1400, height: 900 } });
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    await page.goto(url);
    await page.waitForFunction(() => window.quillet && window.quillet.page.state);
    const host = new Host(page);
    host.errors = errors;
    return host;
  }

  // Waits until every request has been answered and the page shows the answer.
  async settle() {
    await this.page.waitForFunction(() => !window.quillet.busy());
    await this.page.waitForTimeout(80);
    await this.page.waitForFunction(() => !window.quillet.busy());
  }

  async command(text) {
    await this.page.fill('#command', text);
    await this.page.press('#command', 'Enter');
    await this.settle();
  }

  // A fresh drawing: any command cancelled first.
  async fresh() {
    for (const key of ['Control', 'Shift', 'Alt']) await this.page.keyboard.up(key);
    for (let i = 0; i < 3 && (await this.state()).command; ++i) await this.send(['esc']);
    await this.command('new');
    await this.page.evaluate(() => window.quillet.setView(-10, -10, 100));
    await this.page.waitForTimeout(300);
    await this.settle();
  }

  async send(lines) {
    await this.page.evaluate((l) => window.quillet.send(l), lines);
    await this.settle();
  }

  async state() { return this.page.evaluate(() => window.quillet.page.state); }
  async prompt() { return (await this.state()).prompt?.text ?? null; }

  // Screen position of a drawing point.
  async at(x, y) {
    return this.page.evaluate(([px, py]) => {
      const r = document.getElementById('view').getBoundingClientRect();
      const v = window.quillet.page.view;
      return { x: r.left + ((px - v.x) / v.w) * r.width, y: r.top + (1 - (py - v.y) / v.h) * r.height };
    }, [x, y]);
  }

  async move(x, y, steps = 2) {
    const p = await this.at(x, y);
    await this.page.mouse.move(p.x, p.y, { steps });
    await this.settle();
  }

  async click(x, y) {
    await this.move(x, y);
    await this.page.mouse.down();
    await this.page.mouse.up();
    await this.settle();
  }

  async band(x1, y1, x2, y2) {
    await this.move(x1, y1);
    await this.page.mouse.down();
    const p = await this.at(x2, y2);
    await this.page.mouse.move(p.x, p.y, { steps: 5 });
    await this.page.mouse.up();
    await this.settle();
  }

  // Enter over the view: finishes a selection prompt.
  async enter() {
    await this.page.focus('#view');
    await this.page.keyboard.press('Enter');
    await this.settle();
  }

  async drawing() {
    return this.page.evaluate(async () => (await fetch('api/drawing.json')).json());
  }

  // A screenshot kept as an artefact of the run: QL_SHOTS_DIR, else build/browser-shots.
  async shot(name) { await shot(this.page, name); }

  async screenshot(name) {
    await this.page.screenshot({ path: path.join(process.env.QL_ARTEFACTS, `${name}.png`) });
  }
}

export const shotsDir = () => process.env.QL_SHOTS_DIR || path.resolve('build/browser-shots');

export async function shot(page, name) {
  mkdirSync(shotsDir(), { recursive: true });
  await page.screenshot({ path: path.join(shotsDir(), `${name}.png`) });
}

// One browser and one page for a test file: opened before its first test and handed to
// `opened`, closed after its last.
export function useHost(opened) {
  let browser;
  before(async () => {
    browser = await openBrowser();
    opened(await Host.open(browser));
  });
  after(async () => {
    await browser?.close();
  });
}
