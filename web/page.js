// web/page.js — the page around the game: it checks for WebGL 2, loads the game's module and
// shows the game's messages as dialogs. The game itself draws into #canvas.
'use strict';

const page = {
  status: document.getElementById('status'),
  settings: '/home/web_user/.config',
  // what the browser keeps: the settings, and the game's data folder (the score outbox)
  kept: ['/home/web_user/.config', '/home/web_user/.local/share'],
  saving: false,
  save() {
    if (page.saving) return;
    page.saving = true;
    FS.syncfs(false, (err) => {
      page.saving = false;
      if (err) console.warn('The settings could not be saved: ' + err);
    });
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
        localStorage.setItem('varnhold:' + path, JSON.stringify({ t: st.mtime.getTime(), b: btoa(text) }));
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
    for (const key of Object.keys(localStorage).filter((k) => k.startsWith('varnhold:'))) {
      const path = key.slice(9), kept = JSON.parse(localStorage.getItem(key));
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
      localStorage.removeItem(key);
    }
  },
  // A message for the player; `serious` ones also go to the console as errors.
  message(text, serious) {
    if (serious) console.error(text);
    document.getElementById('messagetext').textContent = text;
    const box = document.getElementById('message');
    if (!box.open) box.showModal();
  },
  // The game has ended (Escape, or a replay played to its end): say so, with the game's last
  // line (a replay's verdict), and hand over the game's replay when it was recorded (?record).
  ended() {
    page.fail(page.lastline || 'Varnhold has ended.');
    if (page.recording) page.download(page.recording, 'varnhold-' + page.started + '.vhr', 'text/plain');
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
    document.body.classList.add('touch');
    if (typing.on) typing.el.focus();
  },
  textentry(on) {
    typing.on = !!on;
    if (on && document.body.classList.contains('touch')) typing.el.focus();
    if (!on) typing.el.blur();
  },
  // The game cannot run: say why in the page, never leave it blank.
  fail(text) {
    page.status.textContent = text;
    page.status.hidden = false;
  },
};

