// The browser edition's figures in headless Chromium (SwiftShader): what the page downloads,
// the time from navigation to the first drawn title frame, and the title screen's presented
// frames per second. Usage: node bench/web_bench.mjs build-web/site [SECONDS]
import fs from 'node:fs';
import path from 'node:path';
import { withpage } from '../tests/web/browser.mjs';

const site = process.argv[2];
const seconds = Number(process.argv[3] || 5);
const bytes = fs.readdirSync(site).filter((f) => !f.endsWith('.zip'))
  .reduce((n, f) => n + fs.statSync(path.join(site, f)).size, 0);

await withpage({}, async ({ page }) => {
  await page.waitForFunction(() => window.Module && Module.presented >= 1, { timeout: 60000, polling: 'raf' });
  const first = await page.evaluate(() => performance.now());
  const n0 = await page.evaluate(() => Module.presented);
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const n1 = await page.evaluate(() => Module.presented);
  console.log(`download: ${(bytes / 1e6).toFixed(2)} MB (${bytes} bytes) before compression`);
  console.log(`navigation to the first drawn title frame: ${(first / 1000).toFixed(2)} s`);
  console.log(`title screen: ${((n1 - n0) / seconds).toFixed(1)} presented frames per second`);
});
