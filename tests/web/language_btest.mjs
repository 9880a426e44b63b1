// The Language menu switches the game's texts, the page's menu bar with them, Latin-1 letters
// and all.
import { check, frames, withpage } from './browser.mjs';

const titles = (page) => page.$$eval('#bar > .menu > button', (b) => b.map((e) => e.textContent).join('|'));

await withpage({ game: true }, async ({ page, errors }) => {
  await frames(page, 2);
  const english = await titles(page);
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyL');
  await page.keyboard.up('Alt');
  const row = await page.$$('#bar .entry');
  const names = await Promise.all(row.map((r) => r.evaluate((e) => e.textContent)));
  check(names.some((n) => n.includes('Français')), `the languages by their own names: ${names.join('|')}`);
  await row[names.findIndex((n) => n.includes('Deutsch'))].evaluate((e) =>
    e.dispatchEvent(new MouseEvent('mousedown', { bubbles: true })));
  await frames(page, 3);
  const german = await titles(page);
  check(german !== english && german.split('|').length === english.split('|').length,
        `the menus change language: ${english} -> ${german}`);
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
