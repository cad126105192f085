// The web build in a real browser (browsers.js: headless Chromium or Firefox ESR): the scene's
// colours and shadow, held arrow keys and what losing the focus does to them, a broken fragment
// shader's listing on the page, Esc, the pace of the frames; and, all along, the program's whole
// output and the browser's console, where a GL error would show. Then the one-file page kept in
// docs/, opened from disk: the same picture, and keys that never scroll the page; in Chromium also
// at a phone's size, its layout and its movement buttons held by touch and with the mouse.
// Usage: node tests/web/browser_test.js chromium|firefox BUILD_WEB_DIR [SCREENSHOT.png]
// (Chromium's run saves the phone-sized page's screenshot beside it, as SCREENSHOT-phone.png)
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const { pathToFileURL } = require('url');
const { start, KEY, sleep } = require('./browsers');

const WIDTH = 800;
const HEIGHT = 600;
const WINDOW = { width: 1000, height: 1000 };
const SHADER_PATH = '/src/ShadowMapping/resource/cg/fp_ShadowMapping.cg';

// ---- The scene, as the desktop e2e test computes it ----------------------------------------

const LIGHT = [0, 10, -1];
const START_EYE = [-3.6, 2.0, 0.0];
const SPHERE_CENTRE = [4.3, 1.0, -0.8];
const SPHERE_RADIUS = 0.9;
const RED_CUBE_LOW = [-0.5, 0.0, -0.5];
const RED_CUBE_HIGH = [0.5, 1.0, 0.5];

const sub = (a, b) => [a[0] - b[0], a[1] - b[1], a[2] - b[2]];
const dot = (a, b) => a[0] * b[0] + a[1] * b[1] + a[2] * b[2];

// Where the viewer at the start, looking along +x level, sees a world point (pixel from the
// top-left), by the look-at and the 60-degree perspective of the 800x600 canvas.
function project(p) {
  const d = sub(p, START_EYE);
  const f = 1 / Math.tan((30 * Math.PI) / 180);
  const xNdc = ((f / (WIDTH / HEIGHT)) * d[2]) / d[0];
  const yNdc = (f * d[1]) / d[0];
  return { x: Math.floor(((xNdc + 1) / 2) * WIDTH), y: Math.floor((1 - (yNdc + 1) / 2) * HEIGHT) };
}

function segmentNearSphere(a, b, centre, radius) {
  const ab = sub(b, a);
  const t = Math.max(0, Math.min(1, dot(sub(centre, a), ab) / dot(ab, ab)));
  const off = sub(centre, [a[0] + t * ab[0], a[1] + t * ab[1], a[2] + t * ab[2]]);
  return dot(off, off) < radius * radius;
}

function segmentHitsBox(a, b, low, high) {
  const margin = 0.05;
  let enter = 0;
  let leave = 1;
  for (let i = 0; i < 3; ++i) {
    const d = b[i] - a[i];
    const lo = low[i] - margin;
    const hi = high[i] + margin;
    if (Math.abs(d) < 1e-12) {
      if (a[i] < lo || a[i] > hi) return false;
      continue;
    }
    const t0 = Math.min((lo - a[i]) / d, (hi - a[i]) / d);
    const t1 = Math.max((lo - a[i]) / d, (hi - a[i]) / d);
    enter = Math.max(enter, t0);
    leave = Math.min(leave, t1);
  }
  return enter <= leave;
}

const isSky = (r, g, b) => Math.abs(r - 204) <= 2 && Math.abs(g - 204) <= 2 && b >= 253;
const isGround = (r, g, b) => r > g && g > b && r > 60 && b < 60;
const isRed = (r, g, b) => r > 60 && r > 3 * g && r > 3 * b;
const isGreen = (r, g, b) => g > 60 && g > 3 * r && g > 3 * b;
const isParticle = (r, g, b) => r > 120 && g > 120 && b < 90;
// The border, lit by GL's fixed-function lighting as on the desktop (about 200 there): grey, not
// the white of the emulation's own lighting.
const isBorderGrey = (r, g, b) =>
  Math.abs(r - g) <= 3 && Math.abs(g - b) <= 3 && r >= 170 && r <= 225;

