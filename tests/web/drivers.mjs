// What the browser tests share: the browsers, started as this machine has
// them, and the page's contract, read in the page.
import puppeteer from 'puppeteer-core';

import { launchWebKit } from './webdriver.mjs';

// No background traffic: the machines that run this have no network.
export const chromeArgs = ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'];

// Headless Chromium and Firefox through puppeteer-core; WebKitGTK, the engine
// of Safari and of every browser on an iPad, through WebKitWebDriver and its
// MiniBrowser (under xvfb-run). The browser is the one installed, never one
// downloaded.
export function launch(browserName, executablePath, webDriverPath) {
  if (browserName === 'webkit') return launchWebKit(webDriverPath, executablePath);
  return puppeteer.launch({
    browser: browserName, executablePath, headless: true, args: browserName === 'chrome' ? chromeArgs : [],
  });
}

// The page's contract, as functions that run in it: the console #konsoll,
// whose children .ut are the program's output and .inn what was typed; the
// line #linje; the page's words outside the console.
export const inPage = {
  text: (className) => [...document.querySelectorAll(`#konsoll > .${className}`)].map((e) => e.textContent).join(''),
  status: (id) => document.getElementById(id).textContent,
  shown: (id) => {
    const element = document.getElementById(id);
    return element.getClientRects().length > 0 && getComputedStyle(element).visibility === 'visible';
  },
  focus: () => document.activeElement && document.activeElement.id,
  // Firefox keeps the data of a paste event only where it is set on the
  // event's own clipboard data.
  paste: (text) => {
    const event = new ClipboardEvent('paste', { clipboardData: new DataTransfer(), bubbles: true, cancelable: true });
    event.clipboardData.setData('text/plain', text);
    document.getElementById('linje').dispatchEvent(event);
  },
  axe: () => window.axe.run(document).then((result) => result.violations.map(
    (v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`)),
};
