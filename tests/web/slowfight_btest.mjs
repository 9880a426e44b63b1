// A browser that shows half the frames the game steps (a software rasteriser behind in a crowded
// fight): the fight's scene gives up pixels, down to half a pixel per playfield unit, and is
// scaled to the canvas's buffer each frame, while the buffer keeps 0.75 pixels per unit for the
// level's lines drawn over it, so that they stay readable.
import { check, frames, pixels, withpage } from './browser.mjs';

// Animation frames 30 times a second, each a thirtieth of a second after the last: the game
// steps two frames for each one shown.
const halfframes = () => {
  let t = 1000;
  let queue = [];
  window.requestAnimationFrame = (cb) => queue.push(cb);
  setInterval(() => {
    const q = queue;
    queue = [];
    t += 1000 / 30;
    for (const cb of q) cb(t);
  }, 1000 / 30);
};

// The mean of each pixel's largest channel over the buffer's rectangle of playfield units.
function bright({ w, h, rgba }, [x0, y0, x1, y1]) {
  const s = Math.min(w / 800, h / 400);
  let sum = 0, n = 0;
  for (let y = Math.round(y0 * s); y < Math.round(y1 * s); y++)
    for (let x = Math.round(x0 * s); x < Math.round(x1 * s); x++, n++) {
      const i = 4 * (y * w + x);
      sum += Math.max(rgba[i], rgba[i + 1], rgba[i + 2]);
    }
  return sum / n;
}

await withpage({ game: true, query: '?seed=1&crowd', before: halfframes }, async ({ page, errors }) => {
  await page.setViewport({ width: 1000, height: 600 });   // 1000 x 500 for the playfield
  await frames(page, 1);
  const width = () => page.$eval('#canvas', (c) => c.width);
  check(await width() === 800, `the fight starts at a pixel per unit: ${await width()} wide`);
  await page.waitForFunction(() => document.getElementById('canvas').width <= 602, { timeout: 60000, polling: 200 });
  await frames(page, 60);                         // two more slow seconds: still the least
  const w = await width();
  check(w >= 598 && w <= 602, `the buffer keeps 600 pixels a row over a scene of 400, not ${w}`);
  // the scene is shown under the lines, alive: the sky right of them changes from frame to frame
  const a = await pixels(page);
  await frames(page, 10);
  const b = await pixels(page);
  const sky = [300, 60, 800, 300];
  check(bright(a, sky) > 40 && bright(b, sky) > 40, `the scene shows: brightness ${bright(a, sky)}, ${bright(b, sky)}`);
  let moved = 0;
  for (let i = 0; i < a.rgba.length; i++) moved += a.rgba[i] !== b.rgba[i];
  check(moved > a.rgba.length / 100, `the scene moves: ${moved} bytes of ${a.rgba.length} changed`);
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
