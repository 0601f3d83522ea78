// Makes the page from src/web/kondensator.html, its style and scripts, and
// the program (the script emscripten made), in one of two forms:
//   node make_page.mjs single SOURCE PROGRAM VERSION ICONS OUTPUT
//     OUTPUT: one file holding everything (its style, its scripts, the
//     program in the script its worker runs, its icon as a data: URL), so
//     that it works from a disk and can be shared as it is;
//   node make_page.mjs site SOURCE PROGRAM VERSION ICONS OUTPUT WINDOWS_ICON DOCS
//     OUTPUT: a folder for a web server: index.html, the manifest, the
//     service worker, the icons, the teachers' guides from DOCS, and a folder
//     named by a hash of what it holds (the style, the scripts, the worker
//     and the program), so that two builds whose code differs never share a
//     name. It has no inline script or style, so that it runs under a strict
//     Content-Security-Policy.
// The page's words come from words.js, in bokmål, or in the form of the
// element's own lang attribute.
import crypto from 'node:crypto';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

const [mode, source, program, version, icons, output, windowsIcon, docs] = process.argv.slice(2);
if (!['single', 'site'].includes(mode) || !output || (mode === 'site' && !docs)) {
  throw new Error('usage: make_page.mjs single|site SOURCE PROGRAM VERSION ICONS OUTPUT [WINDOWS_ICON DOCS]');
}
const read = (file) => fs.readFileSync(path.join(source, file), 'utf8');

// The page's scripts, in the order they run.
const scripts = ['protocol.js', 'formula.js', 'words.js', 'language.js', 'line_discipline.js', 'lesson.js', 'chart.js',
  'page_state.js', 'worker_client.js', 'page_words.js', 'console_view.js', 'panel.js', 'console.js', 'page.js'];
// What the worker loads beside itself, as worker.js names it, the program last.
const workerScripts = read('worker.js').match(/importScripts\(([^)]*)\)/)[1].match(/[\w.]+\.js/g);

const { words } = createRequire(import.meta.url)(path.resolve(source, 'words.js'));
const escape = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
const word = (name, form) => {
  const entry = words[name];
  if (entry === undefined) throw new Error(`kondensator.html names the word ${name}, which words.js does not hold`);
  return escape(typeof entry === 'string' ? entry : entry[form]);
};

// Each empty element with data-tekst gets its word, and each element with
// data-tekst-label its word as its accessible name.
function withWords(html) {
  return html
    .replace(/(<([a-z]+)\b([^>]*?)\bdata-tekst="(\w+)"([^>]*)>)(<\/\2>)/g, (_, start, tag, before, name, after, end) => {
      const form = (`${before} ${after}`.match(/\blang="(\w+)"/) || [null, 'nb'])[1];
      return `${start}${word(name, form)}${end}`;
    })
    .replace(/\bdata-tekst-label="(\w+)"/g, (label, name) => `${label} aria-label="${word(name, 'nb')}"`);
}

// Text that would end the element it stands in, or make the HTML parser look
// for an end elsewhere.
function inlinable(text, name, closing) {
  for (const sequence of [`</${closing}`, '<!--', '<script']) {
    if (text.toLowerCase().includes(sequence)) {
      throw new Error(`${name} holds '${sequence}', which cannot stand inside a <${closing}> element`);
    }
  }
  return text;
}

function fill(page, marker, text) {
  if (!page.includes(`<!--@${marker}@-->`)) throw new Error(`kondensator.html has no marker <!--@${marker}@-->`);
  return page.replace(`<!--@${marker}@-->`, () => text);
}

// What the build's folder holds, by name, and the folder's name: the first
// 16 hexadecimal digits of a SHA-256 of the names and contents.
const versioned = new Map([['kondensator.css', read('kondensator.css')], ...scripts.map((file) => [file, read(file)]),
  ['worker.js', read('worker.js')], ['kondensator.js', fs.readFileSync(program, 'utf8')]]);
