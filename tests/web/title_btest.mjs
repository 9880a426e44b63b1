// The page loads the game without a console error and draws the title screen: the canvas read
// back is the sky, the city and the texts, many colours and mostly lit, not a blank picture.
import { check, frames, pixels, withpage } from './browser.mjs';

await withpage({ game: true, query: '?seed=5' }, async ({ page, errors }) => {
  await frames(page, 30);
  const { w, h, rgba } = await pixels(page);
  const colours = new Set();
  let lit = 0;
  for (let i = 0; i < rgba.length; i += 4) {
    if (rgba[i] + rgba[i + 1] + rgba[i + 2] > 30) lit++;
    colours.add((rgba[i] << 16) | (rgba[i + 1] << 8) | rgba[i + 2]);
  }
  check(w > 0 && h > 0, 'the canvas has a size');
  check(lit / (w * h) > 0.3 && colours.size > 500,
        `the title screen is drawn: ${Math.round((100 * lit) / (w * h))}% lit, ${colours.size} colours`);
  check(await page.$eval('#status', (e) => e.hidden), 'the loading line is gone');
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
