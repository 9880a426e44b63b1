// A cold first visit: the first frame of the running game (after "Loading...") is its title
// with every picture, lit and colourful and all but the same pixels as the frame after it (a
// picture still missing would show in one of them), and the sounds, decoded after the first
// frames, play when the game needs them even before their turn: every voice the game starts
// has its samples.
import { check, frames, withpage } from './browser.mjs';

// Keeps the canvas's pixels of the first frame drawn after the start-up (the title).
const keepfirst = () => {
  let kept = null;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get: () => kept,
    set: (m) => {
      kept = m;
      queueMicrotask(() => {               // once the page has made its own count
        const was = Object.getOwnPropertyDescriptor(m, 'presented');
        Object.defineProperty(m, 'presented', { get: was.get, set: (n) => {
          was.set(n);
          if (n !== 2 && n !== 3) return;
          const c = document.getElementById('canvas'), copy = document.createElement('canvas');
          copy.width = c.width;
          copy.height = c.height;
          copy.getContext('2d').drawImage(c, 0, 0);
          (window.titleframes = window.titleframes || []).push(Array.from(copy.getContext('2d').getImageData(0, 0, c.width, c.height).data));
          if (n === 2) window.waitingsounds = Module.decoded && Module.decoded.ogg ? 29 - Module.decoded.ogg[0] : 29;
        } });
      });
    },
  });
};

await withpage({ game: true, query: '?seed=1', before: keepfirst }, async ({ page, errors }) => {
  await page.waitForFunction(() => window.titleframes && window.titleframes.length === 2, { timeout: 60000 });
  check(await page.evaluate(() => window.waitingsounds) > 0, 'the sounds wait for the first frames');
  const [first, next] = await page.evaluate(() => window.titleframes);
  let differ = 0, lit = 0;
  const colours = new Set();
  for (let i = 0; i < first.length; i += 4) {
    if (Math.abs(first[i] - next[i]) + Math.abs(first[i + 1] - next[i + 1]) + Math.abs(first[i + 2] - next[i + 2]) > 24) differ++;
    if (first[i] + first[i + 1] + first[i + 2] > 30) lit++;
    colours.add((first[i] << 16) | (first[i + 1] << 8) | first[i + 2]);
  }
  const n = first.length / 4;
  check(lit / n > 0.3 && colours.size > 500 && differ / n < 0.02,
        `the first frame is the whole title: ${Math.round((100 * lit) / n)}% lit, ${colours.size} colours, ${differ} of ${n} pixels unlike the next frame's`);
  // a game and a shot: their sounds, whatever was decoded by then; every voice playing in any
  // frame until one has played has its samples
  await frames(page, 2);
  await page.keyboard.press('Enter');
  await frames(page, 5);
  await page.mouse.click(400, 200, { button: 'right' });
  await frames(page, 10);
  await page.mouse.click(250, 120);
  await page.waitForFunction(() => {
    for (const s of Object.values(AL.currentCtx ? AL.currentCtx.sources : {})) {
      if (s.state !== 0x1012) continue;                 // AL_PLAYING
      window.voices = (window.voices || 0) + 1;
      if (!s.bufQueue.every((b) => b.audioBuf && b.length > 0)) window.silent = (window.silent || 0) + 1;
    }
    return window.voices > 0;
  }, { timeout: 30000, polling: 'raf' });
  check(!(await page.evaluate(() => window.silent)), 'every sound played has its samples');
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