// RGBA rows as WebGL reads them, bottom row first.
class Picture {
  constructor(rgba) {
    this.rgba = rgba;
  }
  contains(x, y) {
    return x >= 0 && y >= 0 && x < WIDTH && y < HEIGHT;
  }
  rgb(x, y) {
    const i = ((HEIGHT - 1 - y) * WIDTH + x) * 4;
    return [this.rgba[i], this.rgba[i + 1], this.rgba[i + 2]];
  }
  is(test, p) {
    return test(...this.rgb(p.x, p.y));
  }
  brightness(p) {
    const [r, g, b] = this.rgb(p.x, p.y);
    return r + g + b;
  }
  // Most of the pixels around p that the fountain's points leave free pass the test.
  mostAround(p, test) {
    let hits = 0;
    let seen = 0;
    for (let dy = -4; dy <= 4; ++dy) {
      for (let dx = -4; dx <= 4; ++dx) {
        const q = { x: p.x + dx, y: p.y + dy };
        if (!this.contains(q.x, q.y) || this.is(isParticle, q)) continue;
        ++seen;
        hits += this.is(test, q) ? 1 : 0;
      }
    }
    return seen >= 20 && hits * 3 > seen * 2;
  }
  // How many columns show some of the red cube: its apparent width.
  redColumns() {
    let columns = 0;
    for (let x = 0; x < WIDTH; ++x) {
      for (let y = 0; y < HEIGHT; ++y) {
        if (this.is(isRed, { x, y })) {
          ++columns;
          break;
        }
      }
    }
    return columns;
  }
}

// ---- A local server for build-web/, and the same page with a broken fragment shader ---------

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// The preloaded files are one package whose offsets the .js holds: a source of the same length
// takes the shader's place without touching them.
function brokenPackage(dir) {
  const js = fs.readFileSync(path.join(dir, 'shadow-demo.js'), 'utf8');
  const entry = new RegExp(`"filename":"${SHADER_PATH}","start":(\\d+),"end":(\\d+)`).exec(js);
  if (!entry) throw new Error('the fragment shader is not in the preloaded package');
  const data = Buffer.from(fs.readFileSync(path.join(dir, 'shadow-demo.data')));
  const start = Number(entry[1]);
  const source = data.subarray(start, Number(entry[2])).toString('latin1');
  const broken = source.replace('float3 coord', 'flaot3 coord');
  if (broken === source) throw new Error('the fragment shader has no "float3 coord" to break');
  data.write(broken, start, 'latin1');
  const line = source.slice(0, source.indexOf('float3 coord')).split('\n').length;
  return { data, line };
}

