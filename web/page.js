// web/page.js — the page around the game: it checks for WebGL 2, loads the game's module and
// shows the game's messages as dialogs. The game itself draws into #canvas.
'use strict';

performance.mark('vh-page');
const params = new URLSearchParams(location.search);

const page = {
  // the score server: ?scores=URL (relative to the page), else the site's own (scripts/web.sh
  // --scores URL); none: its menu entries are greyed out
  scores: (() => {
    const built = document.querySelector('meta[name="varnhold-scores"]').content;
    const url = params.get('scores') || (/^@/.test(built) ? '' : built);
    return url ? new URL(url, location.href).href : '';
  })(),
  // the build whose files this page loads: its own, whatever the site holds by now
  build: document.querySelector('meta[name="varnhold-build"]').content,
  status: document.getElementById('status'),
  statustext: document.getElementById('statustext'),
  over: false,                            // the game has ended
  settings: '/home/web_user/.config',
  // what the browser keeps: the settings, and the game's data folder (the score outbox)
  kept: ['/home/web_user/.config', '/home/web_user/.local/share'],
  saving: false,
  save() {
    if (page.saving || !page.stored) return;
    page.saving = true;
    FS.syncfs(false, (err) => {
      page.saving = false;
      if (err) {
        console.warn('The settings could not be saved: ' + err);
        page.stored = false;              // a full disk: the rest of the visit keeps them in memory
        page.unkept();
      }
    });
  },
  // Whether the browser keeps files for this page: a frame on another site whose browser blocks
  // third-party storage, some private windows and a full disk refuse it (reading localStorage or
  // indexedDB throws, or writing fails). Then the game keeps its files in memory, and across a
  // reload of the tab in the window's name, for this visit only.
  stored: (() => {
    try {
      localStorage.setItem('varnhold:probe', '1');
      localStorage.removeItem('varnhold:probe');
      return !!indexedDB;
    } catch (e) {
      console.warn('This browser keeps no files for this page: ' + e.message);
      return false;
    }
  })(),
  // Where keep() puts the files while the page goes away: local storage, else the window's name,
  // which a reload of the same tab keeps.
  store: null,
  // Said once, in the page: what the game keeps will not outlast the visit.
  unkept() {
    if (page.told) return;
    page.told = true;
    document.getElementById('notice').hidden = false;
  },
  // The game's world as the desktop's --dump writes it (the page was opened with ?dump).
  world() {
    Module._vh_signal(10);                // SIGUSR1: write it now
    return JSON.parse(FS.readFile('/tmp/world.json', { encoding: 'utf8' }));
  },
  // The page is going away: IndexedDB would drop a write begun now, so the files wait in
  // local storage (written at once) until the next start takes them back.
  keep() {
    const walk = (path) => {
      const st = FS.stat(path);
      if (FS.isDir(st.mode)) {
        for (const name of FS.readdir(path)) if (name !== '.' && name !== '..') walk(path + '/' + name);
      } else {
        const bytes = FS.readFile(path);
        let text = '';
        for (const b of bytes) text += String.fromCharCode(b);
        page.store.setItem('varnhold:' + path, JSON.stringify({ t: st.mtime.getTime(), b: btoa(text) }));
      }
    };
    try {
      for (const folder of page.kept) walk(folder);
    } catch (e) {
      console.warn('The settings could not be kept: ' + e);
    }
  },
  // Files kept by keep() that are newer than IndexedDB's go back into the folder.
  takeback() {
    for (const key of page.store.keys().filter((k) => k.startsWith('varnhold:'))) {
      try {
        const path = key.slice(9), kept = JSON.parse(page.store.getItem(key));
        let older = true;
        try {
          older = FS.stat(path).mtime.getTime() < kept.t;
        } catch (e) {
          // not there at all
        }
        if (older) {
          FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
          FS.writeFile(path, Uint8Array.from(atob(kept.b), (c) => c.charCodeAt(0)));
          FS.utime(path, kept.t, kept.t);
        }
      } catch (e) {
        console.warn('A kept file could not be read back: ' + e);
      }
      page.store.removeItem(key);
    }
  },
  // A message for the player; `serious` ones also go to the console as errors.
  // The Help box (the program info) starts with the touch screen's own lines where fingers
  // play, and opens at its top whatever the height of the screen.
  message(text, serious) {
    if (serious) console.error(text);
    document.getElementById('messagetext').textContent = text;
    document.getElementById('touchhelp').hidden =
      !(text.startsWith('   Program Info') && document.body.classList.contains('touch'));
    const box = document.getElementById('message');
    if (!box.open) box.showModal();
    page.focusbox();
    box.scrollTop = 0;
  },
  // The box's OK takes the keys (Enter closes it), but only while the page has the focus: a frame
  // of another page must not take it from its host (the browser refuses, and says so).
  focusbox() {
    const box = document.getElementById('message');
    if (box.open && document.hasFocus()) document.getElementById('ok').focus({ preventScroll: true });
  },
  // The game has ended (Escape, Quit, or a replay played to its end). What the game keeps
  // (settings, table, outbox) it has written: the page keeps it at once and offers a new game,
  // one click or tap away, with the game's last line (a replay's verdict). A recorded game's
  // replay is handed over.
  ended() {
    if (page.over) return;
    page.over = true;
    page.keep();
    page.save();
    bar.model = [];
    bar.show(-1);
    typing.on = false;
    typing.el.blur();
    if (page.recording) page.download(page.recording, 'varnhold-' + page.started + '.vhr', 'text/plain');
    const replay = params.has('replay');
    document.getElementById('endedtext').textContent = replay
      ? page.lastline || 'The replay has ended.'
      : page.stored ? 'Varnhold has ended. Your settings and high scores are kept.'
        : 'Varnhold has ended. Your settings and high scores are kept until this tab is closed.';
    const again = document.getElementById('again');
    again.textContent = replay ? 'Play Varnhold' : 'Play again';
    document.getElementById('ended').hidden = false;
    again.focus();
  },
  // A new game: the page again (a replay's tab becomes the game's own page).
  again() {
    if (params.has('replay')) {
      const rest = new URLSearchParams(location.search);
      rest.delete('replay');
      location.search = rest.toString();
    } else {
      location.reload();
    }
  },
  // A file of the game's own folders handed to the player as a download.
  download(path, name, type) {
    const a = document.createElement('a');
    a.href = URL.createObjectURL(new Blob([FS.readFile(path)], { type }));
    a.download = name;
    a.click();
    setTimeout(() => URL.revokeObjectURL(a.href), 10000);
  },
  // A finger touched the game: the page shows its Start and Pause buttons, and the name entry
  // brings up the device's keyboard.
  touched() {
    if (!document.body.classList.contains('touch')) {
      document.body.classList.add('touch');
      page.relayout();
    }
    if (typing.on) typing.el.focus();
  },
  // While a name is entered a touch screen offers Clear and Done (Enter) in place of Start.
  textentry(on) {
    typing.on = !!on;
    document.getElementById('clear').hidden = !on;
    document.getElementById('done').hidden = !on;
    document.getElementById('start').hidden = !!on;
    if (on && document.body.classList.contains('touch')) typing.el.focus();
    if (!on) typing.el.blur();
    page.relayout();
  },
  // The game cannot run: say why in the page, never leave it blank.
  fail(text) {
    page.statustext.textContent = text;
    document.getElementById('progress').hidden = true;
    page.status.hidden = false;
  },
};

