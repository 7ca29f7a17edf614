// The page's side of the web backend (platform/backend_web.cpp, web/web_main.cpp): the
// canvas, input, Web Audio, the save record in localStorage, the instance lock, the
// screen-reader mirror and window.quietHarbour. Loaded before the module's own code.
'use strict';

var qh = Module.qh = (function () {
  var SAVE_PATH = '/qh/quietharbour/QTL2quietharbour.dat';
  var SAVE_KEY = 'quietharbour/QTL2quietharbour.dat';
  var TOUCH_SLOP = 8;          // CSS pixels a finger may wander and still tap
  var VIRTUAL_KEYS = {
    Backspace: 0x08, Tab: 0x09, Enter: 0x0D, Escape: 0x1B, PageUp: 0x21, PageDown: 0x22,
    End: 0x23, Home: 0x24, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
    Delete: 0x2E, ' ': 0x20, Shift: 0x10, Alt: 0x12, F5: 0x74, F10: 0x79,
  };
  // What a press or a focus in the mirror stands for, as the reader numbers it: a page
  // control's identifier, a tool's command, 0 the "Menu" button, MENU_ITEM + a menu item's
  // command, BOX_BUTTON + a message box button's answer.
  var MENU_ITEM = 10000, BOX_BUTTON = 20000;

  var canvas = document.getElementById('screen');
  var context = canvas.getContext('2d', { alpha: false });
  var image = null;
  var wakeUp = null, wakeTimer = 0;
  var presses = [], answers = [], drags = [], focuses = [];
  var scripts = [], output = null;
  var audio = null, sounds = {}, playing = null, soundGeneration = 0;
  var touch = null;

  var self = {
    lockHeld: false,
    state: 'starting',
    firstFrameMs: null,
    frames: 0,
    cuesStarted: [],           // the names of the cues that reached Web Audio, in order
  };

  // ---- the screen
  self.present = function (pixels, width, height) {
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
      image = null;
    }
    if (!image) image = context.createImageData(width, height);
    image.data.set(pixels);
    context.putImageData(image, 0, 0);
    self.frames++;
    if (self.firstFrameMs === null) self.firstFrameMs = performance.now();
  };

  // ---- waiting: the reader sleeps here until input arrives or the timeout passes
  self.sleep = function (timeoutMs, wake) {
    wakeUp = wake;
    if (timeoutMs >= 0) wakeTimer = setTimeout(self.wake, timeoutMs);
  };
  self.wake = function () {
    if (!wakeUp) return;
    var wake = wakeUp;
    wakeUp = null;
    clearTimeout(wakeTimer);
    wake();
  };

  // ---- input
  function screenPoint(event) {
    var r = canvas.getBoundingClientRect();
    var x = Math.floor((event.clientX - r.left) * 240 / r.width);
    var y = Math.floor((event.clientY - r.top) * 320 / r.height);
    return { x: Math.max(0, Math.min(239, x)), y: Math.max(0, Math.min(319, y)) };
  }
  function pointer(kind, p) {
    Module._qh_web_pointer(kind, p.x, p.y);
    self.wake();
  }
  function unlockAudio() {
    if (audio) {
      if (audio.state === 'suspended') audio.resume();
      return;
    }
    var Context = window.AudioContext || window.webkitAudioContext;
    if (Context) audio = new Context();
  }

  // The canvas never takes the focus (it is hidden from screen readers): a tap moves the
  // focus to the mirror's element of the control under it, or out of the mirror.
  canvas.addEventListener('mousedown', function (e) { e.preventDefault(); });
  canvas.addEventListener('pointerdown', function (e) {
    unlockAudio();
    e.preventDefault();
    if (e.pointerType !== 'touch') focusAt(screenPoint(e));
    if (e.pointerType === 'touch') {
      // A finger taps only when it lifts close to where it went down; if it travels,
      // the page scrolls under it instead.
      touch = { id: e.pointerId, x: e.clientX, y: e.clientY, at: screenPoint(e), scrolling: false };
      return;
    }
    canvas.setPointerCapture(e.pointerId);
    pointer(0, screenPoint(e));
  });
  canvas.addEventListener('pointermove', function (e) {
    if (e.pointerType === 'touch') {
      if (!touch || touch.id !== e.pointerId) return;
      var dy = e.clientY - touch.y;
      if (!touch.scrolling && Math.hypot(e.clientX - touch.x, dy) <= TOUCH_SLOP) return;
      var starting = !touch.scrolling;
      touch.scrolling = true;
      var r = canvas.getBoundingClientRect();
      drags.push({ dy: Math.round(dy * 320 / r.height), starting: starting });
      self.wake();
      return;
    }
    if (e.buttons) pointer(1, screenPoint(e));
  });
  function pointerEnd(e) {
    if (e.pointerType === 'touch') {
      if (!touch || touch.id !== e.pointerId) return;
      var t = touch;
      touch = null;
      if (!t.scrolling && e.type === 'pointerup') {
        focusAt(t.at);
        Module._qh_web_touch_tap(t.at.x, t.at.y);
        self.wake();
      }
      return;
    }
    pointer(2, screenPoint(e));
  }
  canvas.addEventListener('pointerup', pointerEnd);
  canvas.addEventListener('pointercancel', pointerEnd);
  canvas.addEventListener('contextmenu', function (e) { e.preventDefault(); });

  // Keys as the desktop reader gets them: a key down and up with the platform's key code
  // (letters, digits and the keys of keyboard play among them), and typed text besides.
  function virtualKey(e) {
    if (VIRTUAL_KEYS[e.key]) return VIRTUAL_KEYS[e.key];
    if (/^Key[A-Z]$/.test(e.code)) return e.code.charCodeAt(3);
    if (/^Digit[0-9]$/.test(e.code)) return e.code.charCodeAt(5);
    return 0;
  }
  // The reader takes the keys while the focus is on the page itself or in the mirror, not
  // those of the page's other controls. In the mirror's answer box the browser types too
  // (a screen reader hears it), and Return or Tab there give the box's answer (below).
  function keyEvent(e) {
    var t = e.target;
    var ours = !t || t === document.body || t === document.documentElement || t === canvas || mirror.contains(t);
    var inBox = ours && t.tagName === 'INPUT';
    if (!ours || e.ctrlKey || e.metaKey || (e.altKey && e.key !== 'Alt')) return;
    if (inBox && (e.key === 'Enter' || (e.key === 'Tab' && !e.shiftKey))) return;
    unlockAudio();
    var down = e.type === 'keydown';
    var key = virtualKey(e);
    if (key) Module._qh_web_key(down ? 1 : 0, key);
    var c = e.key.length <= 2 ? e.key.codePointAt(0) : 0;
    var text = down && c >= 0x20 && c <= 0xFFFF && e.key.length === 1;   // the boxes hold the 16-bit plane
    if (text) Module._qh_web_text(c);
    if (!key && !text) return;
    if (!inBox || e.key === 'Tab' || e.key === 'Escape' || e.key === 'F10' || e.key === 'Alt') e.preventDefault();
    self.wake();
  }
  document.addEventListener('keydown', keyEvent);
  document.addEventListener('keyup', keyEvent);

  // The wheel: whole notches, as the desktop's wheel gives them; a touchpad's small
  // movements add up to one.
  var wheelPixels = 0;
  canvas.addEventListener('wheel', function (e) {
    e.preventDefault();
    var pixels = e.deltaMode === 1 ? e.deltaY * 100 / 3 : e.deltaMode === 2 ? e.deltaY * 800 : e.deltaY;
    wheelPixels += pixels;
    var notches = Math.trunc(wheelPixels / 100);
    if (!notches) return;
    wheelPixels -= notches * 100;
    var p = screenPoint(e);
    Module._qh_web_wheel(notches, p.x, p.y);
    self.wake();
  }, { passive: false });

  // The screen's size: at 100% it fits the window by the smaller of width and height;
  // browser zoom raises the device pixel ratio over the one the page opened with, and
  // the screen grows by as much (the page scrolls once it is larger than the window).
  var openingRatio = window.devicePixelRatio || 1;
  function fitScreen() {
    var zoom = (window.devicePixelRatio || 1) / openingRatio;
    var fit = Math.min(window.innerWidth, window.innerHeight * 240 / 320);
    canvas.style.width = Math.max(120, Math.floor(fit * zoom)) + 'px';
  }
  fitScreen();

  // The device scale: device pixels per logical pixel of the canvas as drawn (pinch zoom
  // included), rounded up so the picture is never enlarged by the browser, at most 4.
  self.deviceScale = function () {
    var cssScale = canvas.getBoundingClientRect().width / 240;
    var pinch = window.visualViewport ? window.visualViewport.scale : 1;
    var scale = Math.ceil(cssScale * (window.devicePixelRatio || 1) * pinch - 1e-6);
    return Math.max(1, Math.min(4, scale || 1));
  };
  function resized() {
    fitScreen();
    if (self.state !== 'reading') return;
    Module._qh_web_scale_changed(self.deviceScale());
    self.wake();
  }
  window.addEventListener('resize', resized);
  if (window.visualViewport) window.visualViewport.addEventListener('resize', resized);

  self.takeDrag = function () { return drags.length ? drags.shift() : null; };
  self.takePress = function () { return presses.length ? presses.shift() : -1; };
  self.takeAnswer = function () { return answers.length ? answers.shift() : null; };
  self.takeFocus = function () { return focuses.length ? focuses.shift() : -2; };

  // ---- sound: cues are decoded once and replace one another, as on the handheld
  self.playSound = function (name, wave) {
    var generation = ++soundGeneration;
    if (!audio) return;   // not unlocked yet: browsers let a page sound only after a tap
    if (playing) { try { playing.stop(); } catch (e) {} playing = null; }
    var start = function (buffer) {
      if (generation !== soundGeneration || !buffer) return;
      var source = audio.createBufferSource();
      source.buffer = buffer;
      source.connect(audio.destination);
      source.start();
      playing = source;
      self.cuesStarted.push(name);
    };
    if (sounds[name]) return start(sounds[name]);
    audio.decodeAudioData(wave.buffer).then(function (buffer) {
      sounds[name] = buffer;
      start(buffer);
    }, function () { console.warn('Quiet Harbour: the sound ' + name + ' cannot be played'); });
  };
  self.stopSound = function () {
    soundGeneration++;
    if (playing) { try { playing.stop(); } catch (e) {} playing = null; }
  };

  // ---- the save record
  function toBase64(bytes) {
    var text = '';
    for (var i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
    return btoa(text);
  }
  function fromBase64(text) {
    if (!/^[A-Za-z0-9+/]*={0,2}$/.test(text) || text.length % 4 !== 0) return null;
    try {
      var raw = atob(text);
      var bytes = new Uint8Array(raw.length);
      for (var i = 0; i < raw.length; i++) bytes[i] = raw.charCodeAt(i);
      return bytes;
    } catch (e) {
      return null;
    }
  }
  // The record reaches localStorage at the end of the task that wrote it: a write there
  // costs more than the page turn itself, and the reader should not wait for it. A page
  // being hidden writes at once (flushRecord).
  var pendingRecord = null, recordTimer = 0;
  function flushRecord() {
    clearTimeout(recordTimer);
    recordTimer = 0;
    if (pendingRecord === null) return;
    var text = pendingRecord;
    pendingRecord = null;
    try {
      localStorage.setItem(SAVE_KEY, text);
    } catch (e) {
      console.warn('Quiet Harbour: the browser refused to keep the reader\'s place (' + e + ')');
      if (self.storageFailed) self.storageFailed(e);
    }
  }
  // The copy of an unusable record that the reader keeps aside is stored at once, under
  // the key a record that is not base64 is kept under, before any new record can follow.
  self.store = function (path, bytes) {
    if (!self.lockHeld) return;   // a refused tab touches nothing
    if (/\.unreadable$/.test(path)) {
      try {
        localStorage.setItem(SAVE_KEY + '.unreadable', toBase64(bytes));
      } catch (e) {
        console.warn('Quiet Harbour: the browser refused to keep the unreadable place aside (' + e + ')');
      }
      return;
    }
    pendingRecord = toBase64(bytes);
    if (!recordTimer) recordTimer = setTimeout(flushRecord, 0);
  };
  // Puts the stored record where the reader looks for its save file. A short record is
  // handed over as a short file is on the desktop; one that is not base64 is kept aside
  // under another key and the reader starts as with no file.
  function loadRecord() {
    var text = null;
    try { text = localStorage.getItem(SAVE_KEY); } catch (e) {}
    if (text === null) return;
    var bytes = fromBase64(text);
    if (bytes === null) {
      console.warn('Quiet Harbour: the stored place is not readable; it is kept as ' + SAVE_KEY +
                   '.unreadable and the book starts afresh');
      if (self.lockHeld) {
        try { localStorage.setItem(SAVE_KEY + '.unreadable', text); } catch (e) {}
      }
      return;
    }
    FS.mkdirTree(SAVE_PATH.substring(0, SAVE_PATH.lastIndexOf('/')));
    FS.writeFile(SAVE_PATH, bytes);
  }

  // ---- the mirror for screen readers and the keyboard
  // Three parts, each replaced only when it changes: the page (a live region, so a new
  // page is announced once), the tools, and what stands over them (the open menu or a
  // message box), which makes the other two inert while it is there. The reader's focus
  // is the mirror's: the element of the control it marks gets the browser's focus.
  var mirror = document.getElementById('mirror');
  var parts = { page: document.getElementById('mirror-page'), tools: document.getElementById('mirror-tools'),
                over: document.getElementById('mirror-over') };
  var focusCode = -1;
  var places = [];   // { code, left, top, right, bottom } of each control shown, in screen pixels
  function stopCode(element) {
    var d = element && element.dataset;
    if (!d) return -1;
    if (d.id) return Number(d.id);
    if (d.tool) return d.tool === 'menu' ? 0 : Number(d.tool);
    if (d.item) return MENU_ITEM + Number(d.item);
    if (d.box) return BOX_BUTTON + Number(d.box);
    return -1;
  }
  function elementOf(code) {
    var all = mirror.querySelectorAll('[data-id], [data-tool], [data-item], [data-box]');
    for (var i = 0; i < all.length; i++) if (stopCode(all[i]) === code && !all[i].closest('[inert]')) return all[i];
    return null;
  }
  // Only focus the page keeps for itself (none, or the mirror's) follows the reader.
  function applyFocus() {
    var active = document.activeElement;
    var ours = !active || active === document.body || mirror.contains(active);
    if (!ours) return;
    var wanted = focusCode >= 0 ? elementOf(focusCode) : null;
    if (wanted && active !== wanted) wanted.focus();
    else if (!wanted && active && mirror.contains(active)) active.blur();
  }
  self.mirror = function (part, html) {
    parts[part].innerHTML = html;
    var over = parts.over.innerHTML !== '';
    parts.page.inert = over;
    parts.tools.inert = over;
    applyFocus();
  };
  self.mirrorFocus = function (code) {
    focusCode = code;
    applyFocus();
  };
  // Where each control stands now ("stop left top right bottom" each), kept out of the
  // HTML so that scrolling does not rebuild the page's part. A page button's centre is
  // also put on its element, for tools that tap as a finger would.
  self.mirrorPlaces = function (text) {
    places = [];
    text.split(';').forEach(function (place) {
      var v = place.split(' ').map(Number);
      if (v.length !== 5) return;
      places.push({ code: v[0], left: v[1], top: v[2], right: v[3], bottom: v[4] });
      var button = parts.page.querySelector('button[data-id="' + v[0] + '"]');
      if (!button) return;
      button.dataset.x = v[1] < 0 ? -1 : Math.floor((v[1] + v[3]) / 2);
      button.dataset.y = v[2] < 0 ? -1 : Math.floor((v[2] + v[4]) / 2);
    });
  };
  function focusAt(p) {
    var element = null;
    places.forEach(function (r) {
      if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) element = elementOf(r.code) || element;
    });
    var active = document.activeElement;
    if (element) {
      if (active !== element) element.focus();
    } else if (active && mirror.contains(active)) {
      active.blur();
      focusCode = -1;
      focuses.push(-1);
    }
  }
  mirror.addEventListener('click', function (e) {
    var element = e.target.closest('[data-id], [data-tool], [data-item], [data-box]');
    if (!element || element.tagName === 'INPUT') return;
    unlockAudio();
    presses.push(stopCode(element));
    self.wake();
  });
  mirror.addEventListener('focusin', function (e) {
    var code = stopCode(e.target);
    if (code < 0 || code === focusCode) return;
    focusCode = code;
    focuses.push(code);
    self.wake();
  });
  mirror.addEventListener('keydown', function (e) {
    var answering = e.key === 'Enter' || (e.key === 'Tab' && !e.shiftKey);
    if (!answering || !e.target.dataset || !e.target.dataset.id || e.target.tagName !== 'INPUT') return;
    answers.push({ box: Number(e.target.dataset.id), text: e.target.value });
    e.preventDefault();
    self.wake();
  });

  // ---- state, scripts and output
  var status = document.getElementById('status');
  self.setState = function (state) {
    self.state = state;
    document.body.dataset.state = state;
    if (state === 'refused') status.textContent = 'The book is open in another tab: read it there.';
    if (state === 'closed') {
      status.textContent = '';   // the closed page says it (web/edition.js)
      flushRecord();
    }
    if (state === 'reading' && scripts.length) Module._qh_web_note_view(), Module._qh_web_quit(), self.wake();
  };
  self.currentScript = function () { return scripts[0] || null; };
  self.takeScript = function () {
    if (!scripts.length) return null;
    output = [];
    return scripts[0];
  };
  self.scriptFinished = function (code) {
    var job = scripts.shift();
    var text = output.length ? output.join('\n') + '\n' : '';
    output = null;
    job.resolve(text);
  };
  self.printScreenshot = function (pixels, width, height) {
    var c = document.createElement('canvas');
    c.width = width;
    c.height = height;
    var g = c.getContext('2d');
    var data = g.createImageData(width, height);
    data.data.set(pixels);
    g.putImageData(data, 0, 0);
    Module.print(c.toDataURL('image/png'));
  };
  Module.print = function (line) {
    if (output) output.push(line); else console.log(line);
  };
  Module.printErr = function (line) {
    if (output) output.push(line); else console.warn(line);
  };

  window.quietHarbour = {
    // Plays a qh-play script on a fresh reader and resolves with what qh-play prints;
    // the reader's own place is kept and it goes on where it was afterwards. options.scale
    // (1 to 4, default 1) is qh-play's --scale; options.save, a save record in base64,
    // is where the script's reader starts, as a save file in qh-play's --state folder.
    run: function (script, options) {
      var scale = Number((options && options.scale) || 1);
      var record = options && options.save !== undefined ? fromBase64(String(options.save)) : null;
      return new Promise(function (resolve, reject) {
        var why = options && options.save !== undefined &&
                  (record === null ? 'it is not base64' : self.notARecord && self.notARecord(record));
        if (why) {
          reject(new Error('options.save is not a save record: ' + why));
          return;
        }
        if (self.state === 'refused' || self.state === 'closed') {
          reject(new Error('the reader is not running in this tab (' + self.state + ')'));
          return;
        }
        if (!(scale >= 1 && scale <= 4 && Math.floor(scale) === scale)) {
          reject(new Error('scale takes a whole number from 1 to 4'));
          return;
        }
        scripts.push({ text: String(script), scale: scale, record: record, resolve: resolve });
        if (scripts.length === 1 && self.state === 'reading') {
          Module._qh_web_note_view();   // what the reader shows now, to show again afterwards
          Module._qh_web_quit();
          self.wake();
        }
      });
    },
    get state() { return self.state; },
    get lockHeld() { return self.lockHeld; },
    get firstFrameMs() { return self.firstFrameMs; },
    get cuesStarted() { return self.cuesStarted.slice(); },
  };

  // ---- start: the instance lock first, then the stored record, then the reader
  Module.preRun = [function () {
    addRunDependency('instance-lock');
    var granted = function (held) {
      self.lockHeld = held;
      if (!held) self.setState('refused');   // the reader will say so in its own words too
      loadRecord();
      removeRunDependency('instance-lock');
    };
    if (!navigator.locks) return granted(true);   // no Web Locks: one tab is all we can assume
    navigator.locks.request('quietharbour/QTL2quietharbour', { ifAvailable: true }, function (lock) {
      if (!lock) return granted(false);
      granted(true);
      return new Promise(function () {});   // held for as long as the page lives
    });
  }];

  // The reader may be closed with the tab at any moment after it is hidden.
  document.addEventListener('visibilitychange', function () {
    if (document.visibilityState === 'hidden' && self.state === 'reading') Module._qh_web_page_hidden();
    flushRecord();
  });
  window.addEventListener('pagehide', function () {
    if (self.state === 'reading') Module._qh_web_page_hidden();
    flushRecord();
  });

  return self;
})();
