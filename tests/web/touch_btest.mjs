// A touch screen: a tap fires the ready turret nearest to it whatever the mouse option (here
// the default, a turret per button); a touch brings the Start and Pause buttons; the page
// neither scrolls, zooms nor opens a context menu. On a phone held sideways Help opens at its
// top with the touch screen's own lines, and its OK is a finger's target.
import { check, frames, withpage } from './browser.mjs';

const world = (page) => page.evaluate(() => page.world());

await withpage({ game: true, query: '?seed=3&dump' }, async ({ page, errors }) => {
  await frames(page, 2);
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
  await page.touchscreen.tap(400, 100);
  check(await page.$eval('#touch', (e) => e.offsetParent !== null), 'a touch shows the Start and Pause buttons');
  await page.tap('#touch button[data-key="13"]');
  await page.mouse.click(400, 200, { button: 'right' });    // no waiting for "Get Ready"
  await page.waitForFunction(() => page.world().level.prg === 0, { timeout: 20000 });
  const top = await page.$eval('#canvas', (c) => c.getBoundingClientRect().top);
  for (const slot of [1, 2, 0]) {                 // right, left, middle
    const before = await world(page);
    await page.touchscreen.tap(before.guns.d[slot].x + 10, top + 250);
    await frames(page, 2);
    const ammo = (await world(page)).guns.d.map((g) => g.ammo);
    check(ammo.every((a, i) => a === before.guns.d[i].ammo - (i === slot ? 1 : 0)),
          `a tap above turret ${slot} fires it: ${before.guns.d.map((g) => g.ammo)} -> ${ammo}`);
  }
  await page.tap('#touch button[data-key="80"]');
  check((await world(page)).level.pause === 1, 'the Pause button pauses');
  const kept = await page.evaluate(() => {
    const c = document.getElementById('canvas'), bar = document.getElementById('bar');
    const sent = (target, e) => !target.dispatchEvent(e);
    return {
      menu: sent(c, new MouseEvent('contextmenu', { bubbles: true, cancelable: true })) &&
            sent(bar, new MouseEvent('contextmenu', { bubbles: true, cancelable: true })),
      zoom: sent(bar, new WheelEvent('wheel', { bubbles: true, cancelable: true, ctrlKey: true, deltaY: -100 })),
      scroll: sent(c, new TouchEvent('touchmove', { bubbles: true, cancelable: true })),
    };
  });
  check(kept.menu && kept.zoom && kept.scroll, `no context menu, zoom or scrolling: ${JSON.stringify(kept)}`);

  // a phone's viewport may load the page again: wait for its menu bar before a tap on it
  await page.setViewport({ width: 844, height: 390, hasTouch: true, isMobile: true });
  await page.waitForFunction(() =>
    [...document.querySelectorAll('#bar .menu > button')].find((b) => b.textContent === 'Help'), { timeout: 60000 });
  await frames(page, 2);
  if (await page.$eval('body', (b) => b.classList.contains('compact'))) await page.tap('#menubutton');
  await (await page.evaluateHandle(() =>
    [...document.querySelectorAll('#bar .menu > button')].find((b) => b.textContent === 'Help'))).tap();
  await page.waitForFunction(() => document.getElementById('message').open, { timeout: 10000 });
  const help = await page.$eval('#message', (box) => ({
    lines: box.querySelector('#touchhelp').offsetParent ? box.querySelector('#touchhelp').textContent : '',
    top: box.scrollTop, scrolls: box.scrollHeight > box.clientHeight,
    ok: [box.querySelector('#ok').offsetWidth, box.querySelector('#ok').offsetHeight],
  }));
  check(/Tap the sky - Fire the nearest ready cannon/.test(help.lines), `Help speaks of taps: ${help.lines}`);
  check(help.scrolls && help.top === 0, `Help opens at its top: ${JSON.stringify(help)}`);
  check(Math.min(...help.ok) >= 44, `OK is at least 44 px: ${help.ok}`);
  await page.tap('#ok');
  await page.waitForFunction(() => !document.getElementById('message').open, { timeout: 10000 });
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