// Where a start's time went, in ms after the navigation (the benchmark reads it): the files'
// downloads (the browser's own timing), the program compiled and instantiated, the game's data
// in its folders, the runtime up, decoding (per kind: files and ms), the start-up done, and the
// first frame and the first frame of the running game (the title).
page.phases = () => {
  const at = (name) => performance.getEntriesByName(name).at(-1)?.startTime;
  const loaded = (ext) => performance.getEntriesByType('resource')
    .find((e) => new RegExp(`/varnhold-\\w+\\.${ext}$`).test(e.name))?.responseEnd;
  return { js: loaded('js'), wasm: loaded('wasm'), data: loaded('data'), instantiated: at('vh-instantiated'),
           files: at('vh-files'), runtime: at('vh-runtime'), decoded: window.Module && Module.decoded,
           started: at('vh-started'), first: at('vh-first-frame'), title: at('vh-title') };
};

page.store = page.stored ? {
  keys: () => Object.keys(localStorage),
  getItem: (k) => localStorage.getItem(k),
  setItem: (k, v) => localStorage.setItem(k, v),
  removeItem: (k) => localStorage.removeItem(k),
} : {
  all() {
    try {
      const o = JSON.parse(window.name);
      return o && typeof o === 'object' && o.varnhold ? o.varnhold : {};
    } catch (e) {
      return {};
    }
  },
  keys() { return Object.keys(this.all()); },
  getItem(k) { return this.all()[k]; },
  setItem(k, v) { window.name = JSON.stringify({ varnhold: { ...this.all(), [k]: v } }); },
  removeItem(k) {
    const o = this.all();
    delete o[k];
    window.name = Object.keys(o).length ? JSON.stringify({ varnhold: o }) : '';
  },
};
document.getElementById('notice').querySelector('button').onclick = () => {
  document.getElementById('notice').hidden = true;
  document.getElementById('canvas').focus({ preventScroll: true });
};

