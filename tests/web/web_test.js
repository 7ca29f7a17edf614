// The web edition in headless Chromium, against the native reader: the qh-play scripts
// through quietHarbour.run, the canvas against the headless backend's screenshots at
// scales 1 to 4 (pictures of every kind included), mouse clicks, touch taps and drags,
// the save record across a reload, a second tab, the screen-reader mirror in Chromium's
// accessibility tree; and the edition around the reader: Back, Exit, reading files,
// loading and failures in words, offline and installable, the one-file edition.
// (QH_SHOTS=DIR keeps screenshots of the loading line, a failed load and the closed page,
// and of the screen's fit at 100% and 200% on a phone and a desktop.)
// The keyboard's way through the mirror, axe-core's checks, and the screen's fit and zoom.
//
// usage: node web_test.js --web DIR --play QH_PLAY --book BOOK --scripts DIR
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
let puppeteer;
try {
  puppeteer = require('puppeteer-core');
} catch (e) {
  console.error('puppeteer-core is not installed in tests/web: run scripts/install-deps');
  process.exit(1);
}
const { serve } = require('./server.js');

const CHROMIUM = '/usr/bin/chromium';
const SAVE_KEY = 'quietharbour/QTL2quietharbour.dat';
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const DESKTOP = { width: 1280, height: 800, deviceScaleFactor: 1 };
// Windows in which the canvas is laid out 240 x S CSS pixels wide: device scales 1 to 4.
const AT_SCALE = { 1: { width: 240, height: 320, deviceScaleFactor: 1 },
                   2: { width: 480, height: 640, deviceScaleFactor: 1 },
                   3: { width: 720, height: 960, deviceScaleFactor: 1 },
                   4: { width: 960, height: 1280, deviceScaleFactor: 1 } };
const GALLERY = 23;   // the test book's page with a .pic, BMPs and a PNG

function options() {
  const o = {};
  const argv = process.argv.slice(2);
  for (let i = 0; i + 1 < argv.length; i += 2) o[argv[i].replace(/^--/, '')] = argv[i + 1];
  for (const need of ['web', 'play', 'book', 'scripts'])
    if (!o[need]) throw new Error('usage: node web_test.js --web DIR --play QH_PLAY --book BOOK --scripts DIR');
  return o;
}
const args = options();
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'qh-web-test-'));

// ---- the native reader
// A save record as the reader writes it: the story position, sound on, version 176.
function saveRecord(paragraph) {
  const record = Buffer.alloc(2544);
  record.writeInt16LE(paragraph, 0);
  record[2] = 1;
  record.writeInt32LE(176, 28);
  return record;
}

// Runs qh-play on the test book at a device scale; with a paragraph, from a save file
// that holds it.
let nativeRuns = 0;
function nativePlay(script, paragraph, scale) {
  const state = path.join(scratch, 'native-' + ++nativeRuns);
  fs.mkdirSync(path.join(state, 'quietharbour'), { recursive: true });
  if (paragraph) fs.writeFileSync(path.join(state, 'quietharbour', 'QTL2quietharbour.dat'), saveRecord(paragraph));
  const file = path.join(state, 'script.play');
  fs.writeFileSync(file, script);
  return execFileSync(args.play, ['--book', args.book, '--state', state, '--scale', String(scale || 1), file],
                      { encoding: 'utf8' });
}
function nativeScreenshot(script, paragraph, scale) {
  const png = path.join(scratch, 'shot-' + (nativeRuns + 1) + '.png');
  nativePlay(script + 'screenshot ' + png + '\n', paragraph, scale);
  return 'data:image/png;base64,' + fs.readFileSync(png).toString('base64');
}

// ---- the browser
let browser, url;
async function openReader(viewport, paragraph, context) {
  context = context || await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport(viewport);
  page.on('pageerror', (e) => console.log('page error: ' + e.message));
  if (paragraph) {
    // Stored once per tab, before the page's own scripts run; a reload keeps what the
    // reader itself wrote.
    await page.evaluateOnNewDocument((key, record) => {
      if (sessionStorage.getItem('seeded')) return;
      sessionStorage.setItem('seeded', '1');
      localStorage.setItem(key, record);
    }, SAVE_KEY, typeof paragraph === 'string' ? paragraph : saveRecord(paragraph).toString('base64'));
  }
  await page.goto(url);
  // reading, or (a refused tab) showing the reader's message box
  await page.waitForFunction(() => window.quietHarbour && quietHarbour.firstFrameMs !== null &&
                             (quietHarbour.state !== 'starting' || !quietHarbour.lockHeld), { timeout: 15000 });
  return { page, context };
}
async function waitForText(page, text) {
  await page.waitForFunction((t) => document.getElementById('mirror').textContent.includes(t), { timeout: 5000 }, text);
}
// A check that passes when what is awaited arrives in time.
async function checkArrives(name, waiting) {
  await waiting.then(() => check(name, true), (e) => check(name, false, e.message));
}
// The number of pixels that differ between the canvas (or a PNG) and a PNG.
async function differingPixels(page, expectedUrl, actualUrl) {
  return page.evaluate(async (expected, actual) => {
    async function pixels(source) {
      let image = source;
      if (source) {
        image = new Image();
        image.src = source;
        await image.decode();
      } else {
        image = document.getElementById('screen');
      }
      const c = document.createElement('canvas');
      c.width = image.width;
      c.height = image.height;
      const g = c.getContext('2d');
      g.drawImage(image, 0, 0);
      return { w: c.width, h: c.height, data: g.getImageData(0, 0, c.width, c.height).data };
    }
    const a = await pixels(expected), b = await pixels(actual);
    if (a.w !== b.w || a.h !== b.h) return 'sizes differ: ' + a.w + 'x' + a.h + ' and ' + b.w + 'x' + b.h;
    let differ = 0;
    for (let i = 0; i < a.data.length; i += 4)
      if (a.data[i] !== b.data[i] || a.data[i + 1] !== b.data[i + 1] || a.data[i + 2] !== b.data[i + 2]) differ++;
    return differ;
  }, expectedUrl, actualUrl);
}
// The page position of a word button's centre, from the mirror and the canvas's place.
async function buttonPoint(page, label) {
  return page.evaluate((l) => {
    const button = [...document.querySelectorAll('#mirror button')].find((b) => b.textContent === l);
    if (!button || button.dataset.x < 0) return null;
    const r = document.getElementById('screen').getBoundingClientRect();
    return { x: r.left + (Number(button.dataset.x) + 0.5) * r.width / 240,
             y: r.top + (Number(button.dataset.y) + 0.5) * r.height / 320 };
  }, label);
}
async function clickButton(page, label) {
  const at = await buttonPoint(page, label);
  await page.mouse.click(at.x, at.y);
}

