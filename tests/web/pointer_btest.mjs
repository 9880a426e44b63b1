// The menu bar with the mouse, the way a player uses it: a click on "Game" opens it (its title
// readable), a click on "Start" starts a game; "Pause (P)" and "Help" act when clicked; up in a
// fresh menu is its last entry. Without a score server the server's entries are greyed out and
// do nothing.
import { check, frames, withpage } from './browser.mjs';

const world = (page) => page.evaluate(() => page.world());
const title = (page, text) => page.evaluateHandle((t) =>
  [...document.querySelectorAll('#bar .menu > button')].find((b) => b.textContent === t), text);
const entry = (page, text) => page.evaluateHandle((t) =>
  [...document.querySelectorAll('#bar .entry')].find((e) => e.textContent.includes(t)), text);

await withpage({ game: true, query: '?seed=3&dump' }, async ({ page, errors }) => {
  await frames(page, 2);
  await (await title(page, 'Game')).click();
  const shown = await page.$$eval('#bar .entry', (rows) => rows.map((r) => r.textContent));
  check(shown.some((t) => t.includes('Start')), `a click on Game opens it: ${shown.join('|')}`);
  const colours = await page.$eval('#bar .menu.open > button', (b) => [getComputedStyle(b).color, getComputedStyle(b).backgroundColor]);
  check(colours[0] !== colours[1] && colours[1] !== 'rgba(0, 0, 0, 0)', `the open title is readable: ${colours}`);

  const server = [];
  for (const name of ['Send scores', 'Shared high scores', 'Watch the best game'])
    server.push(await (await entry(page, name)).evaluate((e) => e.classList.contains('off')));
  check(server.every(Boolean), `no server: its entries are greyed out: ${server}`);
  const tabs = (await page.browser().pages()).length;
  await (await entry(page, 'Shared high scores')).click();
  check(await page.$$eval('#bar .entry', (rows) => rows.length) > 0, 'a greyed entry keeps the menu open');
  await (await entry(page, 'Start')).click();
  await page.waitForFunction(() => page.world().level.prg === 1, { timeout: 10000 });
  check((await page.browser().pages()).length === tabs, 'no tab opened for a missing server');

  await (await title(page, 'Pause (P)')).click();
  await frames(page, 2);
  check((await world(page)).level.pause === 1, 'a click on Pause (P) pauses');
  await (await title(page, 'Pause (P)')).click();
  await frames(page, 2);
  check((await world(page)).level.pause === 0, 'a second click goes on');
  check(await page.$$eval('#bar .entry', (rows) => rows.length) === 0, 'no empty drop-down under Pause');

  await (await title(page, 'Help')).click();
  await page.waitForFunction(() => document.getElementById('message').open, { timeout: 10000 });
  const help = await page.$eval('#messagetext', (p) => p.textContent);
  check(/Program Info\s+\u00af{14}\s+Version/.test(help) && (await world(page)).level.pause === 1,
        `Help shows its box, its Latin-1 line as written, and pauses: ${help.slice(0, 60)}`);
  await page.keyboard.press('Escape');                      // closes the box, not the game
  await frames(page, 2);
  check(!(await page.$eval('#message', (d) => d.open)) && await page.$eval('#ended', (e) => e.hidden),
        'Escape closes the Help box and the game goes on');

  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyG');
  await page.keyboard.up('Alt');
  await page.keyboard.press('ArrowUp');
  const hot = await page.$eval('#bar .entry.hot', (e) => e.textContent);
  check(hot.includes('Quit'), `up in a fresh menu is its last entry: ${hot}`);
  await page.keyboard.press('Escape');
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