// The menu bar: the game's menus (page.menus gets their model from the game), opened with a
// click, a tap or Alt and the underlined letter; in an open menu the arrows, Enter, the letters
// and Escape work as in the desktop's menus. A title without entries (Pause, Help) acts at
// once. Where the titles do not fit the screen's width (body.compact) one button lists them
// below the strip, each with its entries under it when opened.
const bar = {
  el: document.getElementById('bar'),
  button: document.getElementById('menubutton'),
  model: [],
  open: -1,                               // the open menu, -1: none, -2: only the list (compact)
  hot: -1,                                // its highlighted entry
  // the score server's entries (their menu tags), for a site without a server
  scoreentries: [16, 17, 18],

  // "&Game" gives the letter g; "&&" is a plain ampersand.
  letter(text) {
    const m = /&([^&])/.exec(text);
    return m ? m[1].toLowerCase() : '';
  },
  label(text) {
    const span = document.createElement('span');
    const parts = text.split(/(&[^&])/);
    for (const part of parts) {
      if (/^&[^&]$/.test(part)) {
        const u = document.createElement('u');
        u.textContent = part[1];
        span.appendChild(u);
      } else {
        span.appendChild(document.createTextNode(part.replace(/&&/g, '&')));
      }
    }
    return span;
  },
  // An entry the player can choose: the game enables it, and the score server's need a server.
  live(k) {
    return !!(k && k.t && k.e && (page.scores || !this.scoreentries.includes(k.g)));
  },
  draw() {
    this.el.textContent = '';
    document.body.classList.toggle('menus', this.open !== -1);
    this.button.classList.toggle('open', this.open !== -1);
    this.model.forEach((menu, m) => {
      const top = document.createElement('div');
      top.className = 'menu' + (m === this.open ? ' open' : '');
      const title = document.createElement('button');
      title.appendChild(this.label(menu.t));
      title.onpointerdown = (e) => {
        e.preventDefault();
        if (!menu.k.length) this.act(menu);
        else this.show(this.open === m ? (this.compact() ? -2 : -1) : m);
      };
      top.appendChild(title);
      if (m === this.open && menu.k.length) {
        const list = document.createElement('div');
        list.className = 'entries';
        menu.k.forEach((k, n) => {
          const row = document.createElement('div');
          if (!k.t) {
            row.className = 'separator';
          } else {
            row.className = 'entry' + (this.live(k) ? '' : ' off') + (n === this.hot ? ' hot' : '');
            const tick = document.createElement('span');
            tick.className = 'tick';
            tick.textContent = k.c ? '\u2713' : '';
            row.append(tick, this.label(k.t));
            row.onmousedown = (e) => { e.preventDefault(); this.choose(k); };
          }
          list.appendChild(row);
        });
        top.appendChild(list);
      }
      this.el.appendChild(top);
    });
  },
  compact() {
    return document.body.classList.contains('compact');
  },
  // Whether the titles fit the strip beside the full-screen button; measured in the wide form.
  fit() {
    const was = this.compact();
    document.body.classList.remove('compact');
    const room = innerWidth - document.getElementById('full').offsetWidth -
                 (document.getElementById('savereplay').hidden ? 0 : document.getElementById('savereplay').offsetWidth);
    const last = this.el.lastElementChild;
    const narrow = !!last && last.getBoundingClientRect().right > room;
    document.body.classList.toggle('compact', narrow);
    if (narrow !== was) this.show(-1);
  },
  show(m, hot = -1) {
    this.open = m;
    this.hot = hot;
    this.draw();
  },
  // A title without entries: the game acts on the title itself.
  act(menu) {
    this.show(-1);
    Module._vh_menuaction(menu.i);
  },
  choose(k) {
    if (!this.live(k)) return;
    this.show(-1);
    Module._vh_menuaction(k.i);
  },
  // A key pressed (its key number, and whether Alt was held): true when the menus took it.
  key(vk, alt) {
    const ch = String.fromCharCode(vk).toLowerCase();
    if (this.open === -1 || (this.open === -2 && alt)) {
      if (!alt || vk === 18) return false;
      const m = this.model.findIndex((menu) => this.letter(menu.t) === ch);
      if (m < 0) return false;
      if (!this.model[m].k.length) this.act(this.model[m]);
      else this.show(m);
      return true;
    }
    if (this.open === -2) {
      if (vk === 27) this.show(-1);
      else if (vk === 40 || vk === 39 || vk === 13) this.show(0);
      else {
        const m = this.model.findIndex((menu) => this.letter(menu.t) === ch);
        if (m >= 0 && !this.model[m].k.length) this.act(this.model[m]);
        else if (m >= 0) this.show(m);
      }
      return true;
    }
    const menu = this.model[this.open], entries = menu.k;
    const step = (d) => {
      // from nothing highlighted, down is the first entry and up the last
      let n = this.hot < 0 ? (d > 0 ? -1 : entries.length) : this.hot;
      for (let i = 0; i < entries.length; i++) {
        n = (n + d + entries.length) % entries.length;
        if (this.live(entries[n])) return n;
      }
      return -1;
    };
    if (vk === 27) this.show(-1);                                      // Escape
    else if (vk === 38 || vk === 40) this.show(this.open, step(vk === 40 ? 1 : -1));
    else if (vk === 37 || vk === 39)
      this.show((this.open + (vk === 39 ? 1 : -1) + this.model.length) % this.model.length);
    else if (vk === 13 && !entries.length) this.act(menu);
    else if (vk === 13 && this.live(entries[this.hot])) this.choose(entries[this.hot]);
    else {
      const k = entries.find((e) => e.t && this.letter(e.t) === ch);
      if (k) this.choose(k);
    }
    return true;
  },
};
bar.button.onpointerdown = (e) => {
  e.preventDefault();
  bar.show(bar.open === -1 ? -2 : -1);
};
// F2: the game writes its screenshot into the player's folder; the page hands it over as a
// download.
const shots = {
  folder: '/home/web_user',
  seen: new Set(),
  list() {
    return FS.readdir(shots.folder).filter((n) => /^screenshot\d+\.png$/.test(n));
  },
  look(tries) {
    const fresh = shots.list().filter((n) => !shots.seen.has(n));
    if (!fresh.length) {
      if (tries > 0) setTimeout(() => shots.look(tries - 1), 100);
      return;
    }
    for (const name of fresh) {
      shots.seen.add(name);
      page.download(shots.folder + '/' + name, 'varnhold-' + name, 'image/png');
    }
  },
};
addEventListener('keydown', (e) => {
  if (e.key !== 'F2' || typeof FS === 'undefined') return;
  if (!shots.started) {
    shots.started = true;
    shots.list().forEach((n) => shots.seen.add(n));     // taken in earlier visits
  }
  setTimeout(() => shots.look(20), 50);
}, true);

