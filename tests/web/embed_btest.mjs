// Embedded in the frame of another site's page, as game sites show games: one click in the
// frame and the keys reach the game (Enter starts one, Alt+G opens the menu, Alt+H shows Help,
// which Enter closes), and the console stays clean (the page takes no focus it was not given).
// The frame's browser refuses it storage, as browsers that block third-party storage do
// (reading localStorage or indexedDB throws): the game starts and plays all the same, and the
// page says once that the settings and high scores last only for the visit.
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { check, withpage } from './browser.mjs';

const refused = () => {
  if (window === top) return;
  const deny = () => { throw new DOMException('Access is denied for this document.', 'SecurityError'); };
  for (const name of ['localStorage', 'sessionStorage', 'indexedDB']) Object.defineProperty(window, name, { get: deny });
  Object.defineProperty(Navigator.prototype, 'serviceWorker', { get: deny });
};
const embed = path.join(path.dirname(fileURLToPath(import.meta.url)), 'embed.html');
await withpage({ game: true, query: 'embed.html', extra: { '/embed.html': embed }, before: refused }, async ({ page, errors }) => {
  const frame = await (await page.waitForSelector('#game')).contentFrame();
  await frame.waitForFunction(() => window.Module && Module.presented >= 2, { timeout: 60000 });
  check(await frame.evaluate(() => { try { return !localStorage; } catch (e) { return e.name === 'SecurityError'; } }),
        'the frame is refused storage');
  const notice = () => frame.$eval('#notice', (e) => (e.hidden ? '' : e.textContent));
  check(/settings and high scores last only until this tab is closed/.test(await notice()), `the notice: "${await notice()}"`);
  const origins = [page.url(), frame.url()].map((u) => new URL(u).origin);
  check(origins[0] !== origins[1], `the frame is of another origin: ${origins}`);
  // what the browser itself says about the frame (refused focus, blocked calls) reaches only the
  // frame's own log; enabling it replays what was said so far
  const said = [];
  const cdp = await page.browser().targets().find((t) => t.url() === frame.url()).createCDPSession();
  cdp.on('Log.entryAdded', ({ entry }) => { if (entry.level === 'error' || entry.level === 'warning') said.push(entry.text); });
  await cdp.send('Log.enable');
  const prg = (await frame.evaluate(() => page.world())).level.prg;
  await page.keyboard.press('Enter');
  check((await frame.evaluate(() => page.world())).level.prg === prg, 'before a click the keys stay with the outer page');
  await (await frame.$('#canvas')).click();                 // on the playfield, whose presses the game keeps
  await page.keyboard.press('Enter');
  await frame.waitForFunction(() => page.world().level.prg === 1, { timeout: 10000 });
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyG');
  await page.keyboard.up('Alt');
  check(await frame.$$eval('#bar .entry', (rows) => rows.length) > 0, 'Alt+G opens the menu in the frame');
  await page.keyboard.press('Escape');
  await (await frame.$('#notice button')).click();
  check(await notice() === '', 'OK dismisses the notice');
  await frame.focus('#canvas');
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyH');
  await page.keyboard.up('Alt');
  await frame.waitForFunction(() => document.getElementById('message').open, { timeout: 10000 });
  check(await frame.evaluate(() => document.activeElement.id === 'ok'), 'the Help box\'s OK has the keys');
  await (await frame.$('#messagetext')).click();           // OK loses the focus; Enter still closes
  await page.keyboard.press('Enter');
  await frame.waitForFunction(() => !document.getElementById('message').open, { timeout: 10000 });
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyO');
  await page.keyboard.up('Alt');
  await page.keyboard.press('KeyP');                        // "&Pause between levels": a setting to keep
  await page.keyboard.press('Escape');                      // the game ends, and keeps what it keeps
  await frame.waitForSelector('#ended:not([hidden])', { timeout: 10000 });
  const ended = await frame.$eval('#endedtext', (e) => e.textContent);
  check(/kept until this tab is closed/.test(ended) && await notice() === '', `said once, the end says it again: "${ended}"`);
  const cfg = () => frame.evaluate((f) => (FS.analyzePath(f).exists ? FS.readFile(f).join() : 'none'),
                                   '/home/web_user/.config/varnhold/varnhold.cfg');
  const kept = await cfg();
  await Promise.all([frame.waitForNavigation({ timeout: 30000 }), frame.click('#again')]);   // a new game in the same tab
  await frame.waitForFunction(() => window.Module && Module.presented >= 2, { timeout: 60000 });
  check(await cfg() === kept, 'it finds the settings of the visit');
  check(errors.length === 0 && said.length === 0, `a clean console: ${errors.concat(said).join('; ')}`);
});
