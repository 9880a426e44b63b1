// The browser edition's figures in headless Chromium (SwiftShader): what the site holds and
// what a server that compresses would send of it, what the page transferred until its first
// frame (the service worker then fetches the rest of the site for offline play), the time from
// navigation to the first drawn title frame, and the title screen's presented frames per
// second. Usage: node bench/web_bench.mjs build-web/site [SECONDS]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { withpage } from '../tests/web/browser.mjs';

const site = process.argv[2];
const seconds = Number(process.argv[3] || 5);
const files = fs.readdirSync(site).filter((f) => !f.endsWith('.zip')).map((f) => fs.readFileSync(path.join(site, f)));
const bytes = files.reduce((n, b) => n + b.length, 0);
const gzipped = files.reduce((n, b) => n + zlib.gzipSync(b, { level: 9 }).length, 0);

await withpage({}, async ({ page }) => {
  await page.waitForFunction(() => window.Module && Module.presented >= 1, { timeout: 60000, polling: 'raf' });
  const first = await page.evaluate(() => performance.now());
  const moved = await page.evaluate(() => [...performance.getEntriesByType('navigation'), ...performance.getEntriesByType('resource')]
    .reduce((n, e) => n + e.transferSize, 0));
  const n0 = await page.evaluate(() => Module.presented);
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const n1 = await page.evaluate(() => Module.presented);
  console.log(`site: ${(bytes / 1e6).toFixed(2)} MB (${bytes} bytes), gzip -9: ${(gzipped / 1e6).toFixed(2)} MB`);
  console.log(`transferred before the first frame: ${(moved / 1e6).toFixed(2)} MB (uncompressed server)`);
  console.log(`navigation to the first drawn title frame: ${(first / 1000).toFixed(2)} s`);
  console.log(`title screen: ${((n1 - n0) / seconds).toFixed(1)} presented frames per second`);
});