function serve(dir, broken) {
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const isBroken = name.startsWith('/broken/');
    if (isBroken) name = name.slice('/broken'.length);
    if (name === '/') name = '/index.html';
    const file = path.join(dir, path.normalize(name));
    if (!file.startsWith(dir) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    const body = isBroken && name === '/shadow-demo.data' ? broken.data : fs.readFileSync(file);
    response.writeHead(200, {
      'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store',
    });
    response.end(body);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// ---- The page ------------------------------------------------------------------------------

// Records every frame's start and end on the page, from the next frame on.
const WATCH_FRAMES = `
  window.frames_ = [];
  Module.preMainLoop = function() { window.frameStart_ = performance.now(); };
  Module.postMainLoop = function() {
    window.frames_.push([window.frameStart_, performance.now()]);
    if (window.grab_) { window.grab_(); window.grab_ = null; }
  };`;

async function openPage(browser, url) {
  await browser.navigate(url);
  await browser.executeAsync(`
    const done = arguments[arguments.length - 1];
    const started = performance.now();
    (function check() {
      if (window.Module && (Module.calledRun || document.title.includes('ended'))) done();
      else if (performance.now() - started > 20000) done();
      else setTimeout(check, 20);
    })();`);
  await browser.execute(WATCH_FRAMES);
}

// The canvas right after the program's next frame, read in the same task as the frame was drawn.
async function grab(browser) {
  const base64 = await browser.executeAsync(`
    const done = arguments[arguments.length - 1];
    window.grab_ = function() {
      const gl = Module.ctx;
      const pixels = new Uint8Array(${WIDTH * HEIGHT * 4});
      gl.readPixels(0, 0, ${WIDTH}, ${HEIGHT}, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
      let text = '';
      for (let i = 0; i < pixels.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, pixels.subarray(i, i + 0x8000));
      }
      done(btoa(text));
    };`);
  return new Picture(Buffer.from(base64, 'base64'));
}

const output = (browser) => browser.execute('return document.getElementById("output").value;');
const frameTimes = (browser) => browser.execute('return window.frames_;');

// What in the console tells of a fault: WebGL's errors and warnings, and exceptions nobody caught
// (Chromium says "Uncaught", Firefox reports them as errors with the page's address).
function faultsIn(messages, site) {
  return messages.filter((m) => /WebGL/.test(m.text) || /Uncaught/.test(m.text) ||
                                (/^(SEVERE|ERROR)$/.test(m.level) && m.text.includes(site)));
}

async function checkConsole(browser, site, expect, when) {
  const faults = faultsIn(await browser.console(), site);
  for (const fault of faults.slice(0, 5)) console.log(`      console: ${fault.level} ${fault.text}`);
  const webgl = faults.filter((m) => /WebGL/.test(m.text)).length;
  expect(faults.length === 0, `no WebGL error or warning, no uncaught exception in the console ` +
                              `${when} (${faults.length}, WebGL's ${webgl})`);
}

function waitFrames(browser, count) {
  return browser.executeAsync(`
    const done = arguments[arguments.length - 1];
    (function check() {
      if (window.frames_.length >= ${count}) done(window.frames_.length);
      else setTimeout(check, 20);
    })();`);
}

function percentile(values, p) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor((sorted.length * p) / 100))];
}

// ---- The checks ----------------------------------------------------------------------------

function checkStartView(picture, expect) {
  expect(picture.mostAround({ x: 400, y: 20 }, isSky), 'sky at the top');
  expect(picture.mostAround(project([1.5, 0, -2.5]), isGround), 'ground left of the cube');
  expect(picture.mostAround(project([1.5, 0, 2.5]), isGround), 'ground right of the cube');
  expect(picture.mostAround(project([-0.5, 0.4, -0.25]), isRed), "the red cube's near face");
  expect(picture.mostAround(project([4.3 - 0.85, 1.0, -0.8]), isGreen), "the sphere's near side");
  expect(picture.mostAround(project([8.5, 0.6, -4.5]), isBorderGrey), 'the far border is grey');
  const top = project([0, 1.0, 0]);
  let particles = 0;
  for (let y = top.y - 120; y < top.y; ++y) {
    for (let x = top.x - 120; x < top.x + 120; ++x) {
      particles += picture.is(isParticle, { x, y }) ? 1 : 0;
    }
  }
  expect(particles > 100, `fountain points above the cube (${particles})`);
}

function checkShadow(picture, expect) {
  const shadowed = [];
  const lit = [];
  for (let x = 3.0; x <= 7.5; x += 0.1) {
    for (let z = -3.5; z <= 2.0; z += 0.1) {
      const ground = [x, 0, z];
      const p = project(ground);
      if (segmentNearSphere(START_EYE, ground, SPHERE_CENTRE, SPHERE_RADIUS + 0.05) ||
          segmentHitsBox(START_EYE, ground, RED_CUBE_LOW, RED_CUBE_HIGH) ||
          !picture.contains(p.x, p.y)) {
        continue;
      }
      if (segmentNearSphere(ground, LIGHT, SPHERE_CENTRE, SPHERE_RADIUS - 0.15)) shadowed.push(p);
      else if (!segmentNearSphere(ground, LIGHT, SPHERE_CENTRE, SPHERE_RADIUS + 0.3)) lit.push(p);
    }
  }
  const litBrightness = lit.map((p) => picture.brightness(p)).sort((a, b) => a - b);
  const litMedian = litBrightness[Math.floor(litBrightness.length / 2)];
  const dark = litBrightness.filter((v) => v < 0.75 * litMedian).length;
  const free = shadowed.filter((p) => !picture.is(isParticle, p));
  const darkened = free.filter((p) => picture.brightness(p) < 0.7 * litMedian).length;
  expect(shadowed.length >= 3 && lit.length >= 100, 'enough ground points around the sphere');
  expect(dark * 10 < lit.length, `lit ground is lit (${dark} of ${lit.length} dark)`);
  expect(free.length >= 3 && darkened * 10 >= free.length * 9,
         `ground in the sphere's shadow is dark (${darkened} of ${free.length})`);
}

