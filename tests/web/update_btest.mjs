// A new build while a player has the old one open: the site is switched from build A to build
// B under a page of A that the service worker keeps, and the player reloads. Every load uses
// one build's files only (its index, page script, game script and data, told apart by their
// bytes), the game runs each time, and the worker switches to B whole, dropping A's cache once B
// runs.
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { check, frames, gamefile, skip, withpage } from './browser.mjs';

const site = process.argv[2];
if (!gamefile(site, 'js')) skip(`no browser build of the game in ${site}`);
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-update-'));
const sha = (bytes) => crypto.createHash('sha1').update(bytes).digest('hex');
try {
  // B: A's files under another build's name, each of the four with other bytes
  const a = path.join(folder, 'a'), b = path.join(folder, 'b'), served = path.join(folder, 'site');
  fs.cpSync(site, a, { recursive: true });
  fs.cpSync(site, b, { recursive: true });
  const build = /^varnhold-(\w+)\.js$/.exec(path.basename(gamefile(a, 'js')))[1], other = build.split('').reverse().join('') + 'b';
  const sw = fs.readFileSync(path.join(a, 'sw.js'), 'utf8'), version = /const version = '(\w+)'/.exec(sw)[1];
  for (const name of fs.readdirSync(b).filter((n) => n.includes(build)))
    fs.renameSync(path.join(b, name), path.join(b, name.replace(build, other)));
  fs.appendFileSync(path.join(b, `varnhold-${other}.js`), '\n// build B\n');
  fs.appendFileSync(path.join(b, `page-${other}.js`), '\n// build B\n');
  fs.appendFileSync(path.join(b, `varnhold-${other}.data`), Buffer.alloc(16));
  for (const name of ['index.html', 'sw.js'])
    fs.writeFileSync(path.join(b, name), fs.readFileSync(path.join(b, name), 'utf8').replaceAll(build, other).replace(version, 'nextbuild'));
  const owner = new Map();                                    // a build file's bytes: A or B
  for (const [letter, dir] of [['A', a], ['B', b]])
    for (const name of fs.readdirSync(dir).filter((n) => /^(index\.html|page-.*|varnhold-.*\.(js|data))$/.test(n)))
      owner.set(sha(fs.readFileSync(path.join(dir, name))), letter);
  fs.symlinkSync(a, served);

  await withpage({ site: served, game: true }, async ({ page, errors }) => {
    let loads = [];
    page.on('response', (r) => {
      if (/\/(\?.*)?$|\/(page|varnhold)-\w+\.(js|data)$/.test(new URL(r.url()).pathname))
        loads.push(r.buffer().then((body) => owner.get(sha(body)) || `unknown ${r.url()}`, () => 'no body'));
    });
    // Loads the page again, and says which build each of its four files came from.
    const load = async () => {
      loads = [];
      await page.reload();
      await frames(page, 2);
      return (await Promise.all(loads)).sort().join('');
    };
    await frames(page, 2);
    await page.waitForFunction(() => navigator.serviceWorker.controller, { timeout: 30000 });
    fs.unlinkSync(served);
    fs.symlinkSync(b, served);
    const seen = [await load()];                              // the worker of B installs meanwhile
    await page.waitForFunction(async () => {                  // B's worker is the active one
      const r = await navigator.serviceWorker.getRegistration();
      return (await caches.keys()).includes('varnhold-nextbuild') && !r.installing && !r.waiting && r.active.state === 'activated';
    }, { timeout: 30000 });
    seen.push(await load(), await load());
    for (const files of seen) check(files === 'AAAA' || files === 'BBBB', `one build's files a load: ${seen.join(' ')}`);
    check(seen.at(-1) === 'BBBB', `B runs once its worker has taken over: ${seen.join(' ')}`);
    await page.waitForFunction(() => caches.keys().then((k) => k.join() === 'varnhold-nextbuild'), { timeout: 30000 });
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
  });

  // A first visit that meets the update while it loads: A's index and page script came, then
  // the site became B and A's game files are gone. The page starts B on its own, once.
  const pagea = `page-${build}.js`;
  await withpage({ site: b, game: true, path: 'old.html', query: '?seed=3',
                   extra: { '/old.html': path.join(a, 'index.html'), [`/${pagea}`]: path.join(a, pagea) } }, async ({ page }) => {
    const games = [];
    page.on('response', (r) => {
      if (r.ok() && /\/varnhold-\w+\.js$/.test(r.url())) games.push(r.buffer().then((body) => owner.get(sha(body)), () => 'no body'));
    });
    await page.waitForFunction(() => location.pathname === '/' && window.Module && Module.presented >= 2, { timeout: 60000 });
    check(await page.evaluate(() => location.search === '?seed=3' && performance.getEntriesByType('navigation').length === 1),
          'the new build\'s page, with the same address');
    check((await Promise.all(games)).join('') === 'B', `B's game runs: ${(await Promise.all(games)).join('')}`);
  });
} finally {
  fs.rmSync(folder, { recursive: true, force: true });
}
