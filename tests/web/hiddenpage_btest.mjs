// A player who looks at another tab for 30 s in the middle of a fight: Chromium reports the page
// hidden and runs none of its animation frames, the game is suspended (the fight paused), and
// the score server of build/ takes the recorded game's row. The same game with its clock slowed
// 5 % over a minute of play around the hidden time is refused as played slower than real time.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { check, lowtable, skip, withpage } from './browser.mjs';

const site = process.argv[2];
const program = path.resolve(site || '.', '..', '..', 'build', 'varnhold-server');
if (!fs.existsSync(program)) skip(`no score server at ${program} (bash scripts/build.sh makes it)`);
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-hidden-'));
const port = await new Promise((done) => {
  const s = net.createServer().listen(0, '127.0.0.1', () => {
    const p = s.address().port;
    s.close(() => done(p));
  });
});
const server = spawn(program, ['--listen', `127.0.0.1:${port}`, '--db', path.join(folder, 'scores.db')],
                     { cwd: path.dirname(program), stdio: ['ignore', 'pipe', 'pipe'] });
let said = '';
for (const s of [server.stdout, server.stderr]) s.on('data', (d) => { said += d; });
const listening = new Promise((done, fail) => {
  server.on('exit', (code) => fail(new Error(`the score server ended (${code}): ${said}`)));
  server.stdout.on('data', () => { if (/listening/.test(said)) done(); });
});
listening.catch(() => {});
const send = async (text) => {
  await listening;
  const r = await fetch(`http://127.0.0.1:${port}/api/v1/replays`, { method: 'POST', body: text });
  return { status: r.status, body: await r.text() };
};

// A copy of the replay played with a frame timer 5 % slow over `length` frames from `from` on:
// each of those frames came 5 % later by the clock.
function slowed(text, from, length) {
  return text.replace(/^(\d+) (\d+) /gm, (line, frame, clock) => {
    const late = 0.05 * (Math.min(Math.max(Number(frame), from), from + length) - from) * 1000 / 60;
    return `${frame} ${Number(clock) + Math.round(late)} `;
  });
}

try {
  let recorded = '';
  await withpage({ game: true, query: '?record&dump', before: lowtable }, async ({ page, errors }) => {
    // the first pictures cost a software renderer seconds, which the page does not catch up:
    // the game begins once 30 animation frames came in a row at most 100 ms apart
    await page.waitForFunction(() => {
      const now = performance.now();
      window.steady = now - (window.lastframe || 0) <= 100 ? (window.steady || 0) + 1 : 0;
      window.lastframe = now;
      return window.steady >= 30;
    }, { polling: 'raf', timeout: 60000 });
    const world = () => page.evaluate(() => {
      const w = page.world();
      return { ticks: w.timer.ticks, prg: w.level.prg, pause: w.level.pause, presented: Module.presented,
               state: document.visibilityState };
    });
    const until = (test, timeout = 120000, ...args) => page.waitForFunction(test, { polling: 100, timeout }, ...args);
    // `n` frames of play with the pointer moving over the playfield (an event every 20 frames)
    const play = async (n) => {
      const start = (await world()).ticks;
      for (let k = 1; k * 20 <= n; k++) {
        await page.mouse.move(200 + (k * 37) % 400, 100 + (k * 23) % 150);
        await until((t) => page.world().timer.ticks >= t, 60000, start + k * 20);
      }
    };
    await page.keyboard.press('Enter');
    await page.mouse.click(400, 200, { button: 'right' });   // no waiting for "Get Ready"
    await until(() => page.world().level.prg === 0);
    await play(1800);

    // another tab in front for 30 s
    const other = await page.browser().newPage();
    await other.bringToFront();
    await until(() => document.visibilityState === 'hidden');
    const away = await world();
    check(away.pause === 1, 'a hidden page pauses the fight');
    await new Promise((r) => setTimeout(r, 30000));
    const still = await world();
    check(still.state === 'hidden' && still.ticks === away.ticks && still.presented === away.presented,
          `no frame runs while the page is hidden: ${JSON.stringify([away, still])}`);
    await page.bringToFront();
    await until(() => document.visibilityState === 'visible');
    await other.close();
    await page.keyboard.press('KeyP');                       // the fight goes on
    await until(() => page.world().level.pause === 0);
    await play(1800);

    // F5 held up to the name entry; Enter keeps the row, and the replay is written with it
    await page.keyboard.down('F5');
    await until(() => page.world().level.prg === 3, 240000);
    await page.keyboard.up('F5');
    await page.keyboard.press('Enter');
    await until(() => page.world().level.prg !== 3);
    recorded = await page.evaluate(() => {
      Module._vh_signal(12);                 // SIGUSR2: the whole game so far, written now
      return FS.readFile(page.recording, { encoding: 'utf8' });
    });
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
  });
  fs.writeFileSync(path.join(folder, 'hidden.vhr'), recorded);
  const suspend = /^(\d+) (\d+) suspend$/m.exec(recorded), resume = /^(\d+) (\d+) resume$/m.exec(recorded);
  check(suspend && resume && resume[2] - suspend[2] >= 30000,
        `the resume carries the time the page was hidden: ${suspend && suspend[0]}, ${resume && resume[0]}`);

  const from = Number(/^(\d+) \d+ key 13 /m.exec(recorded)[1]);
  const slow = await send(slowed(recorded, from, 3600));
  check(slow.status === 422 && /slower than real time/.test(slow.body), `the slowed copy is refused: ${slow.status} ${slow.body}`);
  const honest = await send(recorded);
  check(honest.status === 201 && /"stored": ?true/.test(honest.body),
        `the game with the hidden page is taken: ${honest.status} ${honest.body}`);
} catch (e) {
  console.error(`---- the score server said:\n${said}----`);
  throw e;
} finally {
  server.kill();
  // KEEP_HIDDEN_REPLAY=FILE keeps the recorded game (for varnhold-server --pace)
  const kept = path.join(folder, 'hidden.vhr');
  if (process.env.KEEP_HIDDEN_REPLAY && fs.existsSync(kept)) fs.copyFileSync(kept, process.env.KEEP_HIDDEN_REPLAY);
  fs.rmSync(folder, { recursive: true, force: true });
}