const press = (browser, key) =>
  browser.keys([{ type: 'keyDown', value: key }, { type: 'keyUp', value: key }]);

async function holdKey(browser, key, milliseconds) {
  await browser.keys([{ type: 'keyDown', value: key }, { type: 'pause', duration: milliseconds },
                      { type: 'keyUp', value: key }]);
  await sleep(300);
}

// Down held, then the focus goes while the key is still down: the viewer must stop walking back
// at once. The key comes up only after the check.
async function checkFocusLossReleases(browser, expect, what, loseFocus) {
  const before = (await grab(browser)).redColumns();
  await browser.keys([{ type: 'keyDown', value: KEY.down }, { type: 'pause', duration: 500 }]);
  await loseFocus();
  const held = (await grab(browser)).redColumns();
  await sleep(700);
  const later = (await grab(browser)).redColumns();
  await browser.keys([{ type: 'keyUp', value: KEY.down }]);
  expect(held < (before * 9) / 10 && Math.abs(later - held) <= 2,
         `${what}: Down counts as released (${before} -> ${held} -> ${later} columns)`);
}

// The picture a page opens on; site: the page's address, as its errors in the console name it.
async function checkScene(browser, url, site, expect, screenshot) {
  await openPage(browser, url);
  // The first frame's step covers the start-up, which is longer here than on the desktop: the
  // fountain needs a moment more to fill again.
  await waitFrames(browser, 100);
  const start = await grab(browser);
  checkStartView(start, expect);
  checkShadow(start, expect);
  const printed = await output(browser);
  expect(printed === '', `the program prints nothing (${JSON.stringify(printed.slice(0, 60))})`);
  await checkConsole(browser, site, expect, 'over the first 100 frames');
  if (screenshot) fs.writeFileSync(screenshot, await browser.screenshot('body'));
  return start;
}

async function checkPace(browser, expect) {
  console.log('== Pace: 3 s of frames');
  await browser.execute('window.frames_ = [];');
  await sleep(3000);
  const frames = await frameTimes(browser);
  const periods = frames.slice(1).map((f, i) => f[0] - frames[i][0]);
  const costs = frames.map((f) => f[1] - f[0]);
  const median = percentile(periods, 50);
  console.log(`frame period: median ${median.toFixed(2)} ms, 90th percentile ` +
              `${percentile(periods, 90).toFixed(2)} ms (${periods.length} periods)`);
  console.log(`time in the frame (display): median ${percentile(costs, 50).toFixed(2)} ms, ` +
              `90th percentile ${percentile(costs, 90).toFixed(2)} ms`);
  // Never faster than the cap; slower only as far as a busy machine makes it.
  expect(median >= 49.5 && median <= 75, 'at most 20 frames a second, and not far below');
  // With a pixel read after each frame, which waits until the GPU (or its stand-in) has drawn it.
  await browser.execute(`window.frames_ = []; const gl = Module.ctx; const pixel = new Uint8Array(4);
    Module.postMainLoop = function() {
      gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
      window.frames_.push([window.frameStart_, performance.now()]);
    };`);
  await sleep(2000);
  const drawn = (await frameTimes(browser)).map((f) => f[1] - f[0]);
  console.log(`frame drawn to the end: median ${percentile(drawn, 50).toFixed(2)} ms, ` +
              `90th percentile ${percentile(drawn, 90).toFixed(2)} ms (${drawn.length} frames)`);
  await browser.execute(WATCH_FRAMES);
}

