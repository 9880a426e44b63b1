// The page's menu bar shows the game's menus with their underlined letters; Alt and a letter
// opens one, Escape closes it, and a chosen entry reaches the game, which ticks it.
import { check, frames, withpage } from './browser.mjs';

const entries = (page) => page.$$eval('#bar .entry', (rows) => rows.map((r) => r.textContent));

await withpage({ game: true }, async ({ page, errors }) => {
  await frames(page, 2);
  const titles = await page.$$eval('#bar > .menu > button', (b) => b.map((e) => e.textContent));
  check(titles.join('|') === 'Game|Options|Volume|Pause (P)|Help|Language', `the menus: ${titles.join('|')}`);
  check(await page.$eval('#bar > .menu > button u', (u) => u.textContent) === 'G', 'Game has its letter underlined');
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyO');
  await page.keyboard.up('Alt');
  const options = await entries(page);
  check(options.some((t) => t.includes('Hide text (H)')), `Alt+O opens Options: ${options.join('|')}`);
  await page.keyboard.press('Escape');
  check((await entries(page)).length === 0, 'Escape closes it');
  const hide = (t) => t.includes('Hide text');
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyO');
  await page.keyboard.up('Alt');
  const before = (await entries(page)).find(hide);
  await page.keyboard.press('KeyT');                      // "Hide &text (H)"
  await frames(page, 4);
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyO');
  await page.keyboard.up('Alt');
  const after = (await entries(page)).find(hide);
  check(!before.startsWith('\u2713') && after.startsWith('\u2713'), `the game ticks it: "${before}" then "${after}"`);
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