// ---- the checks
const failures = [];
const started = Date.now();
function check(name, ok, detail) {
  console.log(((Date.now() - started) / 1000).toFixed(1).padStart(6) + ' ' + (ok ? 'ok   ' : 'FAIL ') + name + (ok || !detail ? '' : ': ' + detail));
  if (!ok) failures.push(name);
}

async function scriptsThroughRun() {
  const { page, context } = await openReader(DESKTOP);
  for (const name of fs.readdirSync(args.scripts).filter((f) => f.endsWith('.play')).sort()) {
    const script = fs.readFileSync(path.join(args.scripts, name), 'utf8');
    const expected = fs.readFileSync(path.join(args.scripts, name.replace(/\.play$/, '.expected')), 'utf8');
    const actual = await page.evaluate((s) => quietHarbour.run(s), script);
    check('script ' + name + ' through quietHarbour.run', actual.trimEnd() === expected.trimEnd(),
          'got\n' + actual);
  }
  // A line that cannot be carried out ends the run with qh-play's message, and the
  // reader goes on as before.
  const bad = await page.evaluate(() => quietHarbour.run('dump\ntap "No such button"\ndump\n'));
  check('a failing script line reports as qh-play does',
        /^script:2: error: no visible button labelled "No such button"$/m.test(bad) &&
        bad.split('page paragraph=').length === 2, bad);
  check('the reader goes on after a script', await page.evaluate(() => quietHarbour.state) === 'reading');
  await context.close();
}

async function pixelsAgainstHeadless() {
  for (const scale of [1, 2, 3, 4]) {
    // the live canvas of a fresh start: the first splash, or on a slow machine the
    // second if the first's 2 s are up before the canvas is read
    const { page, context } = await openReader(AT_SCALE[scale]);
    let fresh = await differingPixels(page, nativeScreenshot('', 0, scale), null);
    if (fresh !== 0) fresh = await differingPixels(page, nativeScreenshot('wait 2000\n', 0, scale), null);
    check(`the canvas at start equals the headless screenshot at scale ${scale}`, fresh === 0, fresh + ' pixels differ');
    // the live canvas of a reader opening on the page with every kind of picture
    const opened = await openReader(AT_SCALE[scale], GALLERY);
    await waitForText(opened.page, 'Gallery');
    await new Promise((resolve) => setTimeout(resolve, 300));
    const gallery = await differingPixels(opened.page, nativeScreenshot('', GALLERY, scale), null);
    check(`the page of .pic, BMP and PNG pictures equals the headless screenshot at scale ${scale}`, gallery === 0,
          gallery + ' pixels differ');
    const notice = await opened.page.evaluate(() => document.getElementById('notice').textContent);
    check(`the pictures of scale ${scale} arrive without a word of trouble`, notice === '', notice);
    await opened.context.close();
    // pages with pictures, buttons, an entry box and long text, through run's screenshots
    for (const paragraph of scale <= 2 ? [2, 8, 10, 16, GALLERY] : [8, GALLERY]) {
      const script = 'goto ' + paragraph + '\n';
      const shot = (await page.evaluate((s, n) => quietHarbour.run(s + 'screenshot page.png\n', { scale: n }),
                                        script, scale)).trim();
      const differ = await differingPixels(page, nativeScreenshot(script, 0, scale), shot);
      check(`paragraph ${paragraph} equals the headless screenshot at scale ${scale}`, differ === 0, differ + ' pixels differ');
    }
    await context.close();
  }
}

async function clickTapAndReload() {
  // a real mouse click on the desktop
  let { page, context } = await openReader(DESKTOP, 8);
  await waitForText(page, 'The Quay');
  await clickButton(page, 'Hire five sailors');
  await checkArrives('a mouse click opens the button\'s page', waitForText(page, 'Lighthouse'));
  await page.reload();
  await page.waitForFunction(() => quietHarbour.state === 'reading');
  await checkArrives('the place survives a reload', waitForText(page, 'Lighthouse'));

  // a second tab is the second instance: refused, and the stored place untouched
  const stored = await page.evaluate((k) => localStorage.getItem(k), SAVE_KEY);
  const second = (await openReader(DESKTOP, 0, context)).page;
  const refused = await second.evaluate(() => ({ held: quietHarbour.lockHeld,
                                                 status: document.getElementById('status').textContent }));
  const answer = await second.evaluate(() => Promise.race([
    quietHarbour.run('dump\n').then(() => 'ran', () => 'refused'),
    new Promise((resolve) => setTimeout(() => resolve('no answer'), 2000))]));
  check('a second tab refuses scripts', answer === 'refused', answer);
  const screen = await second.$('#screen');
  const box = await screen.boundingBox();
  await second.mouse.click(box.x + box.width / 2, box.y + box.height / 2);   // about where the box's OK is
  await second.close({ runBeforeUnload: false });
  check('a second tab is refused', !refused.held && /another tab/.test(refused.status), JSON.stringify(refused));
  check('a second tab touches nothing', stored === await page.evaluate((k) => localStorage.getItem(k), SAVE_KEY));
  await context.close();

  // a real touch tap on a phone
  ({ page, context } = await openReader(PHONE, 8));
  await waitForText(page, 'The Quay');
  const touchAt = await buttonPoint(page, 'Take the lantern');
  await page.touchscreen.tap(touchAt.x, touchAt.y);
  await checkArrives('a touch tap opens the button\'s page', waitForText(page, 'Lighthouse'));
  await context.close();
}