async function checkKeys(browser, site, expect, start) {
  console.log('== Keys');
  const before = start.redColumns();
  await holdKey(browser, KEY.up, 700);
  const walked = (await grab(browser)).redColumns();
  expect(walked > (before * 13) / 10, `Up held: the red cube looks wider (${before} -> ${walked} columns)`);
  await browser.execute('Module.canvas.focus();');
  await checkFocusLossReleases(browser, expect, 'the canvas loses the focus to the text area',
                               () => browser.execute('document.getElementById("output").focus();'));
  await checkFocusLossReleases(browser, expect, 'the page goes behind another tab',
                               () => browser.visitNewTab(300));
  await holdKey(browser, KEY.right, 1500);
  const turned = (await grab(browser)).redColumns();
  expect(turned < walked / 4, `Right held: the cube leaves the view (${walked} -> ${turned} columns)`);

  const framesBeforeEsc = (await frameTimes(browser)).length;
  await press(browser, KEY.escape);
  await sleep(500);
  const afterEsc = (await frameTimes(browser)).length;
  await sleep(500);
  const printed = await output(browser);
  console.log(`the text area after Esc: ${JSON.stringify(printed.slice(0, 200))}` +
              `${printed.length > 200 ? ` ... (${printed.length} characters)` : ''}`);
  const errors = printed.split('GL Error').length - 1;
  expect(errors === 0, `no "GL Error" in the program's whole output (${errors})`);
  expect(printed.endsWith('The program has ended (exit status 0).\n'),
         'Esc ends the program with status 0, and the page says so');
  expect((await frameTimes(browser)).length === afterEsc && afterEsc >= framesBeforeEsc,
         'no frame is drawn after Esc');
  await checkConsole(browser, site, expect, 'until the end');
}

async function checkBrokenShader(browser, site, expect, broken) {
  console.log('== A broken fragment shader');
  await openPage(browser, `${site}/broken/index.html`);
  await sleep(500);
  const lines = (await output(browser)).split('\n');
  const listing = lines.slice(2, -3);
  expect(lines[0] === 'The program could not be compiled.' && lines[1] === '',
         `the runtime's error first ("${lines[0]}")`);
  expect(listing.length > 0 && listing.every((l) => l.startsWith(`..${SHADER_PATH}(`)) &&
         listing[0].startsWith(`..${SHADER_PATH}(${broken.line}) : error: `),
         `the listing names the file and line ${broken.line} ("${listing[0]}")`);
  expect(lines.slice(-3).join('\n') === 'Cg error, exiting...\nThe program has ended (exit status -1).\n',
         'then "Cg error, exiting..." and the end of the program');
  expect((await frameTimes(browser)).length === 0, 'no frame is drawn');
  await checkConsole(browser, site, expect, 'with the broken shader');
}

// ---- The one-file page, from disk and at a phone's size ------------------------------------

const PAGE_FILE = path.join(__dirname, '..', '..', 'docs', 'shadow-demo.html');
const PAGE_URL = pathToFileURL(PAGE_FILE).href;
const PHONE = { width: 390, height: 844, pixelRatio: 3 };
const BUTTON = { forward: '.keys button[data-key="38"]', back: '.keys button[data-key="40"]' };

// The arrow and Page keys, pressed in a window shorter than the page, leave it where it is.
async function pressScrollKeys(browser) {
  for (const key of [KEY.pageDown, KEY.down, KEY.pageDown]) {
    await press(browser, key);
  }
  await sleep(300);
  return browser.execute('return window.scrollY;');
}

async function checkFromDisk(browser, expect) {
  console.log(`== ${path.relative(process.cwd(), PAGE_FILE)} from disk`);
  await checkScene(browser, PAGE_URL, PAGE_URL, expect);
  await browser.resize(WINDOW.width, 500);
  expect(await browser.execute('return document.documentElement.scrollHeight > innerHeight + 100;'),
         'in a window 500 px high the page is taller than the window');
  expect((await pressScrollKeys(browser)) === 0, 'Page Down and Down do not scroll the page');
  await press(browser, KEY.escape);
  await sleep(500);
  expect((await output(browser)).endsWith('The program has ended (exit status 0).\n'),
         'Esc ends the program');
  expect((await pressScrollKeys(browser)) === 0, '... nor after the program has ended');
  await checkConsole(browser, PAGE_URL, expect, 'from disk');
}

