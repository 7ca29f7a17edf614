// The web edition around the reader (web/glue.js is the reader's side): the module and
// the pictures arriving with a progress line, failures said in words, the pictures of
// the screen's scale decoded by the browser, the browser's history and Back, the
// closed page after Exit, a second tab that takes over, saving the reading to a file
// and loading it from one, the storage asked to persist, the service worker.
// Loaded after glue.js, before the module's own code.
'use strict';

(function (qh) {
  var SAVE_PATH = '/qh/quietharbour/QTL2quietharbour.dat';
  var SAVE_FILE_NAME = 'QTL2quietharbour.dat';
  var RECORD_SIZE = 2544, RECORD_VERSION = 176;
  var LOCK_NAME = 'quietharbour/QTL2quietharbour';
  var KEPT_PICTURES = 12;      // decoded renderings kept for pages shown again

  var status = document.getElementById('status');
  var notice = document.getElementById('notice');
  function bookTitle() { return document.title || 'the book'; }

  // ---- words on the page: the progress line, and notices that stay until dismissed
  var loadingSaid = false;
  function say(text, loading) {
    status.textContent = text;
    loadingSaid = !!loading && text !== '';
  }
  var noticesShown = {};
  function tell(key, text) {
    if (noticesShown[key]) return;   // each kind of trouble is said once
    noticesShown[key] = true;
    var line = document.createElement('p');
    line.textContent = text;
    notice.appendChild(line);
    notice.hidden = false;
  }
  qh.tell = tell;
  // A failure that stops the book: the page says what failed and what to try.
  function fail(text) {
    document.body.dataset.state = 'failed';
    qh.state = 'failed';
    say('');
    tell('failed', text);
  }
  qh.fail = fail;

  function megabytes(bytes) { return (bytes / 1048576).toFixed(1) + ' MB'; }

  // ---- the edition's files: inlined in the one-file edition, else from beside the page
  function base64Bytes(text) {
    var raw = atob(text), bytes = new Uint8Array(raw.length);
    for (var i = 0; i < raw.length; i++) bytes[i] = raw.charCodeAt(i);
    return bytes;
  }
  function whyNot(name, error, response) {
    if (response && response.status === 404)
      return 'the server has no ' + name + ' (404). The edition\'s files belong together in one folder: put ' + name +
             ' back beside index.html and reload the page.';
    if (response) return 'the server answered ' + response.status + ' for ' + name + '. Reload the page to try again.';
    if (!navigator.onLine) return name + ' did not arrive: this device is offline. Connect to the network and reload the page.';
    return name + ' did not arrive (' + (error && error.message || error) + '). Check the connection to the server and reload the page.';
  }
  // The file's bytes; progress(received, total) is told as they arrive.
  function editionFile(name, progress) {
    if (window.qhInline && window.qhInline[name]) return Promise.resolve(base64Bytes(window.qhInline[name]));
    return fetch(name).then(function (response) {
      if (!response.ok) throw new Error(whyNot(name, null, response));
      var total = Number(response.headers.get('Content-Length')) || 0;
      if (!progress || !response.body || !response.body.getReader) return response.arrayBuffer().then(function (b) { return new Uint8Array(b); });
      var reader = response.body.getReader(), parts = [], received = 0;
      return (function next() {
        return reader.read().then(function (step) {
          if (step.done) {
            var bytes = new Uint8Array(received), at = 0;
            parts.forEach(function (part) { bytes.set(part, at); at += part.length; });
            return bytes;
          }
          parts.push(step.value);
          received += step.value.length;
          progress(received, total);
          return next();
        });
      })();
    }, function (error) { throw new Error(whyNot(name, error, null)); });
  }

  // ---- the module, fetched here so the page can show how far it has come
  Module.instantiateWasm = function (imports, receive) {
    say('Opening ' + bookTitle() + '…', true);
    editionFile('index.wasm', function (received, total) {
      say('Loading ' + bookTitle() + ': ' + (total ? Math.floor(100 * received / total) + '% of ' + megabytes(total)
                                                  : megabytes(received)), true);
    }).then(function (bytes) {
      say('Starting ' + bookTitle() + '…', true);
      return WebAssembly.instantiate(bytes, imports).catch(function (error) {
        throw new Error('index.wasm is damaged or not this edition\'s (' + error.message + '). Put the edition\'s own ' +
                        'index.wasm beside index.html and reload the page.');
      });
    }).then(function (result) {
      receive(result.instance, result.module);
    }, function (error) {
      fail('The book could not be opened: ' + error.message);
    });
    return {};
  };
  Module.onAbort = function (what) {
    fail('The reader stopped (' + what + '). Reload the page to open the book again; your place from the last page turn is kept.');
  };
  var present = qh.present;
  qh.present = function (pixels, width, height) {
    if (loadingSaid) say('');   // the book is on screen: the progress line has done its work
    present(pixels, width, height);
  };

  // ---- pictures at the screen's scale: one file per scale, fetched when the reader
  // first needs it ("QHPX", a count, then id, offset and size per picture, then PNGs)
  var pictureFiles = {};
  function readPictureFile(bytes) {
    var view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    if (bytes.length < 8 || String.fromCharCode(bytes[0], bytes[1], bytes[2], bytes[3]) !== 'QHPX')
      throw new Error('not a picture file of this edition');
    var count = view.getUint32(4, true), index = {};
    if (8 + 12 * count > bytes.length) throw new Error('the picture file is cut short');
    for (var i = 0; i < count; i++) {
      var at = 8 + 12 * i, offset = view.getUint32(at + 4, true), size = view.getUint32(at + 8, true);
      if (offset + size > bytes.length) throw new Error('the picture file is cut short');
      index[view.getUint32(at, true)] = bytes.subarray(offset, offset + size);
    }
    return index;
  }
  function pictureFile(scale) {
    if (!pictureFiles[scale]) {
      var name = 'pictures-' + scale + '.bin';
      pictureFiles[scale] = editionFile(name).then(readPictureFile);
      pictureFiles[scale].catch(function (error) {
        delete pictureFiles[scale];   // the next picture asks again
        tell('pictures-' + scale, 'The sharp pictures for this screen did not load (' + error.message.replace(/\.$/, '') +
             '); they are shown enlarged until they do.');
      });
    }
    return pictureFiles[scale];
  }
  var decoded = [];   // {key, bitmap}, the latest last
  function rememberPicture(key, bitmap) {
    decoded.push({ key: key, bitmap: bitmap });
    if (decoded.length > KEPT_PICTURES) decoded.shift().bitmap.close();
  }
  function keptPicture(key) {
    for (var i = 0; i < decoded.length; i++) if (decoded[i].key === key) return decoded[i].bitmap;
    return null;
  }
  // The browser's decoder, asked to leave the colours as they are: the PNG holds the
  // exact pixels the desktop reader draws.
  function decodePicture(scale, id) {
    return pictureFile(scale).then(function (index) {
      if (!index[id]) return null;
      return createImageBitmap(new Blob([index[id]], { type: 'image/png' }),
                               { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    });
  }
  var copier = null;
  function copyPicture(bitmap, at, capacity, sizeAt) {
    var w = bitmap.width, h = bitmap.height;
    if (w * h > capacity) return 0;
    if (!copier) copier = document.createElement('canvas');
    copier.width = w;
    copier.height = h;
    var g = copier.getContext('2d', { willReadFrequently: true });
    g.drawImage(bitmap, 0, 0);
    var rgba = g.getImageData(0, 0, w, h).data, out = HEAPU32, base = at >> 2;
    for (var i = 0, n = w * h; i < n; i++) out[base + i] = (rgba[4 * i] << 16) | (rgba[4 * i + 1] << 8) | rgba[4 * i + 2];
    HEAP32[sizeAt >> 2] = w;
    HEAP32[(sizeAt >> 2) + 1] = h;
    return 1;
  }
  // Called by the reader (platform/backend_web.cpp) in its own loop, which waits until
  // wakeUp; a picture decoded before is copied at once. noWaiting: a call from outside
  // the reader's loop (the benchmark's page turn), which cannot wait.
  qh.rendering = function (id, scale, at, capacity, sizeAt, wakeUp) {
    var key = scale + ':' + id, kept = keptPicture(key);
    if (kept) return wakeUp(copyPicture(kept, at, capacity, sizeAt));
    if (qh.noWaiting) return wakeUp(0);
    decodePicture(scale, id).then(function (bitmap) {
      if (!bitmap) return wakeUp(0);
      rememberPicture(key, bitmap);
      wakeUp(copyPicture(bitmap, at, capacity, sizeAt));
    }, function () { wakeUp(0); });
  };

  // For the benchmark: a page turn made from outside the reader's loop, which cannot
  // wait for a picture to be decoded (one not decoded yet is grown instead).
  qh.turnTo = function (paragraph) {
    qh.noWaiting = true;
    try {
      Module._qh_web_turn_to(paragraph);
    } finally {
      qh.noWaiting = false;
    }
  };

  // ---- storage: asked to persist; a record that cannot be written is said once
  qh.storageFailed = function (error) {
    tell('storage', 'This browser is not keeping your place in the book: its storage cannot be written (' +
         (error && error.name || error) + '). Use "Save reading" below to keep the reading in a file.');
  };
  function checkStorage() {
    try {
      localStorage.setItem('quietharbour/probe', '1');
      localStorage.removeItem('quietharbour/probe');
    } catch (error) {
      qh.storageFailed(error);
      return;
    }
    if (navigator.storage && navigator.storage.persist) navigator.storage.persist().catch(function () {});
  }

  // ---- the browser's history: an entry per story page turn; Back is the book's previous
  // arrow where there is one and otherwise stays in the book (web/page_history.cpp)
  var depth = 0, backs = 0;
  function pushEntry() {
    history.pushState({ quietHarbour: ++depth }, '');
  }
  qh.storyTurned = function () { pushEntry(); };
  qh.stayInBook = function () { pushEntry(); };
  qh.takeBack = function () {
    if (!backs) return false;
    backs--;
    return true;
  };
  // The first entry waits for the reader's first touch or key: browsers skip entries a
  // page made before the reader did anything.
  function guardOnFirstUse() {
    if (depth === 0 && qh.state === 'reading') pushEntry();
  }
  window.addEventListener('pointerdown', guardOnFirstUse, true);
  window.addEventListener('keydown', guardOnFirstUse, true);
  window.addEventListener('popstate', function (e) {
    var to = e.state && e.state.quietHarbour || 0;
    if (to >= depth) { depth = to; return; }   // Forward: nothing to do
    depth = to;
    if (qh.state !== 'reading') return;
    backs++;
    qh.wake();
  });

  // ---- states: the closed page after Exit, a refused tab that waits for its turn
  var closed = document.getElementById('closed');
  var setState = qh.setState;
  qh.setState = function (state) {
    setState(state);
    if (state === 'reading' && !qh.storageChecked) {
      qh.storageChecked = true;
      checkStorage();
    }
    if (state === 'closed') {
      document.getElementById('closed-title').textContent = bookTitle();
      closed.hidden = false;
      document.getElementById('reopen').focus();
    }
    if (state === 'refused') waitForTheOtherTab();
  };
  document.getElementById('reopen').addEventListener('click', function () { location.reload(); });
  // The other tab's lock comes free when it closes: this tab then opens the book afresh,
  // at the place that tab kept.
  function waitForTheOtherTab() {
    say('The book is open in another tab: read it there. This tab takes over when that one is closed.');
    if (!navigator.locks) return;
    navigator.locks.request(LOCK_NAME, function () { setTimeout(function () { location.reload(); }, 0); });
  }

  // ---- a script's reader from a given record (quietHarbour.run's options.save)
  qh.takeScriptRecord = function () {
    var job = qh.currentScript && qh.currentScript();
    return job && job.record || null;
  };

  // ---- the reading saved to a file and loaded from one: the save file's 2544 bytes,
  // the same as the desktop reader's QTL2quietharbour.dat
  function readingOpen() { return qh.state === 'reading' && qh.lockHeld; }
  function currentRecord() {
    Module._qh_web_page_hidden();   // the reader writes its place now
    return FS.readFile(SAVE_PATH);
  }
  document.getElementById('save-reading').addEventListener('click', function () {
    if (!readingOpen()) return;
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([currentRecord()], { type: 'application/octet-stream' }));
    link.download = SAVE_FILE_NAME;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 1000);
  });
  var loadedRecord = null;
  // Why bytes are not a saved reading, or null when they are one.
  function notARecord(bytes) {
    if (bytes.length !== RECORD_SIZE) return 'it is ' + bytes.length + ' bytes long, and a saved reading is ' + RECORD_SIZE;
    var version = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength).getInt32(28, true);
    if (version !== RECORD_VERSION) return 'its version is ' + version + ', and a saved reading\'s is ' + RECORD_VERSION;
    return null;
  }
  qh.notARecord = notARecord;
  var chooser = document.getElementById('reading-file');
  document.getElementById('load-reading').addEventListener('click', function () {
    if (readingOpen()) chooser.click();
  });
  chooser.addEventListener('change', function () {
    var file = chooser.files && chooser.files[0];
    chooser.value = '';
    if (!file) return;
    file.arrayBuffer().then(function (buffer) {
      var bytes = new Uint8Array(buffer), why = notARecord(bytes);
      if (why) {
        noticesShown['load'] = false;
        tell('load', '"' + file.name + '" is not a saved reading (' + why + '). Nothing was changed.');
        return;
      }
      if (!readingOpen()) return;
      loadedRecord = bytes;
      Module._qh_web_quit();   // the reader stops, keeps its place, and starts again from this record
      qh.wake();
    });
  });
  qh.putLoadedRecord = function () {
    if (!loadedRecord) return false;
    FS.writeFile(SAVE_PATH, loadedRecord);
    qh.store(SAVE_PATH, loadedRecord);
    loadedRecord = null;
    return true;
  };

  // ---- offline and installable: the service worker keeps the edition's files
  if ('serviceWorker' in navigator && location.protocol !== 'file:' && !window.qhInline) {
    window.addEventListener('load', function () {
      navigator.serviceWorker.register('sw.js').catch(function (error) {
        console.warn('Quiet Harbour: the edition cannot be kept for offline reading (' + error.message + ')');
      });
    });
  }
})(Module.qh);