async function touchDragScrolls() {
  const { page, context } = await openReader(PHONE, 16);
  await waitForText(page, 'Long');
  const r = await (await page.$('#screen')).boundingBox();
  const lines = 3, cssPerLine = 16 * r.height / 320;
  const x = r.x + r.width / 2, y = r.y + r.height * 0.6;
  await page.touchscreen.touchStart(x, y);
  for (let step = 1; step <= 8; step++) await page.touchscreen.touchMove(x, y - step * (lines + 0.5) * cssPerLine / 8);
  await page.touchscreen.touchEnd();
  await page.waitForFunction(() => true);
  await new Promise((resolve) => setTimeout(resolve, 200));
  const scale = await page.evaluate(() => document.getElementById('screen').width / 240);
  const expected = nativeScreenshot('key Down\n'.repeat(lines), 16, scale);
  const differ = await differingPixels(page, expected, null);
  check('a touch drag scrolls the page by whole lines, as the keys do', differ === 0, differ + ' pixels differ');
  check('a touch drag does not tap', (await page.evaluate(() => document.getElementById('mirror').textContent)).includes('Long'));
  await context.close();
}

// Sound cues reach Web Audio from the packed WAV data, but only once a tap has let the
// page make sound: the cue of the first page is not heard, the one after a tap is.
async function soundAfterTheFirstTap() {
  const { page, context } = await openReader(DESKTOP, 8);
  await waitForText(page, 'The Quay');
  await new Promise((resolve) => setTimeout(resolve, 300));
  const before = await page.evaluate(() => quietHarbour.cuesStarted);
  await clickButton(page, 'Hire five sailors');
  await waitForText(page, 'Lighthouse');
  await clickButton(page, 'Back to the story');
  await waitForText(page, 'The Quay');
  await page.waitForFunction(() => quietHarbour.cuesStarted.length > 0, { timeout: 5000 }).catch(() => {});
  const after = await page.evaluate(() => quietHarbour.cuesStarted);
  check('a cue is silent before the first tap and plays through Web Audio after it',
        before.length === 0 && after.join() === 'GULLS', JSON.stringify({ before, after }));
  await context.close();
}

// The keys of keyboard play and the wheel do what they do on the desktop: the canvas
// after them equals the headless screen after the same keys and notches.
async function keysAndWheel() {
  let { page, context } = await openReader(DESKTOP, 8);
  await waitForText(page, 'The Quay');
  for (const key of ['Tab', 'Tab', 'Tab']) await page.keyboard.press(key);
  await page.keyboard.down('Shift');
  await page.keyboard.press('Tab');
  await page.keyboard.up('Shift');
  await new Promise((resolve) => setTimeout(resolve, 200));
  let scale = await page.evaluate(() => document.getElementById('screen').width / 240);
  let differ = await differingPixels(page, nativeScreenshot('key Tab\nkey Tab\nkey Tab\nkey Shift+Tab\n', 8, scale), null);
  check('keyboard play moves the focus as on the desktop', differ === 0, differ + ' pixels differ');
  await page.keyboard.press('Space');
  await checkArrives('Space presses the focused button', waitForText(page, 'Lighthouse'));
  await context.close();

  ({ page, context } = await openReader(DESKTOP, 16));
  await waitForText(page, 'Long');
  const r = await (await page.$('#screen')).boundingBox();
  await page.mouse.move(r.x + r.width / 2, r.y + r.height / 2);
  await page.mouse.wheel({ deltaY: 200 });
  await new Promise((resolve) => setTimeout(resolve, 200));
  scale = await page.evaluate(() => document.getElementById('screen').width / 240);
  differ = await differingPixels(page, nativeScreenshot('wheel 2\n', 16, scale), null);
  check('two wheel notches scroll as on the desktop', differ === 0, differ + ' pixels differ');
  await context.close();
}

// A stored record the reader cannot use is kept aside in storage, as it was stored, and
// the book starts afresh (sound on): one that is not base64, and a short one, which is
// what a short file is on the desktop (a fresh record: its sound byte, here off, decides
// nothing). The record is whole again once the page is hidden.
async function unusableRecords() {
  const cases = [['a record that is not base64', '%% not a record %%', 1],
                 ['a short record', Buffer.from([8, 0, 0, 0, 0, 0, 0, 0, 0, 0]).toString('base64'), 1]];
  for (const [name, stored, sound] of cases) {
    const { page, context } = await openReader(DESKTOP, stored);
    await page.waitForFunction(() => quietHarbour.state === 'reading');
    await page.evaluate(() => window.dispatchEvent(new Event('pagehide')));
    const after = await page.evaluate((k) => [localStorage.getItem(k), localStorage.getItem(k + '.unreadable')], SAVE_KEY);
    const record = Buffer.from(after[0] || '', 'base64');
    const whole = record.length === 2544 && record.readInt16LE(0) === 2 && record.readInt32LE(28) === 176;
    check(name + ' starts the book at its beginning and is written whole', whole && record[2] === sound,
          'length ' + record.length + (record.length ? ', paragraph ' + record.readInt16LE(0) + ', sound ' + record[2] : ''));
    check(name + ' is kept aside', after[1] === stored, String(after[1]));
    await context.close();
  }
}

