// A screen of two device pixels per page pixel: the canvas has the device's pixels (with
// ?render-scale=device; SwiftShader's own choice draws about one pixel per playfield unit, a
// little less on a large page or on a slow machine, and lets the page scale it), and the playfield keeps its shape (2 : 1) with black bars in the rest, at every
// window shape.
import { check, frames, pixels, withpage } from './browser.mjs';

for (const render of ['device', 'auto'])
await withpage({ game: true, query: `?seed=5&render-scale=${render}` }, async ({ page, errors }) => {
  for (const [width, height] of [[1000, 724], [700, 624]]) {   // bars below, then beside
    await page.setViewport({ width, height, deviceScaleFactor: 2 });
    await frames(page, 3);
    const css = await page.$eval('#canvas', (c) => [c.clientWidth, c.clientHeight]);
    const { w, h, rgba } = await pixels(page);
    // auto: 0.75 to 1 pixel per playfield unit (a title that falls behind on a busy machine
    // keeps 0.75), 1000 x 700 page pixels are at most 800 x 560 of the buffer, in the page's
    // proportions
    const unit = Math.min(css[0] / 800, css[1] / 400);
    const [lo, hi] = render === 'device' ? [2, 2] : [Math.min(2, 0.75 / unit), Math.min(2, 1 / unit)];
    check(w >= Math.round(lo * css[0]) && w <= Math.round(hi * css[0]) && Math.abs(h - (w * css[1]) / css[0]) <= 1,
          `${render}: the canvas has ${lo} to ${hi} pixels per page pixel: ${w} x ${h} for ${css}`);
    // the drawn part: rows and columns with any pixel that is not black
    let right = -1, bottom = -1;
    for (let y = 0; y < h; y++)
      for (let x = 0; x < w; x++) {
        const i = 4 * (y * w + x);
        if (rgba[i] + rgba[i + 1] + rgba[i + 2] > 0) {
          right = Math.max(right, x);
          bottom = Math.max(bottom, y);
        }
      }
    const scale = Math.min(w / 800, h / 400);
    check(Math.abs(right + 1 - 800 * scale) <= 2 && Math.abs(bottom + 1 - 400 * scale) <= 2,
          `${width} x ${height}: the playfield is ${right + 1} x ${bottom + 1}, ${800 * scale} x ${400 * scale} expected`);
  }
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
