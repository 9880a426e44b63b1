// A browser without WebGL 2 gets the page's words, not a blank page, and no game is loaded.
import { check, withpage } from './browser.mjs';

const nowebgl2 = () => {
  const get = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
    return kind === 'webgl2' ? null : get.call(this, kind, ...rest);
  };
};

await withpage({ before: nowebgl2 }, async ({ page, errors }) => {
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('WebGL 2'),
                             { timeout: 20000 });
  const shown = await page.$eval('#status', (e) => !e.hidden && e.getBoundingClientRect().height > 0);
  check(shown, 'the message is visible');
  const game = await page.evaluate(() => [...document.scripts].some((s) => /\/varnhold-\w+\.js$/.test(s.src)));
  check(!game, 'no game module is loaded');
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