async function mirrorInAccessibilityTree() {
  const { page, context } = await openReader(DESKTOP, 8);
  await waitForText(page, 'The Quay');
  const tree = await page.accessibility.snapshot();
  const buttons = [];
  (function walk(node) {
    if (!node) return;
    if (node.role === 'button') buttons.push(node.name);
    (node.children || []).forEach(walk);
  })(tree);
  const wanted = ['Take the lantern', 'Light it', 'Hire five sailors', 'Jump', 'Wander', 'Menu'];
  check('the accessibility tree lists the page\'s buttons', wanted.every((b) => buttons.includes(b)),
        'buttons: ' + JSON.stringify(buttons));
  console.log('     buttons in the accessibility tree: ' + buttons.join(', '));
  // pressing a mirrored button presses the reader's
  await page.evaluate(() => [...document.querySelectorAll('#mirror button')]
    .find((b) => b.textContent === 'Hire five sailors').click());
  await checkArrives('a mirrored button presses the reader\'s', waitForText(page, 'Lighthouse'));
  await context.close();
}

// ---- the keyboard's way through the mirror, axe-core, fit and zoom
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
async function active(page) {
  return page.evaluate(() => {
    const a = document.activeElement;
    return { tag: a.tagName, id: a.id, text: a.textContent.trim(), role: a.getAttribute('role'),
             inMirror: !!a.closest('#mirror') };
  });
}
// Where the canvas shows the focus ring's colour, in logical pixels; null where nowhere.
async function ringBox(page) {
  return page.evaluate(() => {
    const c = document.getElementById('screen');
    const s = c.width / 240;
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let box = null;
    for (let y = 0; y < c.height; y++)
      for (let x = 0; x < c.width; x++) {
        const i = 4 * (y * c.width + x);
        if (data[i] !== 0x1E || data[i + 1] !== 0x64 || data[i + 2] !== 0xDC) continue;
        const lx = Math.floor(x / s), ly = Math.floor(y / s);
        box = box ? { left: Math.min(box.left, lx), top: Math.min(box.top, ly), right: Math.max(box.right, lx),
                      bottom: Math.max(box.bottom, ly) } : { left: lx, top: ly, right: lx, bottom: ly };
      }
    return box;
  });
}
async function press(page, key) {
  await page.keyboard.press(key);
  await sleep(150);
}
async function waitForOver(page, open) {
  await page.waitForFunction((o) => (document.getElementById('mirror-over').innerHTML !== '') === o, { timeout: 5000 }, open);
}

// From a fresh page, by real key events only: Shift+Tab from nowhere is the last stop
// (Next), Enter turns to the story, Tab reaches its first choice and Enter takes it;
// then the menu's "Objective", then a message box answered with Escape. The browser's
// focus is on the matching mirror element each time, and the canvas shows the ring
// where the desktop reader shows it after the same keys.
async function keyboardOnly() {
  const { page, context } = await openReader(DESKTOP);
  await waitForText(page, 'INSTRUCTIONS');
  check('the canvas cannot take the focus', await page.evaluate(() => {
    const c = document.getElementById('screen');
    c.focus();
    return document.activeElement !== c && c.getAttribute('aria-hidden') === 'true';
  }));
  const scale = await page.evaluate(() => document.getElementById('screen').width / 240);
  await page.keyboard.down('Shift');
  await press(page, 'Tab');
  await page.keyboard.up('Shift');
  let a = await active(page);
  check('Shift+Tab from nowhere focuses the last stop, Next', a.inMirror && a.text === 'Next', JSON.stringify(a));
  await press(page, 'Enter');
  await waitForText(page, 'Go to the quay');
  await press(page, 'Tab');
  a = await active(page);
  check('Tab focuses the story\'s first choice in the mirror', a.tag === 'BUTTON' && a.text === 'Go to the quay', JSON.stringify(a));
  let differ = await differingPixels(page, nativeScreenshot('wait 4000\nkey Shift+Tab\nkey Return\nkey Tab\n', 0, scale), null);
  check('the canvas rings the control whose element has the focus', differ === 0, differ + ' pixels differ');
  await press(page, 'Enter');
  await checkArrives('Enter takes the first story choice', waitForText(page, 'The Quay'));
  // the menu: F10 opens it with its first item focused, Down moves, Enter chooses
  await press(page, 'F10');
  await waitForOver(page, true);
  a = await active(page);
  check('F10 opens the menu with its first item focused', a.role === 'menuitem' && a.text === 'Start at the Beginning', JSON.stringify(a));
  check('the page under the open menu is inert', await page.evaluate(() =>
    document.getElementById('mirror-page').inert && document.getElementById('mirror-tools').inert));
  for (let i = 0; i < 3; i++) await press(page, 'ArrowDown');
  a = await active(page);
  check('Down moves the focus to "Objective"', a.role === 'menuitem' && a.text === 'Objective', JSON.stringify(a));
  await press(page, 'Enter');
  await checkArrives('Enter chooses "Objective"', waitForText(page, 'Objective'));
  await waitForOver(page, false);
  // a message box: its default button has the focus, Escape is No
  await press(page, 'F10');
  await waitForOver(page, true);
  await press(page, 'b');
  await page.waitForFunction(() => !!document.querySelector('#mirror-over [role=alertdialog]'), { timeout: 5000 });
  await sleep(150);
  a = await active(page);
  check('a message box takes the focus on its default button', a.tag === 'BUTTON' && a.text === 'Yes' &&
        await page.evaluate(() => !!document.activeElement.closest('[role=alertdialog]')), JSON.stringify(a));
  await press(page, 'ArrowRight');
  a = await active(page);
  check('Right moves to No', a.text === 'No', JSON.stringify(a));
  await press(page, 'Escape');
  await checkArrives('Escape closes the box', waitForOver(page, false));
  check('Escape was No: the page stays', (await page.evaluate(() => document.getElementById('mirror-page').textContent)).includes('Objective'));
  // focusing an element (as a screen reader or a click would) moves the ring there too
  await page.evaluate(() => document.querySelector('#mirror-tools [data-tool="menu"]').focus());
  await sleep(200);
  const ring = await ringBox(page);
  check('an element focused in the mirror rings its control ("Menu", at the bar\'s left)',
        ring && ring.top >= 294 && ring.right < 60, JSON.stringify(ring));
  await context.close();
}

