// Escape and Game > Quit end the game as on the desktop (its settings kept), and the page offers
// the next game at once: one click on "Play again", or Enter or Space for a keyboard player, and
// the title is back, the option chosen before still chosen, no reload by hand.
import { check, frames, ticked, withpage } from './browser.mjs';

const menu = (page, text) => page.evaluateHandle((t) =>
  [...document.querySelectorAll('#bar .menu > button, #bar .entry')].find((e) => e.textContent.includes(t)), text);

await withpage({ game: true }, async ({ page, errors }) => {
  await frames(page, 2);
  await (await menu(page, 'Options')).click();
  await (await menu(page, 'Pause between levels')).click();
  const escape = () => page.keyboard.press('Escape');
  const quit = async () => {
    await (await menu(page, 'Game')).click();
    await (await menu(page, 'Quit')).click();
  };
  for (const [how, end, again] of [['Escape', escape, () => page.keyboard.press('Enter')],
                                   ['Game > Quit', quit, () => page.click('#again')],
                                   ['Escape, then Space', escape, () => page.keyboard.press('Space')]]) {
    await end();
    await page.waitForSelector('#again', { visible: true, timeout: 10000 });
    const text = await page.$eval('#endedtext', (p) => p.textContent);
    check(/ended/.test(text), `${how}: the page says the game ended: ${text}`);
    check(await page.$$eval('#bar .menu', (m) => m.length) === 0, `${how}: no dead menu bar`);
    await Promise.all([page.waitForNavigation({ timeout: 10000 }), again()]);
    await page.waitForFunction(() => window.Module && Module.presented >= 2, { timeout: 60000 });
    check(await page.$eval('#ended', (e) => e.hidden), `${how}: one press and the game is back`);
    check(await ticked(page, 'Pause between levels'), `${how}: the option chosen before is kept`);
  }
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
