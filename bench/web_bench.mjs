// The browser edition's figures in headless Chromium (SwiftShader): what the site holds and
// what a server that compresses would send of it, what the page transferred until its first
// frame (the service worker then fetches the rest of the site for offline play), the time from
// navigation to the first drawn title frame, and the presented frames per second of the title
// screen, of the crowded fight (the desktop's --bench-crowd) and of a recorded game's first
// level played back (tests/server/busy/long.vhr, from its fourth second on), at each page size,
// beside the floor: a blank WebGL 2 page in the canvas's place that only clears (bench/blank.html).
// Each scene's median over the rounds closes the run, with its share of the blank page's rate.
// Usage: node bench/web_bench.mjs build-web/site [SECONDS] [WIDTHxHEIGHT...]
//   RENDER="device auto" measures each page size with each ?render-scale= in turn (default:
//   the game's own choice); ROUNDS=N repeats the whole list, interleaved; SCENES="title fight"
//   measures only those (default: blank title fight game).
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { withpage } from '../tests/web/browser.mjs';

const site = process.argv[2];
const seconds = Number(process.argv[3] || 5);
const sizes = process.argv.slice(4).length ? process.argv.slice(4) : ['1000x600'];
const renders = (process.env.RENDER || 'auto').split(/\s+/).filter(Boolean);
const rounds = Number(process.env.ROUNDS || 1);
const scenes = (process.env.SCENES || 'blank title fight game').split(/\s+/).filter(Boolean);
const game = new URL('../tests/server/busy/long.vhr', import.meta.url).pathname;
const blank = new URL('blank.html', import.meta.url).pathname;
const results = {};                       // 'scene size render' -> frames per second of each round
const files = fs.readdirSync(site).filter((f) => !f.endsWith('.zip')).map((f) => fs.readFileSync(path.join(site, f)));
const bytes = files.reduce((n, b) => n + b.length, 0);
const gzipped = files.reduce((n, b) => n + zlib.gzipSync(b, { level: 9 }).length, 0);
console.log(`site: ${(bytes / 1e6).toFixed(2)} MB (${bytes} bytes), gzip -9: ${(gzipped / 1e6).toFixed(2)} MB`);

async function measure(size, render, scene) {
  const [width, height] = size.split('x').map(Number);
  // a replay takes its seed from the file
  const query = scene === 'blank'
    ? '' : `?render-scale=${render}${{ title: '&seed=1', fight: '&seed=1&crowd', game: '&replay=/game.vhr' }[scene]}`;
  const extra = scene === 'blank' ? { '/': blank } : { '/game.vhr': game };
  await withpage({ game: true, query, extra }, async ({ page }) => {
    await page.setViewport({ width, height });
    await page.waitForFunction(() => window.Module && Module.presented >= 1, { timeout: 60000, polling: 'raf' });
    const first = await page.evaluate(() => performance.now());
    const moved = await page.evaluate(() => [...performance.getEntriesByType('navigation'), ...performance.getEntriesByType('resource')]
      .reduce((n, e) => n + e.transferSize, 0));
    // warm-up seconds (in a fight the automatic detail settles in them), then the measured ones
    await new Promise((r) => setTimeout(r, 3000));
    const n0 = await page.evaluate(() => Module.presented);
    const t0 = Date.now();
    await new Promise((r) => setTimeout(r, seconds * 1000));
    const n1 = await page.evaluate(() => Module.presented);
    const dt = (Date.now() - t0) / 1000;
    const canvas = await page.evaluate(() => {
      const c = document.getElementById('canvas');
      return `${c.width}x${c.height}`;
    });
    const fps = ((n1 - n0) / dt).toFixed(1);
    (results[`${scene} ${size} ${render}`] ||= []).push(Number(fps));
    const extra = scene === 'title'
      ? `, first frame after ${(first / 1000).toFixed(2)} s, ${(moved / 1e6).toFixed(2)} MB transferred before it (uncompressed server)`
      : '';
    console.log(`${scene.padEnd(5)} page ${size.padEnd(9)} canvas ${canvas.padEnd(9)} render ${render.padEnd(6)} ` +
                `${fps.padStart(5)} presented frames per second${extra}`);
  });
}

for (let r = 0; r < rounds; r++)
  for (const size of sizes)
    for (const render of renders)
      for (const scene of scenes) await measure(size, render, scene);

const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];
if (rounds > 1 || scenes.includes('blank'))
  for (const [key, fps] of Object.entries(results)) {
    const [scene, size, render] = key.split(' ');
    const floor = results[`blank ${size} ${render}`] || results[`blank ${size} auto`];
    const share = floor && scene !== 'blank' ? `, ${(median(fps) / median(floor)).toFixed(2)} of the blank page's` : '';
    console.log(`median ${scene.padEnd(5)} page ${size.padEnd(9)} render ${render.padEnd(6)} ` +
                `${median(fps).toFixed(1).padStart(5)} frames per second over ${fps.length}${share}`);
  }
