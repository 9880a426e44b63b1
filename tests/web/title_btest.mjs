// The page loads the game without a console error and draws the title screen: the canvas read
// back is the sky, the city and the texts, many colours and mostly lit, not a blank picture.
// While it loads the page shows the game's name and a progress bar, not a count of bytes.
import { check, frames, pixels, withpage } from './browser.mjs';

const watch = () => addEventListener('DOMContentLoaded', () => {
  window.loading = [];
  new MutationObserver(() => loading.push([document.getElementById('status').innerText,
                                           document.getElementById('progress').max]))
    .observe(document.getElementById('status'), { subtree: true, childList: true, characterData: true, attributes: true });
});

await withpage({ game: true, query: '?seed=5', before: watch }, async ({ page, errors }) => {
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
  const loading = await page.evaluate(() => window.loading);
  check(loading.some(([text, max]) => /VARNHOLD/.test(text) && max > 1000) && !loading.some(([text]) => /\d+\/\d+/.test(text)),
        `loading: the name and a bar, no byte counts: ${JSON.stringify(loading.slice(0, 3))}`);
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
