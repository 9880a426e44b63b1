// A game to a high-score row in the page: the name typed with keys (a Latin-1 letter among
// them) and with a touch screen's own keyboard (its text field), the row still there after a
// reload. The table starts with rows any score beats (a settings file put where the page keeps
// it); F5 held plays the game to its end quickly.
import { check, frames, lowtable, withpage } from './browser.mjs';

const world = (page) => page.evaluate(() => page.world());

await withpage({ game: true, query: '?seed=31&dump', before: lowtable }, async ({ page, errors }) => {
  await frames(page, 2);
  check((await world(page)).level.hiscore[9].score === -100000, 'the page took the settings file');
  await page.keyboard.press('Enter');
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
  await page.touchscreen.tap(400, 300);             // a finger: the page offers its keyboard later
  await page.keyboard.down('F5');
  await page.waitForFunction(() => page.world().level.prg === 3, { timeout: 120000, polling: 200 });
  await page.keyboard.up('F5');
  check(await page.evaluate(() => document.activeElement.id === 'type'), 'the name entry focuses the text field');
  for (let i = 0; i < 9; i++) await page.keyboard.press('Delete');   // "Your Name" goes, the cursor at its start
  await page.keyboard.type('Ab');
  await cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', key: 'Ä', text: 'Ä', code: 'Quote', windowsVirtualKeyCode: 222 });
  await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', key: 'Ä', code: 'Quote', windowsVirtualKeyCode: 222 });
  await page.keyboard.sendCharacter('öx');          // the device's keyboard: text, no key codes
  await page.keyboard.sendCharacter('\u20ac');      // not Latin-1: the font has no such letter
  await page.evaluate(() => {                       // its Backspace: one character of the field gone
    const f = document.getElementById('type');
    f.value = f.value.slice(0, -1);
    f.dispatchEvent(new InputEvent('input', { inputType: 'deleteContentBackward' }));
  });
  await frames(page, 2);
  const typed = await world(page);
  check(typed.level.name === 'AbÄö', `the name as typed: "${typed.level.name}"`);
  await page.keyboard.press('Enter');
  await frames(page, 2);
  const entered = await world(page);
  check(entered.level.prg === 10 && entered.level.hiscore[0].name === 'AbÄö',
        `the row is made: prg ${entered.level.prg}, "${entered.level.hiscore[0].name}"`);
  check(await page.evaluate(() => document.activeElement.id !== 'type'), 'the field lets go after the entry');
  await new Promise((r) => setTimeout(r, 2500));    // the page writes the settings back
  await page.reload();
  await frames(page, 2);
  const again = await world(page);
  check(again.level.hiscore[0].name === 'AbÄö' && again.level.hiscore[0].score === entered.level.hiscore[0].score,
        `the row survives a reload: "${again.level.hiscore[0].name}" ${again.level.hiscore[0].score}`);
  check(errors.length === 0, `no console error: ${errors.join('; ')}`);
});
