// Just enough of a W3C WebDriver client to drive WebKitGTK's MiniBrowser
// through WebKitWebDriver, behind the few page methods of puppeteer that
// browser_test.mjs uses.
import { spawn } from 'node:child_process';
import net from 'node:net';

// The WebDriver key codes of the keys the tests press.
const keyCodes = { Enter: '\uE007', Tab: '\uE004', Control: '\uE009', '\n': '\uE007' };

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

class WebDriverPage {
  constructor(session) {
    this.session = session;
    const key = (type) => (name) => this.keys([{ type, value: keyCodes[name] || name }]);
    this.keyboard = {
      type: (text) => this.keys([...text].flatMap((c) => [
        { type: 'keyDown', value: keyCodes[c] || c }, { type: 'keyUp', value: keyCodes[c] || c }])),
      press: (name) => this.keys([{ type: 'keyDown', value: keyCodes[name] || name },
        { type: 'keyUp', value: keyCodes[name] || name }]),
      down: key('keyDown'),
      up: key('keyUp'),
    };
  }

  keys(actions) {
    return request(`${this.session}/actions`, 'POST', { actions: [{ type: 'key', id: 'keyboard', actions }] });
  }

  goto(url) { return request(`${this.session}/url`, 'POST', { url }); }

  // A function and its arguments, run in the page; a promise it returns is awaited.
  evaluate(fn, ...args) {
    return request(`${this.session}/execute/sync`, 'POST', { script: `return (${fn}).apply(null, arguments);`, args });
  }

  async waitForFunction(fn, { polling, timeout }, ...args) {
    for (const end = Date.now() + timeout; !(await this.evaluate(fn, ...args));) {
      if (Date.now() > end) throw new Error(`waited ${timeout} ms in vain for ${fn}`);
      await new Promise((resolve) => { setTimeout(resolve, polling); });
    }
  }

  addScriptTag({ content }) {
    return this.evaluate((text) => {
      const script = document.createElement('script');
      script.textContent = text;
      document.head.append(script);
    }, content);
  }

  on() {}  // the page's errors show in the results
}

// Starts WebKitWebDriver, and MiniBrowser through it, on a display of its own.
export async function launchWebKit(driverPath, minibrowser) {
  const port = await freePort();
  const driver = spawn(driverPath, [`--port=${port}`], { stdio: 'ignore' });
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
