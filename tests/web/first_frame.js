// How long the page takes to its first frame: the served multi-file page and the one file from
// disk, taken in turn, five times each, in one engine; with where the time goes on the way.
// Usage: node tests/web/first_frame.js chromium|firefox BUILD_WEB_DIR [RUNS]
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const { pathToFileURL } = require('url');

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const LAUNCH = {
  chromium: { executablePath: '/usr/bin/chromium', headless: true,
              args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'] },
  firefox: { browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false,
             extraPrefsFirefox: { 'webgl.force-enabled': true } },
};

// Stamps, in ms since the navigation began: the page's own script has run (Module is set), the
// runtime's script has been parsed and runs, the WebAssembly is handed to the engine and comes
// back compiled, the runtime is ready, main has drawn its first frame.
function stamp() {
  const marks = (window.marks_ = {});
  const mark = (name) => { if (!(name in marks)) marks[name] = performance.now(); };
  for (const name of ['instantiate', 'instantiateStreaming']) {
    const original = WebAssembly[name];
    WebAssembly[name] = function(...args) {
      mark('wasm handed over');
      return original.apply(this, args).then((result) => { mark('wasm compiled'); return result; });
    };
  }
  let module;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get() { return module; },
    set(value) {
      module = value;
      mark('page script');
      // The runtime's script reads this first: it has been parsed and starts to run.
      let preRun = value.preRun;
      Object.defineProperty(value, 'preRun', {
        configurable: true,
        enumerable: true,
        get() { mark('runtime script runs'); return preRun; },
        set(list) { preRun = list; },
      });
      value.onRuntimeInitialized = () => mark('runtime ready');
      value.postMainLoop = () => mark('first frame');
    },
  });
}

function serve(dir) {
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, 'http://x').pathname;
    const file = path.join(dir, path.normalize(name === '/' ? '/index.html' : name));
    if (!file.startsWith(dir) || !fs.existsSync(file)) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                              'Cache-Control': 'no-store' });
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function firstFrame(browser, url) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(stamp);
  await page.goto(url);
  await page.waitForFunction(() => window.marks_ && 'first frame' in window.marks_,
                             { polling: 20, timeout: 30000 });
  const marks = await page.evaluate(() => {
    const t = performance.getEntriesByType('navigation')[0];
    return { ...window.marks_, 'HTML received': t.responseEnd, 'HTML parsed': t.domInteractive };
  });
  await page.close();
  return marks;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function main() {
  const [engine, dirArgument, runs = '5'] = process.argv.slice(2);
  const puppeteer = (await import('puppeteer-core')).default;
  const dir = path.resolve(dirArgument || 'build-web');
  const server = await serve(dir);
  const pages = {
    served: `http://127.0.0.1:${server.address().port}/index.html`,
    'one file': pathToFileURL(path.join(dir, 'shadow-demo.html')).href,
  };
  const browser = await puppeteer.launch({ ...LAUNCH[engine], defaultViewport: { width: 1000, height: 1000 } });
  const results = { served: [], 'one file': [] };
  try {
    await firstFrame(browser, pages.served);
    for (let i = 0; i < Number(runs); ++i) {
      for (const [name, url] of Object.entries(pages)) results[name].push(await firstFrame(browser, url));
    }
  } finally {
    await browser.close();
    server.close();
  }
  for (const [name, marks] of Object.entries(results)) {
    const order = Object.keys(marks[0]).sort((a, b) => marks[0][a] - marks[0][b]);
    console.log(`${engine}, ${name}: first frame ${marks.map((m) => m['first frame'].toFixed(0)).join(', ')} ms`);
    console.log(`  medians: ${order.map((k) => `${k} ${median(marks.map((m) => m[k])).toFixed(0)}`).join(', ')}`);
  }
  const ratio = median(results['one file'].map((m) => m['first frame'])) /
                median(results.served.map((m) => m['first frame']));
  console.log(`${engine}: the one file's median first frame is ${ratio.toFixed(2)}x the served page's`);
}

main().catch((e) => {
  console.log(e.stack || e);
  process.exit(1);
});