// The menu bar: the game's menus (page.menus gets their model from the game), opened with a
// click or Alt and the underlined letter; in an open menu the arrows, Enter, the letters and
// Escape work as in the desktop's menus.
const bar = {
  el: document.getElementById('bar'),
  model: [],
  open: -1,                               // the open menu, or -1
  hot: -1,                                // its highlighted entry

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
  draw() {
    this.el.textContent = '';
    this.model.forEach((menu, m) => {
      const top = document.createElement('div');
      top.className = 'menu' + (m === this.open ? ' open' : '');
      const title = document.createElement('button');
      title.appendChild(this.label(menu.t));
      title.onmousedown = (e) => { e.preventDefault(); this.show(this.open === m ? -1 : m); };
      top.appendChild(title);
      if (m === this.open) {
        const list = document.createElement('div');
        list.className = 'entries';
        menu.k.forEach((k, n) => {
          const row = document.createElement('div');
          if (!k.t) {
            row.className = 'separator';
          } else {
            row.className = 'entry' + (k.e ? '' : ' off') + (n === this.hot ? ' hot' : '');
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
  show(m, hot = -1) {
    this.open = m;
    this.hot = hot;
    this.draw();
  },
  choose(k) {
    if (!k.e || !k.t) return;
    this.show(-1);
    Module._vh_menuaction(k.i);
  },
  // A key pressed (its key number, and whether Alt was held): true when the menus took it.
  key(vk, alt) {
    const ch = String.fromCharCode(vk).toLowerCase();
    if (this.open < 0) {
      if (!alt || vk === 18) return false;
      const m = this.model.findIndex((menu) => this.letter(menu.t) === ch);
      if (m < 0) return false;
      this.show(m);
      return true;
    }
    const entries = this.model[this.open].k;
    const live = (n) => entries[n] && entries[n].t && entries[n].e;
    const step = (d) => {
      let n = this.hot;
      for (let i = 0; i < entries.length; i++) {
        n = (n + d + entries.length) % entries.length;
        if (live(n)) return n;
      }
      return -1;
    };
    if (vk === 27) this.show(-1);                                      // Escape
    else if (vk === 38 || vk === 40) this.show(this.open, step(vk === 40 ? 1 : -1));
    else if (vk === 37 || vk === 39)
      this.show((this.open + (vk === 39 ? 1 : -1) + this.model.length) % this.model.length);
    else if (vk === 13 && live(this.hot)) this.choose(entries[this.hot]);
    else {
      const k = entries.find((e) => e.t && this.letter(e.t) === ch);
      if (k) this.choose(k);
    }
    return true;
  },
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
document.getElementById('full').onclick = (e) => {
  e.preventDefault();
  page.fullscreen();
  document.getElementById('canvas').focus();
};

for (const b of document.querySelectorAll('#touch button'))
  b.onpointerdown = (e) => {
    e.preventDefault();
    if (window.Module && Module._vh_presskey) Module._vh_presskey(Number(b.dataset.key));
  };

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

// While the game has the input the page never scrolls, zooms or opens its context menu.
document.addEventListener('contextmenu', (e) => e.preventDefault());
addEventListener('wheel', (e) => { if (e.ctrlKey) e.preventDefault(); }, { passive: false });
addEventListener('touchmove', (e) => { if (!e.target.closest('dialog')) e.preventDefault(); }, { passive: false });
addEventListener('gesturestart', (e) => e.preventDefault());

document.addEventListener('mousedown', (e) => { if (!bar.el.contains(e.target) && bar.open >= 0) bar.show(-1); });
page.menus = (model) => { bar.model = model; bar.draw(); };
page.menukey = (vk, alt) => (bar.key(vk, alt) ? 1 : 0);

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

if (!haswebgl2()) {
  page.fail('Varnhold needs WebGL 2, which this browser does not offer or has turned off.\n' +
            'Try a current Firefox, Chrome, Edge or Safari, with hardware acceleration on.');
} else {
  // ?seed=N plays with the random numbers of seed N, as the desktop's --seed N; ?record records
  // the game, which the page hands over as a download when the game ends or on "Save replay"
  // ?dump: page.world() reads the game's world (the desktop's --dump); ?replay=URL plays the
  // replay file at URL back, with the verdict shown at its end; ?scores=URL is the score
  // server's address (the desktop's --scores; relative to the page); ?render-scale=S the
  // desktop's --render-scale S; ?crowd the benchmark's crowded fight
  const params = new URLSearchParams(location.search);
  var Module = {
    arguments: [...(params.has('seed') ? ['--seed', params.get('seed')] : []),
                ...(params.has('dump') ? ['--dump', '/tmp/world.json'] : []),
                ...(params.has('replay') ? ['--replay', '/tmp/replay.vhr'] : []),
                ...(params.has('record') ? ['--record', '/tmp/recorded.vhr'] : []),
                ...(params.has('scores') ? ['--scores', new URL(params.get('scores'), location.href).href] : []),
                ...(params.has('render-scale') ? ['--render-scale', params.get('render-scale')] : []),
                ...(params.has('crowd') ? ['--bench-crowd'] : [])],
    canvas: document.getElementById('canvas'),
    print: (text) => {
      console.log(text);
      page.lastline = text;
    },
    printErr: (text) => console.warn(text),
    setStatus: (text) => { if (text) page.status.textContent = text; },
    onRuntimeInitialized: () => {
      page.status.hidden = true;
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
    // after every change, and when the page goes away.
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
        FS.mount(IDBFS, {}, folder);
      }
      addRunDependency('settings');
      FS.syncfs(true, (err) => {
        if (err) console.warn('The saved settings could not be read: ' + err);
        page.takeback();
        removeRunDependency('settings');
        setInterval(page.save, 1000);
        addEventListener('pagehide', () => {
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
  const script = document.createElement('script');
  script.src = 'varnhold.js';
  script.onerror = () => page.fail("Can't load varnhold.js");
  document.body.appendChild(script);
}
