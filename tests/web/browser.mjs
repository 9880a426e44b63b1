// tests/web/browser.mjs — what the browser tests share: the site of scripts/web.sh served on
// 127.0.0.1, Debian's Chromium headless (WebGL 2 on SwiftShader, no network, a fresh profile)
// driven by puppeteer-core, and the page's errors collected. A test without its tools exits
// with 77 and the reason (CTest counts it as skipped).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { serve } from '../../web/serve.mjs';

export function skip(why) {
  console.log(`skipped: ${why}`);
  process.exit(77);
}

// The path of the site's game file of kind `ext` (js, wasm, data), named for its build
// (varnhold-BUILD.js); '' when there is none.
export function gamefile(site, ext) {
  const name = site && fs.existsSync(site) && fs.readdirSync(site).find((n) => new RegExp(`^varnhold-\\w+\\.${ext}$`).test(n));
  return name ? path.join(site, name) : '';
}

export function check(ok, what) {
  if (!ok) throw new Error(`failed: ${what}`);
}

// Opens the site's page; `before` runs in the page before any of its scripts; `game`: the test
// needs the game itself in the site, not only the page; `query` is added to the address;
// `extra` serves more files (see serve); `path` is the page's address in the site (its index).
export async function open(site, { before, game, query = '', extra = {}, path: at = '' } = {}) {
  if (!site || !(game ? gamefile(site, 'js') : fs.existsSync(path.join(site, 'index.html'))))
    skip(`no browser build${game ? ' of the game' : ''} in ${site} (bash scripts/web.sh makes it)`);
  const chromium = '/usr/bin/chromium';
  if (!fs.existsSync(chromium)) skip('no Chromium (bash scripts/install-deps.sh --web installs it)');
  let puppeteer;
  try {
    puppeteer = (await import('puppeteer-core')).default;
  } catch {
    skip('no puppeteer-core (bash scripts/web.sh runs npm ci in tests/web)');
  }
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'varnhold-chromium-'));
  const server = await serve(site, 0, extra);
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--no-first-run'],
  });
  const close = async () => {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  try {
    const page = await browser.newPage();
    const errors = [];
    const log = [];   // everything the page and the game said, shown when a test fails
    page.on('console', (m) => {
      log.push(`${m.type()}: ${m.text()}`);
      if (m.type() === 'error') errors.push(m.text());
    });
    page.on('pageerror', (e) => {
      log.push(`pageerror: ${e}`);
      errors.push(String(e));
    });
    if (before) await page.evaluateOnNewDocument(before);
    await page.goto(`http://127.0.0.1:${server.address().port}/${at}${query}`);
    return { page, errors, log, close };
  } catch (e) {
    await close();
    throw e;
  }
}

// Runs a test body with an open page (of options.site, else the folder named on the command
// line) and closes the browser whatever happens.
export async function withpage(options, body) {
  const t = await open(options.site || process.argv[2], options);
  try {
    await body(t);
  } catch (e) {
    console.error(t.log.length
      ? `---- the page's console, the game's standard error with it (last 60 lines):\n${t.log.slice(-60).join('\n')}\n----`
      : "---- the page's console is empty");
    throw e;
  } finally {
    await t.close();
  }
}

// Waits until the game has presented `n` more frames.
export async function frames(page, n) {
  const now = await page.evaluate(() => (window.Module && Module.presented) || 0);
  await page.waitForFunction((k) => window.Module && Module.presented >= k, { timeout: 60000 }, now + n);
}

// Whether the Options menu shows its entry containing `text` ticked (opened with Alt+O, closed
// with Escape).
export async function ticked(page, text) {
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyO');
  await page.keyboard.up('Alt');
  const row = (await page.$$eval('#bar .entry', (rows) => rows.map((r) => r.textContent))).find((t) => t.includes(text));
  await page.keyboard.press('Escape');
  return row.startsWith('\u2713');
}

// The canvas's pixels: width, height and RGBA bytes, read back through a 2D copy.
export async function pixels(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    const copy = document.createElement('canvas');
    copy.width = c.width;
    copy.height = c.height;
    const g = copy.getContext('2d');
    g.drawImage(c, 0, 0);
    return { w: c.width, h: c.height, rgba: Array.from(g.getImageData(0, 0, c.width, c.height).data) };
  });
}

// Run in the page before its scripts (open's `before`): the settings file holds a high-score
// table that any score beats (once a tab: a reload finds the game's own).
export const lowtable = () => {
  if (sessionStorage.getItem('seeded')) return;    // once: the reload must find the game's own
  sessionStorage.setItem('seeded', '1');
  const bytes = [];
  const varint = (n) => {
    let v = n >>> 0;
    do {
      bytes.push((v > 127 ? 128 : 0) | (v & 127));
      v >>>= 7;
    } while (v);
  };
  const text = (s) => { varint(s.length); for (const c of s) bytes.push(c.charCodeAt(0)); };
  [0, 0, 800, 400].forEach(varint);                // the window
  bytes.push(0, 0, 0, 0, 101, 5);                  // options, language, volume
  text('Your Name'); varint(1); varint(0); varint(-1);
  for (let i = 0; i < 10; i++) { text('Nobody'); varint(1); varint(-100000); }
  localStorage.setItem('varnhold:/home/web_user/.config/varnhold/varnhold.cfg',
                       JSON.stringify({ t: Date.now(), b: btoa(String.fromCharCode(...bytes)) }));
};
