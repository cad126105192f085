// Drives a real browser for the web tests, one interface over two engines: Debian's Chromium
// through chromedriver (WebDriver over HTTP, with node's own fetch) and Debian's Firefox ESR
// through its own Marionette server (WebDriver's commands as JSON over a TCP socket), as Debian
// has no geckodriver. Firefox finds no GL driver in its headless mode here, so it runs on the
// display it is given (scripts/test-web starts it under Xvfb).
//
//   const browser = await start('chromium' | 'firefox', { width, height });
//   const phone = await start('chromium', { ...size, mobile: { width, height, pixelRatio } });
//   await browser.navigate(url);
//   await browser.execute('return 1 + arguments[0];', 1);
//   await browser.executeAsync('arguments[arguments.length - 1](42);');
//   await browser.keys([{ type: 'keyDown', value: KEY.up }, { type: 'keyUp', value: KEY.up }]);
//   await browser.hold('button', 'touch' | 'mouse', 700);
//   await browser.visitNewTab(500);  // the page loses the focus, is hidden, and comes back
//   const png = await browser.screenshot('body');
//   const messages = await browser.console();  // [{ level, text }] since the last call
//   await browser.quit();
'use strict';

const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');
const { spawn } = require('child_process');

const CHROMIUM = '/usr/bin/chromium';
const CHROMEDRIVER = '/usr/bin/chromedriver';
const FIREFOX = '/usr/bin/firefox-esr';

