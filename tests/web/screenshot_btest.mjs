// F2 gives the player a PNG of the playfield as a download.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { check, frames, withpage } from './browser.mjs';

await withpage({ game: true }, async ({ page, errors }) => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-downloads-'));
  try {
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
    await frames(page, 2);
    await page.keyboard.press('F2');
    const deadline = Date.now() + 15000;
    let files = [];
    while (Date.now() < deadline && !(files = fs.readdirSync(folder).filter((f) => f.endsWith('.png'))).length)
      await new Promise((r) => setTimeout(r, 100));
    check(files.length === 1, `one picture downloaded: ${files.join(', ')}`);
    const png = fs.readFileSync(path.join(folder, files[0]));
    check(png.subarray(1, 4).toString() === 'PNG', 'it is a PNG');
    check(png.readUInt32BE(16) === 800 && png.readUInt32BE(20) === 400, `of the playfield: ${png.readUInt32BE(16)} x ${png.readUInt32BE(20)}`);
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});
