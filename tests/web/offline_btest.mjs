// Offline and installable: the manifest names icons of 192 and 512 pixels and a maskable one,
// each of its size; once the game has run, the page loads again without a connection (its
// service worker) and plays.
import { check, frames, withpage } from './browser.mjs';

await withpage({ game: true, query: '?dump' }, async ({ page, errors }) => {
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
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