// The page at a phone's size, driven by touch; the picture is the 800x600 drawing buffer.
async function checkPhone(phone, expect, screenshot) {
  console.log(`== The page from disk at a phone's size (${PHONE.width}x${PHONE.height}), by touch`);
  await openPage(phone, PAGE_URL);
  await waitFrames(phone, 60);
  const page = await phone.execute(`
    const box = (element) => element.getBoundingClientRect();
    const canvas = Module.canvas;
    const buttons = Array.from(document.querySelectorAll('.keys button'), box);
    return { width: innerWidth, scrollWidth: document.documentElement.scrollWidth,
             buffer: [canvas.width, canvas.height], shown: [box(canvas).width, box(canvas).height],
             text: parseFloat(getComputedStyle(document.getElementById('output')).fontSize),
             buttons: buttons.length, fingerHigh: buttons.every((b) => b.height >= 44) };`);
  expect(page.width === 390 && page.scrollWidth === 390,
         `390 px wide, nothing to scroll sideways (${page.scrollWidth} px of content)`);
  expect(page.buffer.join('x') === '800x600' && page.shown[0] === 390 &&
         Math.abs(page.shown[1] - 292.5) < 1,
         `the 800x600 buffer shown at the page's width (${page.shown.join('x')})`);
  expect(page.text >= 13, `the output's text is readable (${page.text} px)`);
  expect(page.buttons === 6 && page.fingerHigh, 'six buttons, each at least a finger high');
  if (screenshot) {
    fs.writeFileSync(screenshot.replace(/(\.png)?$/, '-phone.png'), await phone.screenshot('body'));
  }

  const before = (await grab(phone)).redColumns();
  await phone.hold(BUTTON.forward, 'touch', 700);
  await sleep(300);
  const walked = (await grab(phone)).redColumns();
  expect(walked > (before * 13) / 10,
         `Forward held by touch: the red cube looks wider (${before} -> ${walked} columns)`);
  await sleep(1000);
  const still = (await grab(phone)).redColumns();
  expect(Math.abs(still - walked) <= 2,
         `released, the walk stops (${walked} -> ${still} columns a second later)`);
  await holdKey(phone, KEY.down, 700);
  const back = (await grab(phone)).redColumns();
  expect(Math.abs(back - before) <= before * 0.15,
         `Down held as long walks back to the start (${before} -> ${back} columns)`);
  await phone.hold(BUTTON.back, 'mouse', 700);
  await sleep(300);
  const mouse = (await grab(phone)).redColumns();
  expect(mouse < (back * 85) / 100,
         `Back held with the mouse: the cube looks narrower (${back} -> ${mouse} columns)`);
  await checkConsole(phone, PAGE_URL, expect, "at a phone's size");
}

async function main() {
  const [engine, dirArgument, screenshot] = process.argv.slice(2);
  const dir = path.resolve(dirArgument || 'build-web');
  const results = [];
  const expect = (ok, what) => {
    results.push(ok);
    console.log(`${ok ? 'ok  ' : 'FAIL'}  ${what}`);
  };

  const broken = brokenPackage(dir);
  const server = await serve(dir, broken);
  const site = `http://127.0.0.1:${server.address().port}`;
  const browser = await start(engine, WINDOW);
  try {
    console.log('== The scene');
    const startView = await checkScene(browser, `${site}/index.html`, site, expect, screenshot);
    await checkPace(browser, expect);
    await checkKeys(browser, site, expect, startView);
    await checkBrokenShader(browser, site, expect, broken);
    await checkFromDisk(browser, expect);
  } finally {
    await browser.quit();
    server.close();
  }
  if (engine === 'chromium') {
    const phone = await start('chromium', { ...WINDOW, mobile: PHONE });
    try {
      await checkPhone(phone, expect, screenshot);
    } finally {
      await phone.quit();
    }
  }
  const failed = results.filter((ok) => !ok).length;
  console.log(`${results.length - failed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
}

main().catch((e) => {
  console.log(`FAIL  ${e.stack || e}`);
  console.log('0 passed, 1 failed');
  // The page's server may still be listening: end here rather than wait on it.
  process.exit(1);
});
