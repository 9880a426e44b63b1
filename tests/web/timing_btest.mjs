// The page's frame loop, on animation frames whose timestamps the test makes: 60 steps a
// second at a refresh of 60, 120 or 144 Hz, each frame drawn at 144, 480 while F5 is held; a hidden tab pauses the
// fight, and the frame after it catches up at most a quarter second; a visible page that
// stalled catches up every tick it missed, a quarter second's worth a frame.
import { check, frames, withpage } from './browser.mjs';

// Animation frames each 1000 / hz ms after the last; once the test counts, only `left` more.
const fakeframes = () => {
  const f = (window.fakeframes = { hz: 60, t: 1000, left: Infinity, queue: [] });
  window.requestAnimationFrame = (cb) => f.queue.push(cb);
  setInterval(() => {
    if (f.left <= 0 || !f.queue.length) return;
    const q = f.queue;
    f.queue = [];
    f.left--;
    f.t += 1000 / f.hz;
    for (const cb of q) cb(f.t);
  }, 1);
};

// The frame timer's ticks over `n` animation frames at `hz`.
async function ticks(page, hz, n) {
  const before = await page.evaluate(() => {
    window.fakeframes.left = 0;
    return page.world().timer.ticks;
  });
  await page.evaluate((h, k) => Object.assign(window.fakeframes, { hz: h, left: k }), hz, n);
  await page.waitForFunction(() => window.fakeframes.left === 0, { timeout: 60000 });
  return (await page.evaluate(() => page.world().timer.ticks)) - before;
}

await withpage({ game: true, query: '?seed=3&dump', before: fakeframes }, async ({ page, errors }) => {
  await frames(page, 1);
  for (const hz of [60, 120, 144]) {
    const got = await ticks(page, hz, 2 * hz);
    check(Math.abs(got - 120) <= 1, `${hz} Hz: 120 steps in two seconds, got ${got}`);
  }
  // A display measured at 144 Hz: "Smooth motion", not chosen, draws every one of its frames.
  const drawn0 = await page.evaluate(() => Module.presented);
  await ticks(page, 144, 144);
  const drawn = (await page.evaluate(() => Module.presented)) - drawn0;
  check(drawn >= 143, `144 Hz: every animation frame drawn, got ${drawn} of 144`);
  await page.keyboard.down('F5');                 // the game's timer starts again at 480 Hz
  const fast = await ticks(page, 60, 60);
  await page.keyboard.up('F5');
  check(Math.abs(fast - 480) <= 1, `F5 held: 480 steps a second, got ${fast}`);
  await ticks(page, 60, 2);

  await page.keyboard.press('Enter');
  await page.mouse.click(400, 200, { button: 'right' });   // no waiting for "Get Ready"
  await ticks(page, 60, 5);
  const shown = (hidden) => page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (h ? 'hidden' : 'visible') });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  check((await page.evaluate(() => page.world().level)).prg === 0, 'the fight is on');
  await shown(true);
  check((await page.evaluate(() => page.world().level)).pause === 1, 'a hidden tab pauses the fight');
  await page.evaluate(() => { window.fakeframes.t += 10000; });   // ten seconds without frames
  await shown(false);
  const after = await ticks(page, 60, 1);
  check(after >= 1 && after <= 15, `back after ten seconds: at most a quarter second caught up, got ${after}`);
  await page.evaluate(() => { window.fakeframes.t += 2000; });    // a visible page stalls two seconds
  const stalled = await ticks(page, 60, 20);
  check(Math.abs(stalled - 140) <= 1, `a two-second stall is made up within 20 frames: 140 steps, got ${stalled}`);
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
