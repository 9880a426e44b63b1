// The daily challenge in the browser, as a player goes through it: Game > "Send scores" and
// "Daily challenge", a few shots, Game > "Show hiscore"; the outbox sends the game to the score
// server of build/ (a private one on 127.0.0.1), which plays it and puts it into today's table:
// the game says the day's rank over the playfield (and on its standard error), the API lists
// the row and the server's page shows it under today's heading.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { check, frames, lowtable, skip, withpage } from './browser.mjs';

const site = process.argv[2];
const program = path.resolve(site || '.', '..', '..', 'build', 'varnhold-server');
if (!fs.existsSync(program)) skip(`no score server at ${program} (bash scripts/build.sh makes it)`);
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-daily-'));
const port = await new Promise((done) => {
  const s = net.createServer().listen(0, '127.0.0.1', () => {
    const p = s.address().port;
    s.close(() => done(p));
  });
});
const server = spawn(program, ['--listen', `127.0.0.1:${port}`, '--db', path.join(folder, 'scores.db'),
                               '--allow-origin', '*', '--web', 'https://play.example/'],
                     { cwd: path.dirname(program), stdio: ['ignore', 'pipe', 'pipe'] });
let said = '';
for (const s of [server.stdout, server.stderr]) s.on('data', (d) => { said += d; });
const listening = new Promise((done, fail) => {
  server.on('exit', (code) => fail(new Error(`the score server ended (${code}): ${said}`)));
  server.stdout.on('data', () => { if (/listening/.test(said)) done(); });
});
listening.catch(() => {});
const get = async (where) => (await fetch(`http://127.0.0.1:${port}${where}`)).text();

// The Game menu's entry whose text has `text`, chosen with the pointer where the open menu shows
// it (the bar draws its entries anew as the game ticks them, so no element is held on to).
async function choose(page, text) {
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyG');
  await page.keyboard.up('Alt');
  const found = await page.waitForFunction((t) => {
    const e = [...document.querySelectorAll('#bar .entry')].find((n) => n.textContent.includes(t));
    if (!e) return false;
    const r = e.getBoundingClientRect();
    return r.width > 0 && { x: r.x + r.width / 2, y: r.y + r.height / 2 };
  }, { polling: 50, timeout: 10000 }, text).catch(() => null);
  if (!found) throw new Error(`failed: no entry "${text}" in the Game menu`);
  const { x, y } = await found.jsonValue();
  await page.mouse.click(x, y);
}

const months = ['January', 'February', 'March', 'April', 'May', 'June', 'July', 'August', 'September', 'October',
                'November', 'December'];
try {
  await listening;
  await withpage({ game: true, query: `?dump&scores=http://127.0.0.1:${port}/`, before: lowtable },
                 async ({ page, errors, log }) => {
    await frames(page, 2);
    await choose(page, 'Send scores');
    await choose(page, 'Daily challenge');
    // the day is the UTC date when the game began
    const day = new Date().toISOString().slice(0, 10);
    const until = (test, timeout, ...args) => page.waitForFunction(test, { polling: 100, timeout }, ...args);
    await page.mouse.click(400, 200, { button: 'right' });   // no waiting for "Get Ready"
    await until(() => page.world().level.prg === 0, 60000);
    for (const [x, y] of [[300, 150], [500, 120], [200, 100]]) {
      await page.mouse.click(x, y);
      await frames(page, 20);
    }
    await choose(page, 'Show hiscore');                   // the daily game ends here
    const rank = /Daily challenge, (\d+) (\w+): number 1 of 1/;
    // the outbox sends it at once; the server plays it and answers
    const deadline = Date.now() + 90000;
    while (Date.now() < deadline && !log.some((l) => rank.test(l))) await new Promise((r) => setTimeout(r, 200));
    const line = log.find((l) => rank.test(l));
    check(line, `the game says the day's rank: ${log.filter((l) => /score server|Daily/.test(l)).join(' | ')}`);
    const [, date, month] = rank.exec(line);
    check(`${date} ${month}` === `${Number(day.slice(8))} ${months[Number(day.slice(5, 7)) - 1]}`,
          `the line names today: ${line}`);
    const table = JSON.parse(await get(`/api/v1/daily/${day}`));
    check(table.total === 1 && table.scores.length === 1 && table.scores[0].name === 'Your Name' &&
          table.scores[0].controls === 'standard' && table.scores[0].rank === 1,
          `today's table holds the game: ${JSON.stringify(table)}`);
    const html = await get('/');
    const heading = html.indexOf(`Daily challenge, ${date} ${month} ${day.slice(0, 4)}`);
    const row = html.indexOf(`<td>Your Name</td><td class="n">${table.scores[0].score}</td>`);
    check(heading >= 0 && row > heading && row < html.indexOf('All time'),
          `the server's page shows the row under today's heading`);
    check(html.includes(`https://play.example/?replay=%2Fapi%2Fv1%2Freplays%2F`), 'with a link to watch it');
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
  });
} catch (e) {
  console.error(`---- the score server said:\n${said}----`);
  throw e;
} finally {
  server.kill();
  fs.rmSync(folder, { recursive: true, force: true });
}
