// A pad of the Gamepad API (navigator.getGamepads made up in the page, the "standard" layout)
// plays as the desktop's does: Start begins, the stick aims, X, A, B fire the left, middle and
// right turret, Back pauses; a pad pulled out lets go; a pad of another layout is left alone.
import { check, frames, withpage } from './browser.mjs';

const fakepads = () => {
  const pad = (id, mapping) => ({ id, index: 0, connected: true, mapping, timestamp: 0, axes: [0, 0, 0, 0],
                                  buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })) });
  window.pads = [pad('Made-up pad', 'standard'), pad('Odd stick', '')];
  window.plugged = [0];                           // which of them getGamepads shows, by index
  navigator.getGamepads = () => window.plugged.map((i) => (i === null ? null : window.pads[i]));
};

const world = (page) => page.evaluate(() => page.world());
const hold = (page, b, on) => page.evaluate((k, v) => Object.assign(window.pads[0].buttons[k], { pressed: v, value: +v }), b, on);
async function press(page, b) {
  await hold(page, b, true);
  await frames(page, 2);
  await hold(page, b, false);
  await frames(page, 2);
}

await withpage({ game: true, query: '?seed=3&dump', before: fakepads }, async ({ page, errors }) => {
  await frames(page, 2);
  await press(page, 9);                           // Start
  check((await world(page)).level.prg === 1, 'Start begins a game');
  const x = (await world(page)).ev.x;
  await page.evaluate(() => { window.pads[0].axes[0] = 1; });
  await frames(page, 10);
  await page.evaluate(() => { window.pads[0].axes[0] = 0; });
  const aimed = await world(page);
  check(aimed.ev.x > x + 20, `the stick moves the crosshair right: ${x} -> ${aimed.ev.x}`);
  await page.waitForFunction(() => page.world().level.prg === 0, { timeout: 30000 });
  // the left turret is slot 2, the middle 0, the right 1
  for (const [button, slot] of [[2, 2], [0, 0], [1, 1]]) {
    const before = (await world(page)).guns.d.map((g) => g.ammo);
    await press(page, button);
    const after = (await world(page)).guns.d.map((g) => g.ammo);
    check(after.every((a, i) => a === before[i] - (i === slot ? 1 : 0)),
          `button ${button} fires slot ${slot}: ${before} -> ${after}`);
  }
  await press(page, 8);                           // Back
  check((await world(page)).level.pause === 1, 'Back pauses');
  await press(page, 8);
  await hold(page, 12, true);                     // the d-pad up held, then the pad pulled out
  await frames(page, 2);
  check((await world(page)).ev.keys[203] === 1, 'the d-pad holds its key');
  await page.evaluate(() => { window.plugged = [null]; });
  await frames(page, 2);
  check((await world(page)).ev.keys[203] === 0, 'a pad pulled out lets go');
  await page.evaluate(() => { window.plugged = [null, 1]; window.pads[1].buttons[9].pressed = true; });
  await frames(page, 4);
  const odd = await world(page);
  check(odd.level.prg === 0 && odd.level.pause === 0, 'a pad of another layout does nothing');
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
