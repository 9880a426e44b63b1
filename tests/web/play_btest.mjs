// Enter starts a game, a click fires a turret's missile, a tap on a touch screen fires too:
// the game's world read back from the page (the desktop's --dump).
import { check, frames, withpage } from './browser.mjs';

const world = (page) => page.evaluate(() => page.world());
const ammo = (w) => w.guns.d.filter(Boolean).reduce((n, g) => n + g.ammo, 0);
const mine = (w) => w.rockets.d.filter((r) => r && r.owner === 1).length;

await withpage({ game: true, query: '?seed=3&dump' }, async ({ page, errors }) => {
  await frames(page, 2);
  const title = await world(page);
  await page.keyboard.press('Enter');
  await frames(page, 5);
  await page.mouse.click(400, 200, { button: 'right' });  // no waiting for "Get Ready"
  await frames(page, 10);
  const started = await world(page);
  check(started.level.prg !== title.level.prg, `Enter starts a game: prg ${title.level.prg} -> ${started.level.prg}`);
  await page.mouse.click(250, 120);
  await frames(page, 5);
  const fired = await world(page);
  check(ammo(fired) === ammo(started) - 1 && mine(fired) >= 1,
        `a click fires one missile: ammo ${ammo(started)} -> ${ammo(fired)}, ${mine(fired)} in the air`);
  // the turret is ready again
  await page.waitForFunction(() => page.world().guns.d.every((g) => !g || g.cooldown === 0), { timeout: 20000 });
  const ready = await world(page);
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
  await page.touchscreen.tap(560, 150);
  await frames(page, 5);
  const tapped = await world(page);
  check(ammo(tapped) === ammo(ready) - 1, `a tap fires one missile: ammo ${ammo(ready)} -> ${ammo(tapped)}`);
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