// The game's HTTP requests (the score server), answered to the game whatever comes back: the
// status and the body, or status 0 and why nothing came (no connection, 30 s without answer).
page.http = (id, method, url, body, type) => {
  const answer = (status, bytes) => {
    HEAPU8.set(bytes, Module._vh_httpspace(bytes.length));
    Module._vh_httpanswer(id, status);
  };
  const stop = new AbortController();
  const timer = setTimeout(() => stop.abort(), 30000);
  const post = method === 'POST';
  fetch(url, { method, body: post ? body : undefined, headers: post ? { 'Content-Type': type } : {},
               signal: stop.signal, cache: 'no-store' })
    .then((r) => r.arrayBuffer().then((b) => answer(r.status, new Uint8Array(b))))
    .catch((e) => answer(0, new TextEncoder().encode(stop.signal.aborted ? 'no answer within 30 s'
                                                                          : 'no connection (' + e.message + ')')))
    .finally(() => clearTimeout(timer));
};

// F11, Alt+Enter and the page's button: the whole screen for the page, and back.
page.fullscreen = () => {
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  else if (document.documentElement.requestFullscreen)
    document.documentElement.requestFullscreen().catch((e) => console.warn('No full screen: ' + e));
};
document.getElementById('again').onclick = () => page.again();
document.getElementById('full').onclick = (e) => {
  e.preventDefault();
  page.fullscreen();
  document.getElementById('canvas').focus();
};

for (const b of document.querySelectorAll('#touch button[data-key]'))
  b.onpointerdown = (e) => {
    e.preventDefault();
    if (window.Module && Module._vh_presskey) Module._vh_presskey(Number(b.dataset.key));
    if (b.dataset.key === '13' && !page.tapped) {
      page.tapped = true;
      page.relayout();
    }
  };
