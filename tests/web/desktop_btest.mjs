// The same title screen in the page and on the desktop: a few seconds of it recorded in the
// page (?record), played back in both to the same end frame (the desktop must find the same
// world), and the playfields' pixels compared (the desktop's real window under Xvfb, cropped
// to its canvas). The two renderers (SwiftShader, llvmpipe) may round a blend differently: a
// small tolerance. The page's replay names the data digest that the desktop's server computes.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { check, frames, pixels, skip, withpage } from './browser.mjs';

const site = process.argv[2];
const native = path.resolve(site || '.', '../../build');
if (!fs.existsSync(path.join(native, 'varnhold'))) skip(`no desktop game in ${native} (bash scripts/build.sh)`);
for (const tool of ['xvfb-run', 'xdotool', 'import'])
  try { execFileSync('which', [tool]); } catch { skip(`no ${tool}`); }

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-desktop-'));
const replay = path.join(work, 'title.vhr');
try {
  // the title screen of seed 5, recorded in the page
  await withpage({ game: true, query: '?record&seed=5' }, async ({ page }) => {
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: work });
    await frames(page, 150);
    await page.keyboard.press('Escape');
    const deadline = Date.now() + 15000;
    while (Date.now() < deadline && !fs.readdirSync(work).some((f) => f.endsWith('.vhr'))) await new Promise((r) => setTimeout(r, 100));
    const file = fs.readdirSync(work).find((f) => f.endsWith('.vhr'));
    check(file, 'the page hands over its replay');
    // the desktop's window as the test replays have it, its canvas 800 x 400 below the menu bar
    // (the window is no part of the world)
    fs.writeFileSync(replay, fs.readFileSync(path.join(work, file), 'utf8').replace(/^window .*$/m, 'window 100 100 800 419'));
  });
  // the page's digest of its data (its pictures decoded by stb_image) is the one the score
  // server built for the desktop computes (libpng's): the server would take the page's games
  const text = fs.readFileSync(replay, 'utf8');
  const version = execFileSync(path.join(native, 'varnhold-server'), ['--version'], { encoding: 'utf8' });
  const served = /with data ([0-9a-f]{16})/.exec(version);
  const named = /^data ([0-9a-f]{16})$/m.exec(text);
  check(/^varnhold-replay 4$/m.test(text) && served && named && named[1] === served[1],
        `the page's data digest ${named && named[1]} is the desktop server's: ${version.trim()}`);

  // the page's picture at the end of the playback, its canvas 800 x 400; both draw at one pixel
  // a playfield unit whatever the machine's load (the automatic choice gives up pixels while a
  // title falls behind)
  let web;
  await withpage({ game: true, query: '?replay=title.vhr&render-scale=1', extra: { '/title.vhr': replay } }, async ({ page, errors }) => {
    await page.setViewport({ width: 800, height: 424 });
    await page.waitForFunction(() => /world/.test(page.lastline), { timeout: 90000 });
    // the verdict's repaint: two animation frames later it is on the canvas
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    web = await pixels(page);
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
  });
  check(web.w === 800 && web.h === 400, `the page's canvas is 800 x 400: ${web.w} x ${web.h}`);

  // the desktop's, through its window under Xvfb
  const shot = path.join(work, 'desktop.rgba');
  const script = `
    "${native}/varnhold" --render-scale 1 --replay "${replay}" > "${work}/out.txt" 2>&1 & pid=$!
    win=$(timeout 60 xdotool search --sync --onlyvisible --pid $pid --name '^Varnhold' | head -1)
    for i in $(seq 600); do grep -q 'world' "${work}/out.txt" && break; sleep 0.1; done
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell $win)"
    import -window $win -crop 800x400+0+$((HEIGHT - 400)) -depth 8 "rgba:${shot}"
    cat "${work}/out.txt"; kill $pid`;
  const said = execFileSync('xvfb-run', ['-a', '-s', '-screen 0 1280x1024x24', 'bash', '-c', script],
                            { env: { ...process.env, ALSOFT_DRIVERS: 'null' }, encoding: 'utf8', timeout: 100000 });
  check(/the same world as recorded/.test(said), `the desktop plays it to the same world: ${said.trim()}`);
  const desk = fs.readFileSync(shot);
  check(desk.length === 800 * 400 * 4, `the desktop's canvas is 800 x 400: ${desk.length} bytes`);
  let off = 0, sum = 0;
  for (let i = 0; i < desk.length; i += 4) {
    const d = Math.max(...[0, 1, 2].map((c) => Math.abs(desk[i + c] - web.rgba[i + c])));
    sum += d;
    if (d > 24) off++;
  }
  const share = off / (800 * 400);
  console.log(`pixels off by more than 24: ${(100 * share).toFixed(2)}%, mean difference ${(sum / (800 * 400)).toFixed(2)}`);
  check(share < 0.005 && sum / (800 * 400) < 1, 'the page draws the desktop\'s title screen');
} finally {
  fs.rmSync(work, { recursive: true, force: true });
}
