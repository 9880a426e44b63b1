// F11, Alt+Enter and the page's button take the page to the whole screen and back; neither key
// reaches the game (Enter would start one). "Reset windowsize" leaves the full screen, and the
// game's window is the page's.
import { check, frames, withpage } from './browser.mjs';

const full = (page) => page.evaluate(() => !!document.fullscreenElement);
const settle = (page, want) => page.waitForFunction((w) => !!document.fullscreenElement === w, { timeout: 5000 }, want);

await withpage({ game: true, query: '?dump' }, async ({ page, errors }) => {
  await frames(page, 2);
  const before = (await page.evaluate(() => page.world())).level.prg;
  const steps = [
    ['F11', () => page.keyboard.press('F11'), true],
    ['F11 again', () => page.keyboard.press('F11'), false],
    ['Alt+Enter', async () => {
      await page.keyboard.down('Alt');
      await page.keyboard.press('Enter');
      await page.keyboard.up('Alt');
    }, true],
    ['the button', () => page.click('#full'), false],
  ];
  for (const [what, act, want] of steps) {
    await act();
    await settle(page, want).catch(() => {});
    check(await full(page) === want, `${what} ${want ? 'enters' : 'leaves'} full screen`);
  }
  await frames(page, 5);
  const w = await page.evaluate(() => page.world());
  check(w.level.prg === before, `no key reached the game: prg ${before} -> ${w.level.prg}`);
  await page.keyboard.press('F11');
  await settle(page, true).catch(() => {});
  const item = (text) => page.evaluateHandle((t) =>
    [...document.querySelectorAll('#bar .menu > button, #bar .entry')].find((e) => e.textContent.includes(t)), text);
  await (await item('Options')).click();
  await (await item('Reset windowsize')).click();
  await settle(page, false).catch(() => {});
  check(!(await full(page)), 'Reset windowsize leaves full screen');
  await frames(page, 3);
  const win = (await page.evaluate(() => page.world())).win;
  const css = await page.$eval('#canvas', (c) => [c.clientWidth, c.clientHeight]);
  check(win.x === 0 && win.y === 0 && win.w === css[0] && win.h === css[1],
        `the game's window is the page's: ${win.x},${win.y} ${win.w}x${win.h} for ${css}`);
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
