// ?record: "Save replay" hands over the game so far, and the game's end hands over the whole
// replay, which plays back to the same world (the page's ?replay).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { check, frames, withpage } from './browser.mjs';

const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-replays-'));
const downloads = async (n) => {
  const deadline = Date.now() + 15000;
  let files = [];
  while (Date.now() < deadline && (files = fs.readdirSync(folder).filter((f) => f.endsWith('.vhr'))).length < n)
    await new Promise((r) => setTimeout(r, 100));
  return files;
};
try {
  await withpage({ game: true, query: '?record' }, async ({ page, errors }) => {
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
    await frames(page, 2);
    await page.keyboard.press('Enter');
    await frames(page, 20);
    await page.mouse.click(300, 150);
    await frames(page, 20);
    await page.click('#savereplay');
    const first = await downloads(1);
    check(first.length === 1, `Save replay downloads one replay: ${first}`);
    fs.renameSync(path.join(folder, first[0]), path.join(folder, 'saved.txt'));
    await frames(page, 20);
    await page.keyboard.press('Escape');              // the game ends
    const files = await downloads(1);
    check(files.length === 1, `the end downloads the replay: ${files}`);
    const text = fs.readFileSync(path.join(folder, files[0]), 'utf8');
    check(/^varnhold-replay /m.test(text) && /^\d+ \d+ key 13 /m.test(text) && /^end \d+ /m.test(text),
          'a whole replay with the Enter that began the game');
    check(fs.readFileSync(path.join(folder, 'saved.txt'), 'utf8').length < text.length, 'the saved one ends earlier');
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
    fs.renameSync(path.join(folder, files[0]), path.join(folder, 'game.vhr'));
  });
  await withpage({ game: true, query: '?replay=game.vhr', extra: { '/game.vhr': path.join(folder, 'game.vhr') } },
                 async ({ page, errors }) => {
    await page.waitForFunction(() => /world/.test(page.lastline), { timeout: 90000 });
    const verdict = await page.evaluate(() => page.lastline);
    check(/the same world as recorded/.test(verdict), `it plays back: ${verdict}`);
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
  });
} finally {
  fs.rmSync(folder, { recursive: true, force: true });
}
