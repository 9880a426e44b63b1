// The page reaches the score server through fetch: "Watch the best game" reads the table and
// the top replay from it (served here beside the page, ?scores=.) and opens a second tab of
// the game that plays the replay.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { check, frames, withpage } from './browser.mjs';

const replays = path.join(path.dirname(new URL(import.meta.url).pathname), '..', 'replays');
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-scores-'));
const table = path.join(folder, 'scores.json');
fs.writeFileSync(table, JSON.stringify({ total: 1, offset: 0, scores: [
  { rank: 1, name: 'Best', score: 9000, level: 5, date: '2026-12-08T00:00:00Z', replay: '/api/v1/replays/1' }] }));
const extra = { '/api/v1/scores': table, '/api/v1/replays/1': path.join(replays, 'fight.vhr') };
try {
  await withpage({ game: true, query: '?scores=.', extra }, async ({ page }) => {
    await frames(page, 2);
    const asked = [];
    page.on('request', (r) => asked.push(new URL(r.url()).pathname));
    await page.keyboard.down('Alt');
    await page.keyboard.press('KeyG');
    await page.keyboard.up('Alt');
    await page.keyboard.press('KeyW');                   // "&Watch the best game"
    const tab = await page.browser().waitForTarget((t) => t.url().includes('?replay=blob'), { timeout: 20000 });
    check(asked.includes('/api/v1/scores') && asked.includes('/api/v1/replays/1'), `the table and its replay fetched: ${asked}`);
    const viewer = await tab.page();
    await viewer.waitForFunction(() => window.Module && Module.presented >= 10, { timeout: 20000 });
    const status = await viewer.$eval('#status', (e) => (e.hidden ? '' : e.textContent));
    check(!/can't|cannot/i.test(status), `the second tab plays the replay: ${status}`);
  });
} finally {
  fs.rmSync(folder, { recursive: true, force: true });
}
