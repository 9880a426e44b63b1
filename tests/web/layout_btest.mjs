// The page laid out for the device: on a phone in portrait, in landscape and on a desktop
// window the playfield is in the middle of the space below the strip, no control lies over it,
// no text is cut off or off the screen; portrait says landscape is bigger, a touch screen says
// "Tap Start". On the phone the menus open by taps from one button and a tapped entry acts.
import { check, frames, withpage } from './browser.mjs';

// every visible control and text of the page: its box, and whether its text fits in it
const boxes = (page) => page.evaluate(() => [...document.querySelectorAll(
  '#strip button, #bar .entry, #touch button, .hint, #savereplay')]
  .filter((e) => e.offsetParent !== null || getComputedStyle(e).position === 'fixed')
  .filter((e) => e.getClientRects().length && getComputedStyle(e).display !== 'none')
  .map((e) => {
    const r = e.getBoundingClientRect();
    return { what: e.id || e.textContent.trim().slice(0, 20) || e.className, open: !!e.closest('body.menus #bar'), x0: r.left, y0: r.top, x1: r.right, y1: r.bottom,
             cut: e.scrollWidth > e.clientWidth + 1 || e.scrollHeight > e.clientHeight + 1 };
  }));
const canvasbox = (page) => page.$eval('#canvas', (c) => {
  const r = c.getBoundingClientRect();
  return { x0: r.left, y0: r.top, x1: r.right, y1: r.bottom };
});
const over = (a, b) => a.x0 < b.x1 - 0.5 && b.x0 < a.x1 - 0.5 && a.y0 < b.y1 - 0.5 && b.y0 < a.y1 - 0.5;

async function check_layout(page, W, H, touch) {
  const c = await canvasbox(page), all = await boxes(page);
  const w = c.x1 - c.x0, h = c.y1 - c.y0, what = `${W} x ${H}`;
  await page.waitForFunction((cw) => page.world().win.w === cw, { timeout: 5000 }, w).catch(() => {});
  const win = (await page.evaluate(() => page.world())).win;
  check(win.w === w && win.h === h, `${what}: the game measured the canvas anew: ${win.w} x ${win.h} for ${w} x ${h}`);
  check(Math.abs(w - 2 * h) <= 1 && Math.abs(c.x0 - (W - c.x1)) <= 1, `${what}: the playfield (2 : 1) centred across: ${JSON.stringify(c)}`);
  if (!touch) check(Math.abs(c.y0 - 24 - (H - c.y1)) <= 1 && (w === W || h === H - 24), `${what}: centred and as large as fits: ${JSON.stringify(c)}`);
  check(c.y0 >= 24 && c.y1 <= H && w >= 0.75 * Math.min(W, 2 * (H - 24)), `${what}: on screen and not small: ${JSON.stringify(c)}`);
  for (const b of all) {
    // an open menu lies over the game, as a drop-down does
    check(b.open || !over(b, c), `${what}: ${b.what} is not over the playfield: ${JSON.stringify(b)}`);
    check(!b.cut && b.x0 >= 0 && b.y0 >= 0 && b.x1 <= W + 0.5 && b.y1 <= H + 0.5, `${what}: ${b.what} whole on the screen: ${JSON.stringify(b)}`);
  }
  for (let i = 0; i < all.length; i++)
    for (let j = i + 1; j < all.length; j++)
      if (!all[i].open && !all[j].open) check(!over(all[i], all[j]), `${what}: ${all[i].what} and ${all[j].what} apart`);
  return all.map((b) => b.what);
}

await withpage({ game: true, query: '?seed=3&dump' }, async ({ page, errors }) => {
  await frames(page, 2);
  await page.setViewport({ width: 1280, height: 800 });
  await frames(page, 2);
  await check_layout(page, 1280, 800, false);
  check(!(await page.$eval('body', (b) => b.classList.contains('compact'))), '1280 x 800: the menu bar in full');

  // a touch screen from now on (a mobile viewport would load the page again): landscape first,
  // where the first tap changes the layout (the buttons take a margin)
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
  for (const [W, H, portrait] of [[844, 390, false], [390, 844, true]]) {
    await page.setViewport({ width: W, height: H });
    await page.touchscreen.tap(W / 2, H - 4);
    await frames(page, 2);
    const shown = await check_layout(page, W, H, true);
    check(shown.includes('tapstart') && shown.includes('turn') === portrait,
          `${W} x ${H}: the hints for touch, and to turn the phone in portrait: ${shown.join('|')}`);
  }

  await page.setViewport({ width: 360, height: 780 });
  await frames(page, 2);
  await page.tap('#menubutton');
  const titles = await page.$$eval('#bar .menu > button', (b) => b.map((e) => e.textContent));
  check(titles.length === 6, `360 wide: one tap lists the menus: ${titles.join('|')}`);
  const tapon = async (text) => (await page.evaluateHandle((t) =>
    [...document.querySelectorAll('#bar .menu > button, #bar .entry')].find((e) => e.textContent.includes(t)), text)).tap();
  await tapon('Game');
  await check_layout(page, 360, 780, true);
  await tapon('Start');
  await page.waitForFunction(() => page.world().level.prg === 1, { timeout: 10000 });
  check(await page.$$eval('#bar .entry', (rows) => rows.length) === 0, 'the chosen entry closes the menus');
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