// WebDriver's key values.
const KEY = {
  left: '\uE012', up: '\uE013', right: '\uE014', down: '\uE015', pageDown: '\uE00F',
  escape: '\uE00C',
};

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.on('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// Polls `ready` until it resolves, for about `seconds`: a server just started is not yet listening.
async function untilReady(seconds, what, ready) {
  for (let i = 0; ; ++i) {
    try {
      return await ready();
    } catch (e) {
      if (i > seconds * 10) throw new Error(`${what}: ${e.message}`);
      await sleep(100);
    }
  }
}

// What both engines share: WebDriver's commands, each sent through the engine's `command`.
class Browser {
  constructor(engine, process, profile) {
    this.engine = engine;
    this.process = process;
    this.profile = profile;
  }

  navigate(url) {
    return this.command('Navigate', { url });
  }

  execute(script, ...args) {
    return this.command('ExecuteScript', { script, args });
  }

  // The script gets a callback as its last argument.
  executeAsync(script, ...args) {
    return this.command('ExecuteAsyncScript', { script, args });
  }

  keys(actions) {
    return this.command('PerformActions', { actions: [{ type: 'key', id: 'keyboard', actions }] });
  }

  // A finger or the mouse held on the element's centre for that long, then lifted.
  async hold(selector, pointerType, milliseconds) {
    const origin = await this.command('FindElement', { using: 'css selector', value: selector });
    await this.command('PerformActions', {
      actions: [{
        type: 'pointer', id: pointerType, parameters: { pointerType },
        actions: [{ type: 'pointerMove', duration: 0, origin, x: 0, y: 0 },
                  { type: 'pointerDown', button: 0 }, { type: 'pause', duration: milliseconds },
                  { type: 'pointerUp', button: 0 }],
      }],
    });
    await this.command('ReleaseActions');
  }

  resize(width, height) {
    return this.command('SetWindowRect', { width, height });
  }

  // The page leaves the front for a new tab (it loses the focus and is hidden), then comes back.
  async visitNewTab(milliseconds) {
    const page = await this.command('GetWindowHandle');
    const tab = await this.command('NewWindow', { type: 'tab' });
    await this.command('SwitchToWindow', { handle: tab.handle });
    await sleep(milliseconds);
    await this.command('CloseWindow');
    await this.command('SwitchToWindow', { handle: page });
  }

  // The element's picture as PNG.
  async screenshot(selector) {
    const element = await this.command('FindElement', { using: 'css selector', value: selector });
    return Buffer.from(await this.command('ElementScreenshot', { id: Object.values(element)[0] }),
                       'base64');
  }

  async quit() {
    try {
      await this.end();
    } catch (e) {
      // The browser is going anyway.
    } finally {
      this.process.kill();
      await sleep(200);
      fs.rmSync(this.profile, { recursive: true, force: true });
    }
  }
}

// ---- Chromium ---------------------------------------------------------------------------------

const CHROMIUM_ROUTES = {
  Navigate: ['POST', '/url'],
  ExecuteScript: ['POST', '/execute/sync'],
  ExecuteAsyncScript: ['POST', '/execute/async'],
  PerformActions: ['POST', '/actions'],
  ReleaseActions: ['DELETE', '/actions'],
  FindElement: ['POST', '/element'],
  SetWindowRect: ['POST', '/window/rect'],
  GetWindowHandle: ['GET', '/window'],
  NewWindow: ['POST', '/window/new'],
  SwitchToWindow: ['POST', '/window'],
  CloseWindow: ['DELETE', '/window'],
};

class Chromium extends Browser {
  async call(method, route, body) {
    const response = await fetch(this.base + route, {
      method,
      headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const reply = await response.json();
    if (!response.ok) throw new Error(`${route}: ${reply.value && reply.value.message}`);
    return reply.value;
  }

  command(name, params) {
    if (name === 'ElementScreenshot') {
      return this.call('GET', `${this.session}/element/${params.id}/screenshot`);
    }
    const [method, route] = CHROMIUM_ROUTES[name];
    return this.call(method, this.session + route, method === 'GET' ? undefined : params);
  }

  // Chromium's console, WebGL's own warnings among it, as chromedriver's browser log.
  async console() {
    const entries = await this.call('POST', `${this.session}/se/log`, { type: 'browser' });
    return entries.map((e) => ({ level: e.level, text: e.message }));
  }

  end() {
    return this.call('DELETE', this.session);
  }
}

// mobile: a phone's screen in the window, { width, height, pixelRatio }, with touch input.
async function startChromium(profile, { width, height, mobile }) {
  const port = await freePort();
  const driver = spawn(CHROMEDRIVER, [`--port=${port}`], { stdio: 'ignore' });
  const browser = new Chromium('chromium', driver, profile);
  browser.base = `http://127.0.0.1:${port}`;
  return startSession(browser, async () => {
    await untilReady(10, 'chromedriver did not start', () => fetch(`${browser.base}/status`));
    const session = await browser.call('POST', '/session', {
      capabilities: {
        alwaysMatch: {
          'goog:loggingPrefs': { browser: 'ALL' },
          'goog:chromeOptions': {
            binary: CHROMIUM,
            args: [
              '--headless=new', '--no-sandbox', '--use-angle=swiftshader',
              '--enable-unsafe-swiftshader', `--user-data-dir=${profile}`,
              '--disable-background-networking', '--disable-component-update', '--no-first-run',
              '--disable-default-apps', '--disable-sync', '--disable-extensions',
              '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
              '--disable-dev-shm-usage', `--window-size=${width},${height}`,
            ],
            ...(mobile ? { mobileEmulation: { deviceMetrics: { ...mobile, touch: true } } } : {}),
          },
        },
      },
    });
    browser.session = `/session/${session.sessionId}`;
  });
}

// ---- Firefox ----------------------------------------------------------------------------------

// Firefox writes what reaches its console to its own output: the page's console calls (with
// devtools.console.stdout.content) and its JavaScript errors and warnings, WebGL's among them.
const FIREFOX_PREFS = {
  'devtools.console.stdout.content': true,
  'browser.dom.window.dump.enabled': true,
  'browser.shell.checkDefaultBrowser': false,
  'browser.startup.homepage_override.mstone': 'ignore',
  'datareporting.policy.dataSubmissionEnabled': false,
  'toolkit.telemetry.reportingpolicy.firstRun': false,
  'app.update.disabledForTesting': true,
  'browser.tabs.warnOnClose': false,
  'dom.timeout.enable_budget_timer_throttling': false,
  // The test counts every WebGL warning, not the first 32 alone.
  'webgl.max-warnings-per-context': 100000,
  'webgl.force-enabled': true,
};

const FIREFOX_CONSOLE = /^(?:JavaScript (error|warning)|console\.(error|warn|log|info|debug)): (.*)$/;

class Firefox extends Browser {
  constructor(process, profile) {
    super('firefox', process, profile);
    this.messages = [];
    this.replies = new Map();
    this.lastId = 0;
    this.input = Buffer.alloc(0);
    for (const stream of [process.stdout, process.stderr]) {
      let partial = '';
      stream.on('data', (chunk) => {
        const lines = (partial + chunk).split('\n');
        partial = lines.pop();
        for (const line of lines) this.heard(line);
      });
    }
  }

  heard(line) {
    const match = FIREFOX_CONSOLE.exec(line);
    if (match) {
      const level = (match[1] || match[2]) === 'log' ? 'INFO' : (match[1] || match[2]).toUpperCase();
      this.messages.push({ level: level === 'WARN' ? 'WARNING' : level, text: match[3] });
    }
  }

  // Marionette's packets: the length in decimal, a colon, then that many bytes of JSON.
  received(chunk) {
    this.input = Buffer.concat([this.input, chunk]);
    for (;;) {
      const colon = this.input.indexOf(':');
      if (colon < 0) return;
      const length = Number(this.input.subarray(0, colon).toString());
      if (this.input.length < colon + 1 + length) return;
      const packet = JSON.parse(this.input.subarray(colon + 1, colon + 1 + length).toString());
      this.input = this.input.subarray(colon + 1 + length);
      const waiting = this.replies.get(Array.isArray(packet) ? packet[1] : 0);
      if (waiting) {
        this.replies.delete(packet[1] || 0);
        waiting(packet);
      }
    }
  }

  send(name, params) {
    const id = ++this.lastId;
    const text = JSON.stringify([0, id, name, params || {}]);
    return new Promise((resolve, reject) => {
      this.replies.set(id, ([, , error, result]) => {
        if (error) reject(new Error(`${name}: ${error.message}`));
        else resolve(result);
      });
      this.socket.write(`${Buffer.byteLength(text)}:${text}`);
    });
  }

  async command(name, params) {
    const route = name === 'ElementScreenshot' ? 'TakeScreenshot' : name;
    const result = await this.send(`WebDriver:${route}`, params);
    // Marionette wraps plain values in { value }, elements excepted.
    return result && Object.prototype.hasOwnProperty.call(result, 'value') ? result.value : result;
  }

  async console() {
    // Firefox's output may lag behind the page by a moment.
    await sleep(200);
    return this.messages.splice(0);
  }

  async end() {
    await this.send('Marionette:Quit', { flags: ['eForceQuit'] });
  }
}

async function startFirefox(profile, { width, height }) {
  const port = await freePort();
  const prefs = { ...FIREFOX_PREFS, 'marionette.port': port };
  fs.writeFileSync(path.join(profile, 'user.js'), Object.entries(prefs)
    .map(([name, value]) => `user_pref(${JSON.stringify(name)}, ${JSON.stringify(value)});\n`)
    .join(''));
  const firefox = spawn(FIREFOX, ['--marionette', '--no-remote', '--profile', profile],
                        { stdio: ['ignore', 'pipe', 'pipe'] });
  const browser = new Firefox(firefox, profile);
  return startSession(browser, async () => {
    browser.socket = await untilReady(30, 'Firefox did not start its Marionette server', () =>
      new Promise((resolve, reject) => {
        const socket = net.connect(port, '127.0.0.1', () => resolve(socket));
        socket.on('error', reject);
      }));
    const greeting = new Promise((resolve) => browser.replies.set(0, resolve));
    browser.socket.on('data', (chunk) => browser.received(chunk));
    await greeting;
    await browser.send('WebDriver:NewSession', { capabilities: {} });
    await browser.command('SetWindowRect', { width, height });
  });
}

// A browser that never comes up must not leave its process behind, which would keep the test
// (and the CI run around it) waiting for ever.
async function startSession(browser, connect) {
  try {
    await connect();
  } catch (e) {
    await browser.quit();
    throw e;
  }
  return browser;
}

const STARTS = { chromium: startChromium, firefox: startFirefox };

function start(engine, size) {
  if (!STARTS[engine]) throw new Error(`no such browser: ${engine}`);
  return STARTS[engine](fs.mkdtempSync(path.join(os.tmpdir(), `web-test-${engine}-`)), size);
}

module.exports = { start, KEY, freePort, sleep };
