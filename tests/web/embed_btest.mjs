// Embedded in another page's frame, as game sites show games: one click in the frame and the
// keys reach the game (Enter starts one, Alt+G opens the menu).
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { check, withpage } from './browser.mjs';

const embed = path.join(path.dirname(fileURLToPath(import.meta.url)), 'embed.html');
await withpage({ game: true, query: 'embed.html', extra: { '/embed.html': embed } }, async ({ page, errors }) => {
  const frame = await (await page.waitForSelector('#game')).contentFrame();
  await frame.waitForFunction(() => window.Module && Module.presented >= 2, { timeout: 60000 });
  const prg = (await frame.evaluate(() => page.world())).level.prg;
  await page.keyboard.press('Enter');
  check((await frame.evaluate(() => page.world())).level.prg === prg, 'before a click the keys stay with the outer page');
  await (await frame.$('#canvas')).click();                 // on the playfield, whose presses the game keeps
  await page.keyboard.press('Enter');
  await frame.waitForFunction(() => page.world().level.prg === 1, { timeout: 10000 });
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyG');
  await page.keyboard.up('Alt');
  check(await frame.$$eval('#bar .entry', (rows) => rows.length) > 0, 'Alt+G opens the menu in the frame');
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
