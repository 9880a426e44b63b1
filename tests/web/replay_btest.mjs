// ?replay=URL plays a recorded game back in the page to the digests it recorded.
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { check, withpage } from './browser.mjs';

const fight = path.join(path.dirname(fileURLToPath(import.meta.url)), '../replays/fight.vhr');
await withpage({ game: true, query: '?replay=fight.vhr', extra: { '/fight.vhr': fight } }, async ({ page, errors }) => {
  // the game draws the verdict over the playfield and prints it, where the page keeps it
  await page.waitForFunction(() => /world/.test(page.lastline), { timeout: 90000 });
  const verdict = await page.evaluate(() => page.lastline);
  check(/the same world as recorded after \d+ frames/.test(verdict), `the verdict: ${verdict}`);
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