const hash = crypto.createHash('sha256');
for (const [name, text] of versioned) hash.update(`${name}\0${text.length}\0${text}`);
const build = hash.digest('hex').slice(0, 16);

let page = withWords(read('kondensator.html')).replaceAll('@VERSION@', version).replaceAll('@BUILD@', build);

if (mode === 'single') {
  // The icon as a data: URL, with the few characters a URL cannot hold as they are.
  const icon = fs.readFileSync(path.join(icons, 'icon.svg'), 'utf8').trim().replace(/%/g, '%25').replace(/#/g, '%23')
    .replace(/</g, '%3C').replace(/>/g, '%3E').replace(/"/g, "'");
  const style = inlinable(versioned.get('kondensator.css'), 'kondensator.css', 'style');
  const script = (file) => inlinable(versioned.get(file), file, 'script');
  // The worker's scripts once: those the page runs too, marked data-worker,
  // and the program with worker.js, which only the worker runs. The page
  // makes the worker's script from them, in this order.
  const shared = workerScripts.slice(0, -1);
  const tags = shared.map((file) => `<script data-worker>\n${script(file)}</script>`);
  tags.push(`<script type="text/js-worker" data-worker>\n${script(workerScripts[workerScripts.length - 1])}\n${
    script('worker.js')}</script>`);
  tags.push(`<script>\n${scripts.filter((file) => !shared.includes(file)).map(script).join('')}</script>`);
  page = fill(page, 'HEAD', `<link rel="icon" href="data:image/svg+xml,${icon}">\n<style>\n${style}</style>`);
  page = fill(page, 'SCRIPTS', tags.join('\n'));
  fs.writeFileSync(output, page);
} else {
  fs.rmSync(output, { recursive: true, force: true });
  fs.mkdirSync(path.join(output, build), { recursive: true });
  page = fill(page, 'HEAD', ['<link rel="icon" href="icon.svg" type="image/svg+xml">',
    '<link rel="apple-touch-icon" href="icon-192.png">', '<link rel="manifest" href="manifest.json">',
    `<link rel="stylesheet" href="${build}/kondensator.css">`].join('\n'));
  page = fill(page, 'SCRIPTS', scripts.map((file) => `<script src="${build}/${file}"></script>`).join('\n'));
  fs.writeFileSync(path.join(output, 'index.html'), page);
  for (const [name, text] of versioned) fs.writeFileSync(path.join(output, build, name), text);
  fs.copyFileSync(path.join(source, 'manifest.json'), path.join(output, 'manifest.json'));
  for (const icon of ['icon.svg', 'icon-192.png', 'icon-512.png', 'icon-maskable.png']) {
    fs.copyFileSync(path.join(icons, icon), path.join(output, icon));
  }
  fs.copyFileSync(windowsIcon, path.join(output, 'favicon.ico'));
  // The guides, with the version in the file names.
  for (const guide of ['LESMEG.txt', 'LESMEG-nynorsk.txt']) {
    const text = fs.readFileSync(path.join(docs, `${guide}.in`), 'utf8').replaceAll('@VERSION@', version);
    fs.writeFileSync(path.join(output, guide), text);
  }
  // The service worker keeps every file, and the folder's own address.
  const files = ['./', ...['index.html', 'manifest.json', 'icon.svg', 'icon-192.png', 'icon-512.png',
    'icon-maskable.png', 'favicon.ico', 'LESMEG.txt', 'LESMEG-nynorsk.txt'].map((file) => `./${file}`),
  ...[...versioned.keys()].map((file) => `./${build}/${file}`)];
  const serviceWorker = read('service_worker.js').replace('@BUILD@', build)
    .replace('@FILES@', files.map((file) => `'${file}'`).join(', '));
  fs.writeFileSync(path.join(output, 'service_worker.js'), serviceWorker);
}