// The live region speaks once for a new page: scrolling leaves its content untouched.
async function announcedOnce() {
  const { page, context } = await openReader(DESKTOP, 16);
  await waitForText(page, 'Long');
  await page.evaluate(() => {
    window.pageChanges = 0;
    new MutationObserver(() => window.pageChanges++).observe(document.getElementById('mirror-page'),
                                                             { childList: true, subtree: true, characterData: true });
  });
  for (let i = 0; i < 4; i++) await press(page, 'ArrowDown');
  await press(page, 'PageDown');
  await press(page, 'End');
  check('scrolling does not rebuild the announced page', await page.evaluate(() => window.pageChanges) === 0);
  check('the live region is the page\'s part only', await page.evaluate(() =>
    document.getElementById('mirror-page').getAttribute('aria-live') === 'polite' &&
    !document.getElementById('mirror').hasAttribute('aria-live')));
  await context.close();
}

// axe-core, inside the page, on the start page, a story page with an answer box, the
// open menu and a message box: no violation of impact serious or critical. The menu's
// and the box's accessibility trees are printed.
async function axeChecks() {
  const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
  const runAxe = async (page, name) => {
    await page.evaluate(axeSource);
    const violations = await page.evaluate(async () =>
      (await axe.run(document, { resultTypes: ['violations'] })).violations.map((v) =>
        ({ id: v.id, impact: v.impact, nodes: v.nodes.length })));
    const grave = violations.filter((v) => v.impact === 'serious' || v.impact === 'critical');
    console.log('     axe-core on ' + name + ': ' + (violations.length ? JSON.stringify(violations) : 'no violations'));
    check('axe-core finds nothing serious on ' + name, grave.length === 0, JSON.stringify(grave));
  };
  // The node of this role in the whole page's accessibility tree (all of it: Chromium
  // leaves a dialog out of the "interesting" one), as JSON without the text boxes and
  // the plain containers.
  const tree = async (page, role) => {
    const find = (node) => node && (node.role === role ? node : (node.children || []).map(find).find(Boolean));
    const prune = (node) => {
      const children = (node.children || []).filter((c) => c.role !== 'InlineTextBox').map(prune).flat();
      if (node.role === 'generic' || node.role === 'none') return children;
      const out = { role: node.role, name: node.name };
      if (node.focused) out.focused = true;
      if (node.keyshortcuts) out.keyshortcuts = node.keyshortcuts;
      if (children.length) out.children = children;
      return [out];
    };
    const found = find(await page.accessibility.snapshot({ interestingOnly: false }));
    return JSON.stringify(found ? prune(found)[0] : null);
  };


  let { page, context } = await openReader(DESKTOP);
  await waitForText(page, 'INSTRUCTIONS');
  await runAxe(page, 'the start page');
  await context.close();
  ({ page, context } = await openReader(DESKTOP, 10));
  await page.waitForFunction(() => !!document.querySelector('#mirror input'), { timeout: 5000 });
  await runAxe(page, 'a story page with an answer box');
  await press(page, 'F10');
  await waitForOver(page, true);
  await runAxe(page, 'the open menu');
  const menu = await tree(page, 'menu');
  console.log('     the menu in the accessibility tree: ' + menu);
  check('the open menu is a menu of menu items', /"role":"menu"/.test(menu) && (menu.match(/"role":"menuitem"/g) || []).length === 9, menu);
  await press(page, 'b');
  await page.waitForFunction(() => !!document.querySelector('#mirror-over [role=alertdialog]'), { timeout: 5000 });
  await runAxe(page, 'a message box');
  const box = await tree(page, 'alertdialog');
  console.log('     the message box in the accessibility tree: ' + box);
  check('the message box is an alert dialog with its buttons', /"role":"alertdialog"/.test(box) &&
        /"name":"Yes"/.test(box) && /"name":"No"/.test(box) && /start again/.test(box), box);
  await press(page, 'Escape');
  await context.close();
}

// The screen fits the window by the smaller side at 100%, centred both ways, and grows
// with the browser's zoom (the device pixel ratio over the one the page opened with),
// the page scrolling once it no longer fits; the device scale follows, up to 4.
async function fitAndZoom() {
  const probe = await openReader(PHONE);
  const meta = await probe.page.evaluate(() => document.querySelector('meta[name=viewport]').content);
  check('pinch zoom is allowed', !/user-scalable\s*=\s*no|maximum-scale/.test(meta), meta);
  await probe.context.close();
  const cases = [
    ['phone', PHONE, { width: 195, height: 422, deviceScaleFactor: 6, isMobile: true, hasTouch: true }],
    ['desktop', DESKTOP, { width: 640, height: 400, deviceScaleFactor: 2 }],
  ];
  for (const [name, at100, at200] of cases) {
    const { page, context } = await openReader(at100, 8);
    await waitForText(page, 'The Quay');
    const measure = () => page.evaluate(() => {
      const r = document.getElementById('screen').getBoundingClientRect();
      const stage = document.getElementById('stage');
      return { left: r.left + stage.scrollLeft, top: r.top + stage.scrollTop, width: r.width, height: r.height,
               vw: innerWidth, vh: innerHeight, ratio: devicePixelRatio, canvas: document.getElementById('screen').width,
               scrolls: stage.scrollWidth > stage.clientWidth || stage.scrollHeight > stage.clientHeight };
    });
    const one = await measure();
    const fit = Math.min(one.vw, one.vh * 240 / 320);
    check(name + ' at 100%: the screen fits by the smaller side, centred', Math.abs(one.width - fit) <= 1 &&
          Math.abs(one.left - (one.vw - one.width) / 2) <= 1 && Math.abs(one.top - (one.vh - one.height) / 2) <= 1 &&
          !one.scrolls, JSON.stringify(one));
    check(name + ' at 100%: the scale follows the drawn size',
          one.canvas === 240 * Math.min(4, Math.ceil(one.width * one.ratio / 240 - 1e-6)), JSON.stringify(one));
    if (process.env.QH_SHOTS) await page.screenshot({ path: path.join(process.env.QH_SHOTS, name + '-100.png') });
    await page.setViewport(at200);
    await sleep(400);
    const two = await measure();
    check(name + ' at 200%: the screen is drawn twice as large and the page scrolls',
          Math.abs(two.width * two.ratio - 2 * one.width * one.ratio) <= 2 && two.scrolls, JSON.stringify(two));
    check(name + ' at 200%: the scale follows, up to 4',
          two.canvas === 240 * Math.min(4, Math.ceil(two.width * two.ratio / 240 - 1e-6)), JSON.stringify(two));
    if (process.env.QH_SHOTS) await page.screenshot({ path: path.join(process.env.QH_SHOTS, name + '-200.png') });
    await context.close();
  }
}

