// web/page.js — the page around the game: it checks for WebGL 2, loads the game's module and
// shows the game's messages as dialogs. The game itself draws into #canvas.
'use strict';

const page = {
  status: document.getElementById('status'),
  // A message for the player; `serious` ones also go to the console as errors.
  message(text, serious) {
    if (serious) console.error(text);
    document.getElementById('messagetext').textContent = text;
    const box = document.getElementById('message');
    if (!box.open) box.showModal();
  },
  // The game cannot run: say why in the page, never leave it blank.
  fail(text) {
    page.status.textContent = text;
    page.status.hidden = false;
  },
};

function haswebgl2() {
  try {
    return !!document.createElement('canvas').getContext('webgl2');
  } catch (e) {
    return false;
  }
}

if (!haswebgl2()) {
  page.fail('Varnhold needs WebGL 2, which this browser does not offer or has turned off.\n' +
            'Try a current Firefox, Chrome, Edge or Safari, with hardware acceleration on.');
} else {
  var Module = {
    canvas: document.getElementById('canvas'),
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    setStatus: (text) => { if (text) page.status.textContent = text; },
    onRuntimeInitialized: () => { page.status.hidden = true; },
    onAbort: (what) => page.fail('Varnhold stopped: ' + what),
  };
  const script = document.createElement('script');
  script.src = 'varnhold.js';
  script.onerror = () => page.fail("Can't load varnhold.js");
  document.body.appendChild(script);
}