// During the name entry: the name goes, whatever the cursor's place (End, then Backspaces,
// more than the longest name has letters); the game takes them as the keys they are, and a
// recording keeps them.
document.getElementById('clear').onpointerdown = (e) => {
  e.preventDefault();
  if (!window.Module || !Module._vh_presskey) return;
  Module._vh_presskey(35);
  for (let i = 0; i < 32; i++) Module._vh_presskey(8);
};

// The page's layout: the canvas in the middle of the space below the strip, as large as the
// playfield's shape (2 : 1) allows. On a touch screen the buttons take a margin, beside the
// playfield (the right one, the left one holds the hint) or below it, whichever leaves the
// larger playfield; in portrait a hint says that landscape is bigger.
page.layout = () => {
  const canvas = document.getElementById('canvas'), touch = document.getElementById('touch');
  const tapstart = document.getElementById('tapstart'), turn = document.getElementById('turn');
  const W = innerWidth, H = innerHeight - 24, gap = 8;
  const touching = document.body.classList.contains('touch');
  tapstart.classList.toggle('on', touching && !page.tapped && !typing.on);
  turn.classList.toggle('on', touching && innerHeight > innerWidth);
  const fit = (w, h) => Math.max(2, Math.floor(Math.min(w, 2 * h) / 2) * 2);
  let w = fit(W, H), left, top;
  const place = (el, x, y, width) => {
    el.style.left = Math.round(x) + 'px';
    el.style.top = Math.round(y) + 'px';
    if (width !== undefined) el.style.width = Math.round(width) + 'px';
  };
  if (!touching) {
    left = (W - w) / 2;
    top = 24 + (H - w / 2) / 2;
  } else {
    // beside: a column of buttons in each margin's width
    touch.classList.add('column');
    const cw = touch.offsetWidth + 2 * gap;
    const beside = fit(W - 2 * cw, H);
    // below: a row of buttons, the hints under it
    touch.classList.remove('column');
    const hints = [tapstart, turn].filter((h) => h.classList.contains('on'));
    for (const h of hints) h.style.width = W - 2 * gap + 'px';
    const rh = touch.offsetHeight + gap + hints.reduce((n, h) => n + h.offsetHeight + gap, 0);
    const below = fit(W, H - rh - gap);
    if (beside > below) {
      w = beside;
      touch.classList.add('column');
      left = (W - w) / 2;
      top = 24 + (H - w / 2) / 2;
      place(touch, left + w + gap, 24 + (H - touch.offsetHeight) / 2);
      let y = top;
      for (const h of hints) {
        place(h, gap, y, left - 2 * gap);
        y += h.offsetHeight + gap;
      }
    } else {
      w = below;
      left = (W - w) / 2;
      top = 24 + (H - w / 2 - gap - rh) / 2;
      let y = top + w / 2 + gap;
      place(touch, (W - touch.offsetWidth) / 2, y);
      y += touch.offsetHeight + gap;
      for (const h of hints) {
        place(h, gap, y, W - 2 * gap);
        y += h.offsetHeight + gap;
      }
    }
  }
  place(canvas, left, top);
  const changed = canvas.style.width !== w + 'px';
  canvas.style.width = w + 'px';
  canvas.style.height = w / 2 + 'px';
  return changed;
};
// The layout changed without the window's size (a first touch, the name entry): the game
// measures its canvas again as after a resize, once its current event is over.
page.relayout = () => {
  if (page.layout()) setTimeout(() => dispatchEvent(new Event('resize')));
};
// before the game's own handler, which measures the canvas
addEventListener('resize', () => {
  page.layout();
  bar.fit();
});

// The device's keyboard types into a hidden field; what it puts there goes to the game as
// typed characters (Latin-1 only, as the game's font has them) and Backspaces, and the field
// goes back to its two marker characters. Keys of a real keyboard never reach the field: the
// game's key handler takes them first.
const typing = {
  el: document.getElementById('type'),
  on: false,
  marker: '##',
  reset() {
    typing.el.value = typing.marker;
    typing.el.setSelectionRange(2, 2);
  },
};
typing.reset();
typing.el.addEventListener('focus', typing.reset);
typing.el.addEventListener('input', () => {
  const v = typing.el.value;
  let same = 0;
  while (same < typing.marker.length && v[same] === typing.marker[same]) same++;
  if (window.Module && Module._vh_typechar) {
    for (let i = same; i < typing.marker.length; i++) Module._vh_presskey(8);
    for (const ch of v.slice(same)) Module._vh_typechar(ch.codePointAt(0));
  }
  typing.reset();
});