// ---- the edition around the reader

// A script leaves the visible reader on its page, scrolled as it was; options.save starts
// the script's reader from that record, and a record that is not one is refused.
async function scriptsLeaveTheReader() {
  const { page, context } = await openReader(DESKTOP, 16);
  await waitForText(page, 'Long');
  await page.focus('#screen');
  for (let i = 0; i < 3; i++) await page.keyboard.press('ArrowDown');
  await new Promise((resolve) => setTimeout(resolve, 200));
  const scale = await page.evaluate(() => document.getElementById('screen').width / 240);
  await page.evaluate(() => quietHarbour.run('goto 10\ndump\n'));
  await new Promise((resolve) => setTimeout(resolve, 300));
  const differ = await differingPixels(page, nativeScreenshot('key Down\n'.repeat(3), 16, scale), null);
  check('after a script the reader shows its page scrolled as before', differ === 0, differ + ' pixels differ');
  const fromRecord = await page.evaluate((record) => quietHarbour.run('dump\n', { save: record }),
                                         saveRecord(10).toString('base64'));
  check('options.save starts the script\'s reader from that record', /^page paragraph=10 story=10 /.test(fromRecord),
        fromRecord.split('\n')[0]);
  const refused = await page.evaluate(() => quietHarbour.run('dump\n', { save: btoa('short') }).then(
    () => 'ran', (e) => e.message));
  check('options.save that is not a save record is refused', /not a save record/.test(refused), refused);
  await context.close();

  // a fresh start past its splashes, on the title page: no splash again after a script
  const fresh = await openReader(DESKTOP);
  await new Promise((resolve) => setTimeout(resolve, 4500));
  await fresh.page.evaluate(() => quietHarbour.run('dump\n'));
  await new Promise((resolve) => setTimeout(resolve, 300));
  const title = await differingPixels(fresh.page, nativeScreenshot('wait 4000\n', 0, scale), null);
  check('after a script the title page stays, without the splashes again', title === 0, title + ' pixels differ');
  await fresh.context.close();
}

// The browser's history: a page turn is an entry; Back is the book's previous arrow
// where the page has one, and otherwise stays on the page, in the book.
async function backStaysInTheBook() {
  const { page, context } = await openReader(DESKTOP, 8);
  await waitForText(page, 'The Quay');
  await clickButton(page, 'Hire five sailors');
  await waitForText(page, 'Lighthouse');
  const before = page.url();
  for (let i = 0; i < 3; i++) {
    await page.evaluate(() => history.back());
    await new Promise((resolve) => setTimeout(resolve, 300));
  }
  const stayed = await page.evaluate(() => [location.href, quietHarbour.state,
                                            document.getElementById('mirror').textContent.includes('Lighthouse')]);
  check('Back on a page without a previous arrow stays on it, in the book',
        stayed[0] === before && stayed[1] === 'reading' && stayed[2], JSON.stringify(stayed));
  await clickButton(page, 'Back to the story');
  await waitForText(page, 'The Quay');
  await page.evaluate(() => history.back());
  await checkArrives('Back follows the page\'s previous arrow', waitForText(page, 'book begins'));
  await context.close();
}

// Menu > Exit: the canvas gives way to a readable closed page whose button opens the
// book again at the kept place.
async function exitShowsTheClosedPage() {
  const { page, context } = await openReader(DESKTOP, 8);
  await waitForText(page, 'The Quay');
  // the Menu button, then Exit, the pop-up's last item, where the screen shows them
  const r = await (await page.$('#screen')).boundingBox();
  const tap = (x, y) => page.mouse.click(r.x + (x + 0.5) * r.width / 240, r.y + (y + 0.5) * r.height / 320);
  await tap(20, 307);
  await new Promise((resolve) => setTimeout(resolve, 300));
  await tap(30, 283);
  await page.waitForFunction(() => quietHarbour.state === 'closed', { timeout: 5000 }).catch(() => {});
  const shown = await page.evaluate(() => {
    const closed = document.getElementById('closed');
    const style = getComputedStyle(closed);
    return { state: quietHarbour.state, visible: !closed.hidden, text: closed.textContent.replace(/\s+/g, ' ').trim(),
             colour: style.color, background: style.backgroundColor,
             canvas: getComputedStyle(document.getElementById('screen')).visibility };
  });
  if (process.env.QH_SHOTS) await page.screenshot({ path: path.join(process.env.QH_SHOTS, 'exit.png') });
  check('Exit shows the closed page, dark on light, the screen put away',
        shown.state === 'closed' && shown.visible && /is closed/.test(shown.text) && shown.colour === 'rgb(26, 26, 26)' &&
        shown.background === 'rgb(244, 241, 234)' && shown.canvas === 'hidden', JSON.stringify(shown));
  await page.click('#reopen');
  await page.waitForFunction(() => window.quietHarbour && quietHarbour.state === 'reading', { timeout: 15000 });
  await checkArrives('the closed page opens the book again at its place', waitForText(page, 'The Quay'));
  await context.close();
}

