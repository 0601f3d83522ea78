// The page's contract, as functions that run in it: the console #konsoll,
// whose children .ut are the program's output and .inn what was typed; the
// line #linje; the page's words outside the console. And the checks the
// scenarios make in the page.
export const inPage = {
  text: (className) => [...document.querySelectorAll(`#konsoll > .${className}`)].map((e) => e.textContent).join(''),
  // The console as it reads: output and what was typed, in order.
  console: () => [...document.querySelectorAll('#konsoll > .ut, #konsoll > .inn')].map((e) => e.textContent).join(''),
  waitsForKey: () => document.getElementById('konsoll').classList.contains('tast'),
  lineWaits: () => document.getElementById('konsoll').classList.contains('leser'),
  panelShown: () => !document.getElementById('utladninger').hidden
    && document.querySelectorAll('#tabell tbody tr').length > 0,
  tableVoltages: () => [...document.querySelectorAll('#tabell tbody tr')].map((row) => row.cells[1].textContent)
    .join(' | '),
  // The progress bar's value and maximum, where it shows.
  progress: () => {
    const bar = document.getElementById('fremdrift');
    return bar.getClientRects().length > 0 ? [bar.value, bar.max] : [-1, -1];
  },
  size: (id) => {
    const box = document.getElementById(id).getBoundingClientRect();
    return Math.min(box.width, box.height);
  },
  // The link an alert offers to open the page in a new tab, as [href, target, rel].
  newTabLink: () => {
    const link = [...document.querySelectorAll('#feil a')].find((a) => a.getClientRects().length > 0);
    return link ? [link.href, link.target, link.rel] : null;
  },
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
  // For the scenarios' checks:
  // Times from the next key or click to the closing text `text`.
  timeStop: (text) => {
    window.stopTime = new Promise((resolve) => {
      let start = 0;
      const mark = () => { if (!start) start = performance.now(); };
      document.addEventListener('keydown', mark, true);
      document.addEventListener('click', mark, true);
      new MutationObserver(() => {
        if (start && document.getElementById('avsluttet').textContent === text) resolve(performance.now() - start);
      }).observe(document.getElementById('avsluttet'), { childList: true, characterData: true, subtree: true });
    });
  },
  // Elements not wholly inside the window, but for a part of a pixel that
  // scrolling, in whole pixels, leaves: by id, or by a selector.
  outOfView: (ids) => ids.filter((id) => {
    const box = (/^[a-z]/.test(id) ? document.getElementById(id) : document.querySelector(id)).getBoundingClientRect();
    return !(box.top > -1 && box.left > -1 && box.bottom < window.innerHeight + 1 && box.right < window.innerWidth + 1);
  }),
  // Text selected over the first prompt, with the console focused, as a drag leaves it.
  selectPrompt: () => {
    const konsoll = document.getElementById('konsoll');
    konsoll.focus();
    document.getSelection().selectAllChildren(konsoll.querySelector('.ut'));
  },
  watchText: () => {
    window.textChanges = [];
    new MutationObserver((records) => {
      for (const r of records) {
        const waitingLines = r.target.id === 'venter' || (r.target.parentElement && r.target.parentElement.id === 'venter');
        if (!waitingLines && (r.type === 'characterData' || (r.type === 'childList' && r.target.id !== 'konsoll'))) {
          window.textChanges.push(`${r.type} in ${r.target.nodeName}.${r.target.className || r.target.id}`);
        }
      }
    }).observe(document.getElementById('konsoll'), { characterData: true, childList: true, subtree: true });
  },
  description: () => {
    const ids = (document.getElementById('linje').getAttribute('aria-describedby') || '').split(/\s+/);
    return ids.map((id) => document.getElementById(id)).filter(Boolean).map((e) => e.textContent).join(' ');
  },
  // The text spacing WCAG 1.4.12 asks a page to bear.
  textSpacing: () => {
    const sheet = new CSSStyleSheet();
    sheet.replaceSync('* { letter-spacing: 0.12em !important; word-spacing: 0.16em !important; ' +
      'line-height: 1.5 !important; } p { margin-bottom: 2em !important; }');
    document.adoptedStyleSheets = [...document.adoptedStyleSheets, sheet];
  },
  lineFits: () => {
    const line = document.getElementById('linje');
    return line.scrollWidth <= line.clientWidth && line.scrollHeight <= line.clientHeight + 1;
  },
  // The line's text, and where its selection starts and ends.
  lineSelection: () => {
    const line = document.getElementById('linje');
    return `${line.value}|${line.selectionStart}|${line.selectionEnd}`;
  },
  // Notes in window.tableWithAnswer whether the panel's table stands when
  // the answer shows in the console.
  watchAnswer: () => {
    const konsoll = document.getElementById('konsoll');
    new MutationObserver((records, observer) => {
      if (!records.some((r) => [...r.addedNodes].some((node) => node.textContent.includes('Antall ganger')))) return;
      window.tableWithAnswer = inPageTable();
      observer.disconnect();
    }).observe(konsoll, { childList: true });
    const inPageTable = () => !document.getElementById('utladninger').hidden
      && document.querySelectorAll('#tabell tbody tr').length > 0;
  },
  // Downloads the page starts, kept rather than saved: the file's name and its bytes.
  catchDownloads: () => {
    window.downloads = [];
    HTMLAnchorElement.prototype.click = function keep() { window.downloads.push([this.download, this.href]); };
  },
  download: async () => {
    const [name, href] = window.downloads[window.downloads.length - 1];
    return [name, [...new Uint8Array(await (await fetch(href)).arrayBuffer())]];
  },
  // What a printed page shows: the worksheet's heading, and which of the
  // console, the chart, the table and the buttons.
  printed: () => {
    const visible = (element) => element.getClientRects().length > 0;
    return {
      heading: visible(document.getElementById('ark')) ? document.getElementById('ark').textContent : null,
      shown: ['terminal', 'diagram', 'tabell', 'del', 'igjen'].filter((id) => visible(document.getElementById(id))),
    };
  },
  // Events as a phone's or a tablet's keyboard sends them.
  dispatch: (event) => {
    const line = document.getElementById('linje');
    if (event.keydown) {
      const { keyCode, ...init } = event.keydown;
      const keydown = new KeyboardEvent('keydown', { bubbles: true, cancelable: true, ...init });
      if (keyCode !== undefined) Object.defineProperty(keydown, 'keyCode', { value: keyCode });
      line.dispatchEvent(keydown);
    }
    if (event.beforeinput) {
      line.dispatchEvent(new InputEvent('beforeinput', { bubbles: true, cancelable: true, inputType: event.beforeinput }));
    }
    if (event.input !== undefined) {
      line.value += event.input;
      line.dispatchEvent(new InputEvent('input', { bubbles: true, inputType: 'insertText', data: event.input }));
    }
    if (event.submit) line.form.requestSubmit();
  },
};
