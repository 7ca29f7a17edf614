// The web edition's figures in headless Chromium: the time to the first page on screen
// from a local server, the page turn to the book's longest paragraph (median of 100,
// timed inside the page, painting and putting the frame on the canvas included), and
// the folder's size, plain and gzipped.
//
// usage: node bench/web_bench.js [build-web/web]     (after make web and scripts/install-deps)
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const modules = path.join(__dirname, '..', 'tests', 'web', 'node_modules');
const puppeteer = require(path.join(modules, 'puppeteer-core'));
const { serve } = require(path.join(__dirname, '..', 'tests', 'web', 'server.js'));

const folder = process.argv[2] || path.join(__dirname, '..', 'build-web', 'web');
const TURNS = 100;

// What a first visit at device scale S downloads: the page, the module, the service
// worker, the app manifest and the pictures of scale S only.
function firstVisit(name, scale) {
  return ['index.html', 'index.js', 'index.wasm', 'sw.js', 'app.webmanifest'].includes(name) ||
         name === 'pictures-' + scale + '.bin';
}

function sizes() {
  let plain = 0, gzipped = 0;
  const visits = {};
  const total = (s) => `${String(s.plain).padStart(9)} bytes  gzip ${String(s.gzipped).padStart(8)}` +
                       `  (${(s.plain / 1048576).toFixed(2)} MB, gzip ${(s.gzipped / 1048576).toFixed(2)} MB)`;
  for (const name of fs.readdirSync(folder).sort()) {
    const data = fs.readFileSync(path.join(folder, name));
    const gz = zlib.gzipSync(data, { level: 9 }).length;
    plain += data.length;
    gzipped += gz;
    for (const scale of [1, 2, 3, 4]) {
      visits[scale] = visits[scale] || { plain: 0, gzipped: 0 };
      if (firstVisit(name, scale)) visits[scale].plain += data.length, visits[scale].gzipped += gz;
    }
    console.log(`  ${name.padEnd(16)} ${String(data.length).padStart(9)} bytes  gzip ${String(gz).padStart(8)}`);
  }
  console.log(`  ${'the folder'.padEnd(16)} ${total({ plain, gzipped })}`);
  for (const scale of [1, 2, 3, 4]) console.log(`  ${('first visit, S=' + scale).padEnd(16)} ${total(visits[scale])}`);
  for (const name of fs.readdirSync(path.dirname(folder)).filter((n) => n.endsWith('.html'))) {
    const size = fs.statSync(path.join(path.dirname(folder), name)).size;
    console.log(`  one file: ${name} ${size} bytes (${(size / 1048576).toFixed(2)} MB)`);
  }
}

(async () => {
  console.log('web folder ' + folder);
  sizes();
  const server = await serve(folder);
  const url = 'http://127.0.0.1:' + server.address().port + '/';
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qh-web-bench-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  try {
    const firsts = [];
    for (let run = 0; run < 5; run++) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
      await page.goto(url);
      await page.waitForFunction(() => window.quietHarbour && quietHarbour.firstFrameMs !== null);
      firsts.push(await page.evaluate(() => quietHarbour.firstFrameMs));   // from the start of navigation
      await context.close();
    }
    firsts.sort((a, b) => a - b);
    console.log(`first page on screen (phone, 390 x 844 at 3): median ${firsts[2].toFixed(0)} ms of 5 loads ` +
                `(${firsts.map((t) => t.toFixed(0)).join(', ')})`);
    // The canvas is laid out 240 x S CSS pixels wide at a device pixel ratio of 1: scale S.
    for (const scale of [1, 2, 3, 4]) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport({ width: 240 * scale, height: 320 * scale, deviceScaleFactor: 1 });
      await page.goto(url);
      await page.waitForFunction(() => window.quietHarbour && quietHarbour.state === 'reading');
      // The longest paragraph's pictures at this scale, fetched and decoded once.
      await page.evaluate((s) => quietHarbour.run('goto ' + Module._qh_web_longest_paragraph() + '\n', { scale: s }), scale);
      // Warm up: the caches, and Chromium's optimising compile of the module, which it
      // makes in the background once the code has run a while.
      await page.evaluate(() => {
        const paragraph = Module._qh_web_longest_paragraph();
        for (let i = 0; i < 300; i++) Module.qh.turnTo(paragraph);
      });
      await new Promise((resolve) => setTimeout(resolve, 1000));
      const result = await page.evaluate((turns) => {
        const paragraph = Module._qh_web_longest_paragraph();
        const times = [];
        for (let i = 0; i < turns; i++) {
          const start = performance.now();
          Module.qh.turnTo(paragraph);
          times.push(performance.now() - start);
        }
        // The page's clock is coarse (Chromium rounds it to 0.1 ms without cross-origin
        // isolation), so the median of 100 batches of 10 turns is given beside it.
        const batches = [];
        for (let i = 0; i < turns; i++) {
          const start = performance.now();
          for (let j = 0; j < 10; j++) Module.qh.turnTo(paragraph);
          batches.push((performance.now() - start) / 10);
        }
        times.sort((a, b) => a - b);
        batches.sort((a, b) => a - b);
        return { paragraph, scale: document.getElementById('screen').width / 240, median: times[turns >> 1],
                 fastest: times[0], slowest: times[turns - 1], batchMedian: batches[turns >> 1] };
      }, TURNS);
      console.log(`scale ${result.scale}: page turn to paragraph ${result.paragraph} (the longest), ${TURNS} turns: ` +
                  `median ${result.median.toFixed(3)} ms (fastest ${result.fastest.toFixed(3)}, slowest ` +
                  `${result.slowest.toFixed(3)}); median of 100 batches of 10: ${result.batchMedian.toFixed(3)} ms a turn`);
      await context.close();
    }
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
})().catch((e) => { console.error(e); process.exit(1); });
