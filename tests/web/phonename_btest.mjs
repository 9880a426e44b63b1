// A phone's name entry: the stored name is replaced by a tap on Clear and the device's own
// keyboard ("Zoë", not "ZoëYour Name"); the game recorded meanwhile plays back to the same
// world. Escape during the entry ends the game as on the desktop (the name kept, no row made)
// and Play again brings the title back with the name.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { check, frames, lowtable, withpage } from './browser.mjs';

const world = (page) => page.evaluate(() => page.world());
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-phone-'));
const replay = path.join(folder, 'phone.vhr');
try {
  await withpage({ game: true, query: '?seed=31&dump&record', before: lowtable }, async ({ page, errors }) => {
    await page.setViewport({ width: 390, height: 844, hasTouch: true, isMobile: true });
    await frames(page, 2);
    await page.tap('#touch button[data-key="13"]');          // Start
    await page.keyboard.down('F5');                          // the game to its end, quickly
    await page.waitForFunction(() => page.world().level.prg === 3, { timeout: 120000, polling: 200 });
    await page.keyboard.up('F5');
    check((await world(page)).level.name === 'Your Name', 'the entry starts on the stored name');
    await page.waitForSelector('#clear', { visible: true, timeout: 5000 });
    const buttons = await page.$$eval('#touch button', (b) => b.filter((e) => e.offsetParent).map((e) =>
      `${e.textContent} ${e.offsetHeight >= 44 ? 'fits' : 'small'}`));
    check(buttons.join('|') === 'Done fits|Pause fits|Clear fits', `the entry's buttons: ${buttons.join('|')}`);
    await page.tap('#clear');
    await frames(page, 2);
    check((await world(page)).level.name === '', `Clear empties the name: "${(await world(page)).level.name}"`);
    check(await page.evaluate(() => document.activeElement.id === 'type'), 'the device keyboard\'s field keeps the focus');
    await page.keyboard.sendCharacter('Zoë');
    await frames(page, 2);
    check((await world(page)).level.name === 'Zoë', `the name as typed: "${(await world(page)).level.name}"`);
    const bytes = await page.evaluate(() => {
      Module._vh_signal(12);                                 // the replay so far, written now
      return Array.from(FS.readFile('/tmp/recorded.vhr'));
    });
    fs.writeFileSync(replay, Buffer.from(bytes));
    await page.keyboard.press('Escape');
    await page.waitForSelector('#again', { visible: true, timeout: 10000 });
    await Promise.all([page.waitForNavigation(), page.tap('#again')]);
    await frames(page, 2);
    const again = await world(page);
    check(again.level.name === 'Zoë' && again.level.hiscore.every((r) => r.name !== 'Zoë'),
          `after Escape: the name kept, no row: "${again.level.name}"`);
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
  });
  await withpage({ game: true, query: '?replay=phone.vhr', extra: { '/phone.vhr': replay } }, async ({ page }) => {
    await page.waitForFunction(() => /world/.test(page.lastline), { timeout: 90000 });
    const verdict = await page.evaluate(() => page.lastline);
    check(/the same world as recorded/.test(verdict), `the recorded entry plays back: ${verdict}`);
  });
} finally {
  fs.rmSync(folder, { recursive: true, force: true });
}
