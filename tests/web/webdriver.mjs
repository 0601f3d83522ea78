// Just enough of a W3C WebDriver client to drive WebKitGTK's MiniBrowser
// through WebKitWebDriver, behind the few methods of puppeteer's page and
// frame that the browser tests use.
import { spawn } from 'node:child_process';
import net from 'node:net';

// The WebDriver key codes of the keys the tests press.
const keyCodes = {
  Enter: '\uE007', Tab: '\uE004', Control: '\uE009', Backspace: '\uE003', Escape: '\uE00C', '\n': '\uE007',
};

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
    server.on('error', reject);
  });
}

async function request(url, method = 'GET', body = undefined) {
  const response = await fetch(url, {
    method, headers: { 'Content-Type': 'application/json' }, body: body && JSON.stringify(body),
  });
  const { value } = await response.json();
  if (!response.ok) throw new Error(`WebDriver ${method} ${url}: ${value.error}: ${value.message}`);
  return value;
}

// Errors in the page, gathered by the page itself once the driver has asked
// it to, and handed to the 'pageerror' listener with every call that runs in it.
const gatherErrors = () => {
  if (window.pageErrors) return;
  window.pageErrors = [];
  window.addEventListener('error', (event) => window.pageErrors.push(event.message));
  window.addEventListener('unhandledrejection', (event) => window.pageErrors.push(String(event.reason)));
};

class WebDriverPage {
  constructor(session) {
    this.session = session;
    this.listeners = [];
    const keys = (type) => (name) => this.keys([{ type, value: keyCodes[name] || name }]);
    this.keyboard = {
      type: (text) => this.keys([...text].flatMap((c) => [
        { type: 'keyDown', value: keyCodes[c] || c }, { type: 'keyUp', value: keyCodes[c] || c }])),
      press: (name) => this.keys([{ type: 'keyDown', value: keyCodes[name] || name },
        { type: 'keyUp', value: keyCodes[name] || name }]),
      down: keys('keyDown'),
      up: keys('keyUp'),
    };
  }

  keys(actions) {
    return request(`${this.session}/actions`, 'POST', { actions: [{ type: 'key', id: 'keyboard', actions }] });
  }

  async goto(url) {
    await request(`${this.session}/frame`, 'POST', { id: null });
    await request(`${this.session}/url`, 'POST', { url });
    await this.evaluate(gatherErrors);
  }

  reload() { return request(`${this.session}/refresh`, 'POST', {}).then(() => this.evaluate(gatherErrors)); }

  // A function and its arguments, run in the page; a promise it returns is awaited.
  async evaluate(fn, ...args) {
    const { value, errors } = await request(`${this.session}/execute/async`, 'POST', {
      script: `const done = arguments[arguments.length - 1];
        Promise.resolve((${fn}).apply(null, Array.prototype.slice.call(arguments, 0, -1)))
          .then((value) => done({ value, errors: (window.pageErrors || []).splice(0) }),
                (error) => done({ value: { thrown: String(error) }, errors: [] }));`,
      args,
    });
    for (const message of errors) for (const listener of this.listeners) listener(new Error(message));
    if (value && typeof value === 'object' && 'thrown' in value) throw new Error(value.thrown);
    return value;
  }

  async waitForFunction(fn, { polling, timeout }, ...args) {
    for (const end = Date.now() + timeout; !(await this.evaluate(fn, ...args));) {
      if (Date.now() > end) throw new Error(`waited ${timeout} ms in vain for ${fn}`);
      await new Promise((resolve) => { setTimeout(resolve, polling); });
    }
  }

  async click(selector) {
    const element = await request(`${this.session}/element`, 'POST', { using: 'css selector', value: selector });
    await request(`${this.session}/element/${Object.values(element)[0]}/click`, 'POST', {});
  }

  // The first frame of the page, as a page of its own: what runs in it,
  // and keys, then go to that frame.
  async firstFrame() {
    await request(`${this.session}/frame`, 'POST', { id: 0 });
    return this;
  }

  setViewport({ width, height }) {
    return request(`${this.session}/window/rect`, 'POST', { width, height });
  }

  addScriptTag({ content }) {
    return this.evaluate((text) => {
      const script = document.createElement('script');
      script.textContent = text;
      document.head.append(script);
    }, content);
  }

  on(name, listener) {
    if (name === 'pageerror') this.listeners.push(listener);
  }
}

// Starts WebKitWebDriver, and MiniBrowser through it, on a display of its own.
// WebKitGTK takes the reader's language from the locale, which must exist
// (.ci/run makes nn_NO).
export async function launchWebKit(driverPath, minibrowser, languages = null) {
  const port = await freePort();
  const locales = (languages || []).map((tag) => tag.replace('-', '_'));
  const env = languages ? { ...process.env, LANG: `${locales[0]}.UTF-8`, LANGUAGE: locales.join(':') } : process.env;
  const driver = spawn(driverPath, [`--port=${port}`], { stdio: 'ignore', env });
  const base = `http://127.0.0.1:${port}`;
  for (let tries = 0; ; tries += 1) {
    try {
      await request(`${base}/status`);
      break;
    } catch (error) {
      if (tries === 100) throw error;
      await new Promise((resolve) => { setTimeout(resolve, 100); });
    }
  }
  const { sessionId } = await request(`${base}/session`, 'POST', {
    capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': { binary: minibrowser, args: ['--automation'] } } },
  });
  const session = `${base}/session/${sessionId}`;
  return {
    newPage: () => new WebDriverPage(session),
    close: async () => {
      await request(session, 'DELETE').catch(() => {});
      driver.kill();
    },
  };
}