// A refused second tab waits, and opens the book at the first tab's place once that tab
// is closed.
async function secondTabTakesOver() {
  const { page, context } = await openReader(DESKTOP, 8);
  await waitForText(page, 'The Quay');
  await clickButton(page, 'Hire five sailors');
  await waitForText(page, 'Lighthouse');
  const second = (await openReader(DESKTOP, 0, context)).page;
  const waiting = await second.evaluate(() => document.getElementById('status').textContent);
  check('a refused tab says it takes over later', /takes over/.test(waiting), waiting);
  await page.close({ runBeforeUnload: false });
  await second.waitForFunction(() => window.quietHarbour && quietHarbour.state === 'reading' && quietHarbour.lockHeld,
                               { timeout: 15000 }).catch(() => {});
  await checkArrives('the waiting tab takes over at the stored place', waitForText(second, 'Lighthouse'));
  await context.close();
}

// The reading saved to a file holds the bytes the desktop reader writes after the same
// turns; a file that is not a reading is refused and changes nothing; a reading loaded
// from a file opens at its place.
async function readingFiles() {
  const { page, context } = await openReader(DESKTOP, 8);
  await waitForText(page, 'The Quay');
  await clickButton(page, 'Hire five sailors');
  await waitForText(page, 'Lighthouse');
  await page.evaluate(() => {
    window.savedReading = null;
    HTMLAnchorElement.prototype.click = function () {
      fetch(this.href).then((r) => r.arrayBuffer()).then((b) => { window.savedReading = Array.from(new Uint8Array(b)); });
    };
  });
  await page.click('#save-reading');
  await page.waitForFunction(() => window.savedReading !== null, { timeout: 5000 });
  const saved = Buffer.from(await page.evaluate(() => window.savedReading));
  const state = path.join(scratch, 'desktop-save');
  fs.mkdirSync(path.join(state, 'quietharbour'), { recursive: true });
  fs.writeFileSync(path.join(state, 'quietharbour', 'QTL2quietharbour.dat'), saveRecord(8));
  fs.writeFileSync(path.join(state, 'walk.play'), 'tap "Hire five sailors"\nexit\n');
  execFileSync(args.play, ['--book', args.book, '--state', state, path.join(state, 'walk.play')]);
  const desktop = fs.readFileSync(path.join(state, 'quietharbour', 'QTL2quietharbour.dat'));
  check('the saved reading has the desktop reader\'s bytes', saved.equals(desktop),
        saved.length + ' bytes, first difference at ' + saved.findIndex((b, i) => b !== desktop[i]));

  const chooser = await page.$('#reading-file');
  const stored = await page.evaluate((k) => localStorage.getItem(k), SAVE_KEY);
  const wrong = path.join(scratch, 'notes.txt');
  fs.writeFileSync(wrong, 'not a reading');
  await chooser.uploadFile(wrong);
  await page.waitForFunction(() => document.getElementById('notice').textContent.includes('notes.txt'), { timeout: 5000 })
    .catch(() => {});
  const refused = await page.evaluate((k) => [document.getElementById('notice').textContent, localStorage.getItem(k),
                                              document.getElementById('mirror').textContent.includes('Lighthouse')], SAVE_KEY);
  check('a file that is not a reading is refused in words and changes nothing',
        /not a saved reading/.test(refused[0]) && refused[1] === stored && refused[2], JSON.stringify(refused));

  const reading = path.join(scratch, 'QTL2quietharbour.dat');
  fs.writeFileSync(reading, saveRecord(16));
  await chooser.uploadFile(reading);
  await checkArrives('a reading loaded from a file opens at its place', waitForText(page, 'Long'));
  await page.evaluate(() => window.dispatchEvent(new Event('pagehide')));
  const kept = Buffer.from(await page.evaluate((k) => localStorage.getItem(k), SAVE_KEY), 'base64');
  check('the loaded reading is the one kept', kept.readInt16LE(0) === 16, 'paragraph ' + kept.readInt16LE(0));
  await context.close();
}

// Loading says how far it has come; a missing file and storage that cannot be written
// are said in words, the storage once.
async function loadingAndFailureInWords() {
  let context = await browser.createBrowserContext();
  let page = await context.newPage();
  await page.setViewport(DESKTOP);
  const cdp = await page.target().createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 20, downloadThroughput: 1000000,
                                                         uploadThroughput: 1000000 });
  await page.goto(url);
  const line = await page.waitForFunction(() => {
    const text = document.getElementById('status').textContent;
    return /^Loading .*: (\d+% of )?[\d.]+ MB$/.test(text) && text;
  }, { timeout: 15000, polling: 50 }).then((h) => h.jsonValue(), () => 'none');
  if (process.env.QH_SHOTS) await page.screenshot({ path: path.join(process.env.QH_SHOTS, 'loading.png') });
  check('loading shows a progress line', line !== 'none', line);
  await context.close();

  context = await browser.createBrowserContext();
  page = await context.newPage();
  await page.setViewport(DESKTOP);
  await page.evaluateOnNewDocument((key, record) => {
    if (!sessionStorage.getItem('seeded')) localStorage.setItem(key, record);
    sessionStorage.setItem('seeded', '1');
    Storage.prototype.setItem = function () { throw new DOMException('full', 'QuotaExceededError'); };
  }, SAVE_KEY, saveRecord(8).toString('base64'));
  await page.goto(url);
  await waitForText(page, 'The Quay');
  await clickButton(page, 'Hire five sailors');
  await waitForText(page, 'Lighthouse');
  await clickButton(page, 'Back to the story');
  await waitForText(page, 'The Quay');
  await new Promise((resolve) => setTimeout(resolve, 200));
  const lines = await page.evaluate(() => [...document.querySelectorAll('#notice p')].map((p) => p.textContent));
  check('storage that cannot be written is said once', lines.length === 1 && /not keeping your place/.test(lines[0]),
        JSON.stringify(lines));
  await context.close();

  // an edition folder with one of its files missing, on a server of its own
  for (const missing of ['index.wasm', 'index.js']) {
    const folder = path.join(scratch, 'without-' + missing);
    fs.cpSync(args.web, folder, { recursive: true });
    fs.rmSync(path.join(folder, missing));
    const own = await serve(folder);
    context = await browser.createBrowserContext();
    page = await context.newPage();
    await page.setViewport(DESKTOP);
    await page.goto('http://127.0.0.1:' + own.address().port + '/');
    const said = await page.waitForFunction(() => document.getElementById('notice').textContent, { timeout: 15000 })
      .then((h) => h.jsonValue(), () => '');
    if (process.env.QH_SHOTS && missing === 'index.wasm') await page.screenshot({ path: path.join(process.env.QH_SHOTS, 'failed.png') });
    check(`a missing ${missing} is said, with what to do`, said.includes(missing) && /reload the page/i.test(said), said);
    await context.close();
    own.close();
  }

}