// The game's end (Escape, Quit) leaves its code by an ExitStatus thrown through the event that
// ended it: that is no error.
addEventListener('error', (e) => {
  if (typeof ExitStatus !== 'undefined' && e.error instanceof ExitStatus) e.preventDefault();
});

// The message box is modal, as the desktop's: its keys (Escape, Enter close it) never reach the
// game behind it, where Escape would end the game. Enter closes it also where OK lost the focus
// (a press on the box's text, a frame that got the focus later).
for (const type of ['keydown', 'keyup'])
  addEventListener(type, (e) => {
    const box = document.getElementById('message');
    if (!box.open) return;
    e.stopImmediatePropagation();
    if (type === 'keydown' && e.key === 'Enter' && document.activeElement !== document.getElementById('ok')) {
      e.preventDefault();
      box.close();
    }
  }, true);
addEventListener('focus', page.focusbox);
// The game has ended: Enter or Space plays again wherever the focus is (the game's key handler,
// still listening, would take them from the focused button).
addEventListener('keydown', (e) => {
  if (!page.over || (e.key !== 'Enter' && e.key !== ' ') || document.getElementById('message').open) return;
  e.preventDefault();
  e.stopImmediatePropagation();
  if (!e.repeat) page.again();
}, true);

// While the game has the input the page never scrolls, zooms or opens its context menu.
document.addEventListener('contextmenu', (e) => e.preventDefault());
addEventListener('wheel', (e) => { if (e.ctrlKey) e.preventDefault(); }, { passive: false });
addEventListener('touchmove', (e) => { if (!e.target.closest('dialog')) e.preventDefault(); }, { passive: false });
addEventListener('gesturestart', (e) => e.preventDefault());

// A press outside the menus closes them. The path is the one the press took: a title's own
// handler may have drawn the bar anew, and its button is no longer in the page.
addEventListener('pointerdown', (e) => {
  const path = e.composedPath();
  if (bar.open !== -1 && !path.includes(bar.el) && !path.includes(bar.button)) bar.show(-1);
});
// Any press in the page gives it the keyboard: embedded in another page (an iframe) the frame
// only gets the keys once something in it has the focus, and the game's canvas keeps its
// presses from focusing anything. The name's text field keeps the focus it has.
addEventListener('pointerdown', (e) => {
  if (document.activeElement === typing.el || e.target.closest('dialog, #ended, #notice')) return;
  const canvas = document.getElementById('canvas');
  if (document.activeElement !== canvas) canvas.focus({ preventScroll: true });
}, true);
addEventListener('touchstart', () => page.touched(), { capture: true, passive: true });
page.menus = (model) => {
  if (page.over) return;
  bar.model = model;
  bar.draw();
  bar.fit();
};
page.menukey = (vk, alt) => (bar.key(vk, alt) ? 1 : 0);

// The game's three files, fetched side by side from the start: the program compiles while it
// downloads (whatever type the server gives it), the data package and the game's script come
// in meanwhile, and the bar under the game's name counts the bytes of all three (their sizes
// are in the index: a server that compresses sends fewer). The game's script runs once it and
// the data are in (the runtime takes the data whole as it starts); the program, compiled by
// then, is instantiated with the script's imports.
page.load = () => {
  const sizes = document.querySelector('meta[name="varnhold-sizes"]').content.split(' ').map(Number);
  const got = [0, 0, 0], progress = document.getElementById('progress');
  const url = (ext) => 'varnhold-' + page.build + '.' + ext;
  const total = sizes.reduce((a, b) => a + b, 0);
  const show = () => {
    page.statustext.textContent = 'Downloading ...';
    if (!(total > 0)) return;
    progress.hidden = false;
    progress.max = total;
    progress.value = Math.min(total, got.reduce((a, b) => a + b, 0));
  };
  // the file's response, its bytes counted as they arrive; a file the site no longer has
  // (a new build replaced this one while the page loaded) is `gone`
  const counted = (ext, i, type) => fetch(url(ext)).then((r) => {
    if (!r.ok) throw Object.assign(new Error(r.status + ' ' + r.statusText), { gone: r.status === 404 || r.status === 410 });
    if (!r.body) return r;
    const count = new TransformStream({ transform(chunk, out) {
      got[i] += chunk.byteLength;
      show();
      out.enqueue(chunk);
    } });
    return new Response(r.body.pipeThrough(count), { headers: { 'Content-Type': type } });
  });
  show();
  const wasm = counted('wasm', 1, 'application/wasm');
  const compiled = wasm
    .then((r) => (WebAssembly.compileStreaming ? WebAssembly.compileStreaming(r)
                                               : r.arrayBuffer().then((b) => WebAssembly.compile(b))))
    .then((m) => {
      performance.mark('vh-compiled');
      return m;
    });
  compiled.catch(() => {});               // said where it is instantiated
  Module.instantiateWasm = (imports, receive) => {
    compiled.then((m) => WebAssembly.instantiate(m, imports).then((instance) => {
      performance.mark('vh-instantiated');
      receive(instance, m);
    })).catch((e) => page.failed('varnhold-' + page.build + '.wasm', e));
    return {};
  };
  const data = counted('data', 2, 'application/octet-stream').then((r) => r.arrayBuffer());
  // the runtime asks for its data package by name: it is in already, and copied into the game's
  // folders at once
  Module.getPreloadedPackage = () => {
    const bytes = page.data;
    page.data = null;
    return bytes;
  };
  Promise.all([counted('js', 0, 'text/javascript').then((r) => r.blob()), data]).then(([js, bytes]) => {
    page.data = bytes;
    page.statustext.textContent = 'Starting ...';
    progress.hidden = true;
    const script = document.createElement('script');
    script.src = URL.createObjectURL(js);
    script.onerror = () => page.fail("Varnhold's program could not be started.");
    document.body.appendChild(script);
  }, (e) => page.failed('varnhold-' + page.build, e));
  wasm.catch((e) => page.failed('varnhold-' + page.build + '.wasm', e));
};

