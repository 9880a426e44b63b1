// A site built for a score server (scripts/web.sh --scores URL writes it into the page) hands
// it to the game, relative to the page as ?scores=URL is, and the server's entries are live.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { check, frames, withpage } from './browser.mjs';

const site = process.argv[2];
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-site-'));
const index = path.join(folder, 'index.html');
if (fs.existsSync(path.join(site || '', 'index.html')))
  fs.writeFileSync(index, fs.readFileSync(path.join(site, 'index.html'), 'utf8')
    .replace(/(name="varnhold-scores" content=")[^"]*"/, '$1scores/"'));
try {
  await withpage({ game: true, extra: { '/': index } }, async ({ page, errors }) => {
    await frames(page, 2);
    const args = await page.evaluate(() => Module.arguments.join(' '));
    check(/--scores http:\/\/127\.0\.0\.1:\d+\/scores\/$/.test(args), `the game is given the site's server: ${args}`);
    await page.keyboard.down('Alt');
    await page.keyboard.press('KeyG');
    await page.keyboard.up('Alt');
    const off = await page.$$eval('#bar .entry', (rows) => rows.filter((r) => /scores|best game/i.test(r.textContent))
      .map((r) => r.classList.contains('off')));
    check(off.length === 3 && off.every((o) => !o), `the server's three entries are live: ${off}`);
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
  });
} finally {
  fs.rmSync(folder, { recursive: true, force: true });
}