// After one visit the book opens without the network at the place it was left, and the
// browser finds the edition installable.
async function offlineAndInstallable() {
  const own = await serve(args.web);
  const ownUrl = 'http://127.0.0.1:' + own.address().port + '/';
  // the browser's own profile: a private context is never offered an install
  const page = await browser.defaultBrowserContext().newPage();
  await page.setViewport(DESKTOP);
  await page.evaluateOnNewDocument((key, record) => {
    if (!sessionStorage.getItem('seeded')) localStorage.setItem(key, record);
    sessionStorage.setItem('seeded', '1');
  }, SAVE_KEY, saveRecord(8).toString('base64'));
  await page.goto(ownUrl);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null || navigator.serviceWorker.ready
    .then(() => false), { timeout: 15000 }).catch(() => {});
  await page.evaluate(() => navigator.serviceWorker.ready);
  await waitForText(page, 'The Quay');
  await clickButton(page, 'Hire five sailors');
  await waitForText(page, 'Lighthouse');
  await new Promise((resolve) => setTimeout(resolve, 500));
  const cdp = await page.target().createCDPSession();
  const installability = await cdp.send('Page.getInstallabilityErrors');
  const manifest = await cdp.send('Page.getAppManifest');
  check('the browser finds the edition installable', installability.installabilityErrors.length === 0,
        JSON.stringify(installability.installabilityErrors));
  check('the app manifest is named after the book', /"name": "Quiet Harbour Test"/.test(manifest.data || ''), manifest.url);
  own.closeAllConnections();
  await new Promise((resolve) => own.close(resolve));
  await page.reload();
  await page.waitForFunction(() => window.quietHarbour && quietHarbour.state === 'reading', { timeout: 15000 })
    .catch(() => {});
  await checkArrives('without the server a reload opens the book at its place', waitForText(page, 'Lighthouse'));
  const notice = await page.evaluate(() => document.getElementById('notice').textContent);
  check('offline, the pictures of the screen\'s scale come from the kept edition', notice === '', notice);
  await page.close();
}

// The one-file edition opens from a file:// address, with the pictures of every scale
// inside it, and reads as the served edition does.
async function oneFileEdition() {
  const file = path.join(path.dirname(path.resolve(args.web)), path.basename(args.book, '.book') + '.html');
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport(AT_SCALE[2]);
  await page.evaluateOnNewDocument((key, record) => {
    if (!sessionStorage.getItem('seeded')) localStorage.setItem(key, record);
    sessionStorage.setItem('seeded', '1');
  }, SAVE_KEY, saveRecord(8).toString('base64'));
  await page.goto('file://' + file);
  await page.waitForFunction(() => window.quietHarbour && quietHarbour.state === 'reading', { timeout: 15000 })
    .catch(() => {});
  await checkArrives('the one-file edition opens from file://', waitForText(page, 'The Quay'));
  const at = await buttonPoint(page, 'Hire five sailors');
  if (at) await page.mouse.click(at.x, at.y);
  await checkArrives('the one-file edition turns pages', waitForText(page, 'Lighthouse'));
  for (const scale of [2, 4]) {
    const shot = (await page.evaluate((n) => quietHarbour.run('goto 23\nscreenshot page.png\n', { scale: n }), scale)).trim();
    const differ = await differingPixels(page, nativeScreenshot('goto 23\n', 0, scale), shot);
    check(`the one-file edition's pictures at scale ${scale} equal the headless screenshot`, differ === 0, differ + ' pixels differ');
  }
  await context.close();
}

// Each group has a browser of its own (a fresh profile), so one that brings Chromium
// down, or leaves a worker or a lock behind, touches no other.
let launches = 0;
function launchBrowser() {
  return puppeteer.launch({
    executablePath: CHROMIUM, headless: true, userDataDir: path.join(scratch, 'profile-' + ++launches),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
}

(async () => {
  const server = await serve(args.web);
  url = 'http://127.0.0.1:' + server.address().port + '/';
  // QH_WEB_ONLY=name,name runs only those groups (while working on them)
  const only = process.env.QH_WEB_ONLY ? process.env.QH_WEB_ONLY.split(',') : null;
  const groups = [scriptsThroughRun, pixelsAgainstHeadless, clickTapAndReload, touchDragScrolls, keysAndWheel,
                  unusableRecords, soundAfterTheFirstTap, mirrorInAccessibilityTree, scriptsLeaveTheReader,
                  backStaysInTheBook, exitShowsTheClosedPage, secondTabTakesOver, readingFiles,
                  loadingAndFailureInWords, offlineAndInstallable, oneFileEdition, keyboardOnly, announcedOnce,
                  axeChecks, fitAndZoom];
  for (const group of groups) {
    if (only && !only.includes(group.name)) continue;
    browser = await launchBrowser();
    try {
      await group();
    } catch (e) {
      check(group.name + ' went through', false, e.stack);
    } finally {
      await browser.close().catch(() => {});
    }
  }
  server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
  console.log(failures.length ? failures.length + ' check(s) failed' : 'all checks passed');
  process.exit(failures.length ? 1 : 0);
})();
