// A damaged picture in the page's data stops the start with the game's words in a dialog,
// "Can't load data/...", not a blank or half-drawn page.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { check, gamefile, skip, withpage } from './browser.mjs';

const site = process.argv[2];
if (!gamefile(site, 'data')) skip(`no browser build of the game in ${site}`);
const copy = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-site-'));
try {
  fs.cpSync(site, copy, { recursive: true });
  const data = fs.readFileSync(gamefile(copy, 'data'));
  for (let i = data.length / 4; i < data.length; i += 997) data[Math.floor(i)] ^= 0x5a;   // every picture's and sound's bytes
  fs.writeFileSync(gamefile(copy, 'data'), data);
  await withpage({ site: copy, game: true }, async ({ page }) => {
    await page.waitForFunction(() => document.getElementById('message').open, { timeout: 60000 });
    const text = await page.$eval('#messagetext', (e) => e.textContent);
    check(/^Can't load data\/\S+/.test(text), `the dialog says what: "${text}"`);
  });
} finally {
  fs.rmSync(copy, { recursive: true, force: true });
}