// A file of this page's build could not be loaded. Where the site holds a newer build by now
// (its index, ./, names another), the page loads that index, once: a page of the new build
// that meets the same says so, as does one whose files are missing for another reason.
page.failed = (name, e) => {
  if (page.failing) return;
  page.failing = true;
  console.warn("Can't load " + name + ': ' + e.message);
  const say = () => page.fail("Can't load Varnhold's files (" + e.message + ').\n' +
                              (e.gone ? 'The site is being updated: reload the page in a minute.' : 'Check the connection and reload the page.'));
  if (!e.gone) return say();
  const index = new URL('./', location.href).href;
  fetch(index, { cache: 'no-store' })
    .then((r) => (r.ok ? r.text() : ''))
    .then((text) => {
      const other = /<meta name="varnhold-build" content="(\w+)">/.exec(text);
      let followed = '';
      try {
        followed = sessionStorage.getItem('varnhold-followed');
        sessionStorage.setItem('varnhold-followed', other && other[1]);
      } catch (e) {
        // no storage: the build's name alone keeps this from going round
      }
      if (!other || other[1] === page.build || other[1] === followed) return say();
      page.statustext.textContent = 'Varnhold has been updated: loading the new version ...';
      location.replace(index + location.search);
    }, say);
};

// Asked of the game's own canvas with the game's own attributes: the game then finds the
// context made (making one costs a software renderer half a second).
function haswebgl2() {
  try {
    return !!document.getElementById('canvas').getContext('webgl2', {
      alpha: false, depth: false, stencil: false, antialias: false, premultipliedAlpha: true,
      preserveDrawingBuffer: true });
  } catch (e) {
    return false;
  }
}

// a touch screen shows its buttons from the start
if (matchMedia('(pointer: coarse)').matches) document.body.classList.add('touch');
page.layout();

