// The settings live in the browser: an option chosen in the menus is still chosen after the
// page is loaded again.
import { check, frames, ticked, withpage } from './browser.mjs';

await withpage({ game: true }, async ({ page, errors }) => {
  await frames(page, 2);
  check(!(await ticked(page, 'Pause between levels')), 'a new player has no pause between levels');
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyO');
  await page.keyboard.up('Alt');
  await page.keyboard.press('KeyP');                      // "&Pause between levels"
  await frames(page, 2);
  check(await ticked(page, 'Pause between levels'), 'the game ticks it');
  await new Promise((r) => setTimeout(r, 2500));          // the page writes the settings back
  await page.reload();
  await frames(page, 2);
  check(await ticked(page, 'Pause between levels'), 'it is still ticked after a reload');
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
