// Offline and installable: the manifest names icons of 192 and 512 pixels and a maskable one,
// each of its size; once the game has run, the page loads again without a connection (its
// service worker) and plays. A worker of another build takes over with its own cache and drops
// the old one once a page of its build runs.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { check, frames, withpage } from './browser.mjs';

const site = process.argv[2];
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-offline-'));
const worker = path.join(folder, 'sw.js');
const built = fs.existsSync(path.join(site || '', 'sw.js')) ? fs.readFileSync(path.join(site, 'sw.js'), 'utf8') : '';
fs.writeFileSync(worker, built);
const caches = (page) => page.evaluate(() => caches.keys());

try {
  await withpage({ game: true, query: '?dump', extra: { '/sw.js': worker } }, async ({ page, errors }) => {
    await frames(page, 2);
    const icons = await page.evaluate(async () => {
      const manifest = await (await fetch(document.querySelector('link[rel=manifest]').href)).json();
      return Promise.all(manifest.icons.map((i) => new Promise((done) => {
        const img = new Image();
        img.onload = () => done(`${i.sizes} ${i.purpose || 'any'} ${img.naturalWidth}x${img.naturalHeight}`);
        img.onerror = () => done(`${i.sizes} missing`);
        img.src = i.src;
      })));
    });
    for (const want of ['192x192 any 192x192', '512x512 any 512x512', '512x512 maskable 512x512'])
      check(icons.includes(want), `the manifest's icon ${want}: ${icons.join('; ')}`);
    await page.waitForFunction(() => navigator.serviceWorker.controller, { timeout: 30000 });
    await page.setOfflineMode(true);
    await page.reload();
    await frames(page, 2);
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => page.world().level.prg === 1, { timeout: 10000 });

    const version = /const version = '(\w+)'/.exec(built)[1];
    check((await caches(page)).join() === `varnhold-${version}`, `one cache, named for the build: ${await caches(page)}`);
    fs.writeFileSync(worker, built.replace(version, 'nextbuild'));
    await page.setOfflineMode(false);
    await page.evaluate(() => navigator.serviceWorker.ready.then((r) => r.update()));
    await page.waitForFunction(async () => {
      const r = await navigator.serviceWorker.getRegistration();
      return (await caches.keys()).includes('varnhold-nextbuild') && !r.installing && !r.waiting && r.active.state === 'activated';
    }, { timeout: 30000 });
    await page.reload();
    await frames(page, 2);
    await page.waitForFunction(() => caches.keys().then((k) => k.join() === 'varnhold-nextbuild'), { timeout: 30000 });
    check(errors.length === 0, `no console error: ${errors.join('; ')}`);
  });
} finally {
  fs.rmSync(folder, { recursive: true, force: true });
}