if (!haswebgl2()) {
  page.fail('Varnhold needs WebGL 2, which this browser does not offer or has turned off.\n' +
            'Try a current Firefox, Chrome, Edge or Safari, with hardware acceleration on.');
} else {
  // ?seed=N plays with the random numbers of seed N, as the desktop's --seed N; ?record records
  // the game, which the page hands over as a download when the game ends or on "Save replay"
  // ?dump: page.world() reads the game's world (the desktop's --dump); ?replay=URL plays the
  // replay file at URL back, with the verdict shown at its end; ?scores=URL is the score
  // server's address (the desktop's --scores; relative to the page), else the one the site was
  // built for; ?render-scale=S the desktop's --render-scale S; ?crowd the benchmark's crowded fight
  var Module = {
    arguments: [...(params.has('seed') ? ['--seed', params.get('seed')] : []),
                ...(params.has('dump') ? ['--dump', '/tmp/world.json'] : []),
                ...(params.has('replay') ? ['--replay', '/tmp/replay.vhr'] : []),
                ...(params.has('record') ? ['--record', '/tmp/recorded.vhr'] : []),
                ...(page.scores ? ['--scores', page.scores] : []),
                ...(params.has('render-scale') ? ['--render-scale', params.get('render-scale')] : []),
                ...(params.has('crowd') ? ['--bench-crowd'] : [])],
    canvas: document.getElementById('canvas'),
    // varnhold.wasm and varnhold.data of this page's build
    locateFile: (name, prefix) => (prefix || '') + name.replace(/^varnhold\./, 'varnhold-' + page.build + '.'),
    print: (text) => {
      console.log(text);
      page.lastline = text;
    },
    printErr: (text) => console.warn(text),
    // the runtime's own lines ("Running..."); a count of bytes becomes a bar under the game's name
    setStatus: (text) => {
      if (!text) return;
      const bytes = /^(.*?)\s*\((\d+)\/(\d+)\)/.exec(text), progress = document.getElementById('progress');
      page.statustext.textContent = bytes ? bytes[1].replace(/\.+$/, ' ...') : text;
      progress.hidden = !bytes;
      if (bytes) {
        progress.max = Number(bytes[3]);
        progress.value = Number(bytes[2]);
      }
    },
    // the last of the start's dependencies (the program, the data's files, the settings) is in
    monitorRunDependencies: (left) => {
      if (!left) performance.mark('vh-files');
    },
    postRun: [() => performance.mark('vh-started')],
    onRuntimeInitialized: () => {
      performance.mark('vh-runtime');
      page.status.hidden = true;
      if (!page.stored) page.unkept();
      // kept for offline play once the game runs (a page opened from a file has no worker), where
      // the browser keeps files for the page
      try {
        if (page.stored && 'serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
          // and a new build is looked for at every start (without a connection, at the next)
          navigator.serviceWorker.register('sw.js')
            .then((r) => r.update().catch(() => {}), (e) => console.warn('Not kept for offline play: ' + e));
          // this build runs: the worker may drop older builds' files
          if (navigator.serviceWorker.controller) navigator.serviceWorker.controller.postMessage({ started: page.build });
        }
      } catch (e) {
        console.warn('Not kept for offline play: ' + e);
      }
      if (params.has('record')) {
        page.recording = '/tmp/recorded.vhr';
        page.started = new Date().toISOString().slice(0, 19).replace(/[-:]/g, '').replace('T', '-');
        const save = document.getElementById('savereplay');
        save.hidden = false;
        save.onclick = () => {
          Module._vh_signal(12);          // SIGUSR2: the game writes its replay now
          page.download(page.recording, 'varnhold-' + page.started + '.vhr', 'text/plain');
        };
      }
    },
    // The settings and the high scores live in the browser (IndexedDB), in the folder where an
    // installed game keeps them; they are read before the game starts and written back soon
    // after every change, and when the page goes away. Where the browser refuses the page
    // storage the folders stay in memory.
    preRun: [() => {
      if (params.has('replay')) {
        addRunDependency('replay');
        fetch(params.get('replay'))
          .then((r) => (r.ok ? r.arrayBuffer() : Promise.reject(new Error(r.status + ' ' + r.statusText))))
          .then((bytes) => {
            FS.writeFile('/tmp/replay.vhr', new Uint8Array(bytes));
            removeRunDependency('replay');
          })
          .catch((e) => page.fail("Can't load the replay " + params.get('replay') + ': ' + e.message));
      }
      for (const folder of page.kept) {
        FS.mkdirTree(folder);
        if (page.stored) FS.mount(IDBFS, {}, folder);
      }
      addRunDependency('settings');
      const read = (done) => (page.stored ? FS.syncfs(true, done) : done(null));
      read((err) => {
        if (err) {
          console.warn('The saved settings could not be read: ' + err);
          page.stored = false;
        }
        page.takeback();
        removeRunDependency('settings');
        setInterval(page.save, 1000);
        addEventListener('pagehide', () => {
          if (page.over) return;           // the game has ended and kept what it keeps
          try {
            Module._vh_signal(1);         // SIGHUP: the game saves and ends
          } catch (e) {
            // its end unwinds to here
          }
          page.keep();
        });
        document.addEventListener('visibilitychange', page.save);
      });
    }],
    onAbort: (what) => page.fail('Varnhold stopped: ' + what),
  };
  // the first frame, and the first once the start-up is over (the running game's)
  let presented = 0;
  Object.defineProperty(Module, 'presented', {
    configurable: true,
    get: () => presented,
    set: (n) => {
      if (!presented) performance.mark('vh-first-frame');
      if (!performance.getEntriesByName('vh-title').length && performance.getEntriesByName('vh-started').length)
        performance.mark('vh-title');
      presented = n;
    },
  });
  page.load();
}
