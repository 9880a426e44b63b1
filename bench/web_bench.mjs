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
// COLD=N node bench/web_bench.mjs build-web/site: N cold first visits (a fresh browser profile
//   each: empty cache, no service worker) of the game's title (?seed=1) and of a blank WebGL 2
//   page of the game's canvas size that clears it, alternately; the medians of the first frame
//   after navigation (the game's: its title, after the "Loading..." frame) and of the game's
//   phases (page.phases: downloads, compile, data, decoding, start-up).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { withpage } from '../tests/web/browser.mjs';

const site = process.argv[2];
if (process.env.COLD) {
  await cold(Number(process.env.COLD));
  process.exit(0);
}
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
// A blank page with the game's WebGL 2 context on a canvas of the game's size (800 x 400 in the
// default 800 x 600 viewport), cleared in its first animation frame.
function blankpage() {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-blank-')), 'blank.html');
  fs.writeFileSync(file, `<!doctype html><html><body style="margin:0;background:#000">
<canvas id="canvas" width="800" height="400"></canvas><script>
const gl = document.getElementById('canvas').getContext('webgl2', { alpha: false, depth: false, stencil: false,
  antialias: false, premultipliedAlpha: true, preserveDrawingBuffer: true });
requestAnimationFrame(() => {
  gl.clearColor(0, 0, 0.2, 1);
  gl.clear(gl.COLOR_BUFFER_BIT);
  performance.mark('vh-title');
});
</script></body></html>`);
  return file;
}

async function cold(n) {
  const blank = blankpage();
  const median = (v) => {
    const s = v.filter((x) => typeof x === 'number').sort((a, b) => a - b);
    return s.length ? (s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2) : NaN;
  };
  let got;
  const visit = async (game) => (await withpage({ game: true, path: game ? '' : 'blank.html', query: game ? '?seed=1' : '',
                                     extra: { '/blank.html': blank } }, async ({ page }) => {
    await page.waitForFunction(() => performance.getEntriesByName('vh-title').length, { timeout: 60000 });
    got = await page.evaluate(() => (typeof page !== 'undefined' && page.phases ? page.phases()
                                                                : { title: performance.getEntriesByName('vh-title')[0].startTime }));
  }), got);
  const games = [], blanks = [];
  for (let i = 0; i < n; i++) {
    blanks.push(await visit(false));
    games.push(await visit(true));
    console.log(`visit ${i + 1}: blank ${blanks.at(-1).title.toFixed(0)} ms, game ${games.at(-1).title.toFixed(0)} ms`);
  }
  const ms = (x) => (Number.isFinite(x) ? x.toFixed(0).padStart(6) + ' ms' : '     -');
  const rows = [['html, page and game scripts downloaded', 'js'], ['program downloaded', 'wasm'], ['data downloaded', 'data'],
                ['program compiled and instantiated', 'instantiated'], ['data in the game\'s folders', 'files'],
                ['runtime up, the game starts', 'runtime'], ['start-up over', 'started'], ['"Loading..." frame', 'first'],
                ['first title frame', 'title']];
  console.log(`medians of ${n} cold visits, ms after navigation:`);
  for (const [what, key] of rows) console.log(`  ${what.padEnd(40)} ${ms(median(games.map((g) => g[key])))}`);
  for (const kind of ['png', 'ogg', 'peek']) {
    const k = games.map((g) => g.decoded && g.decoded[kind]).filter(Boolean);
    console.log(`  decoding ${kind}: ${k.length ? median(k.map((d) => d[0])) : 0} files, ${ms(median(k.map((d) => d[1])))} (CPU in the start)`);
  }
  const g = median(games.map((x) => x.title)), b = median(blanks.map((x) => x.title));
  console.log(`first frame: game ${g.toFixed(0)} ms, blank WebGL 2 page ${b.toFixed(0)} ms, difference ${(g - b).toFixed(0)} ms`);
  fs.rmSync(path.dirname(blank), { recursive: true, force: true });
}
