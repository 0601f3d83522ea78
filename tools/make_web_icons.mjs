// Makes the page's icons from the text grid of the Windows icon, as make_icon
// makes the .ico, so that both show the same picture:
//   node make_web_icons.mjs icon.txt FOLDER
// writes icon.svg, icon-192.png and icon-512.png (the picture on a white
// tile) and icon-maskable.png (on a tile a mask may crop: the picture within
// the middle 70 %). The grid: 32 rows of 32 characters, a hexadecimal digit
// an index into the palette of its 16 "colour" lines, a full stop transparent.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

const tile = 'ffffff';
const size = 32;

const [gridFile, folder] = process.argv.slice(2);
const lines = fs.readFileSync(gridFile, 'utf8').split('\n').filter((line) => line !== '' && !line.startsWith('#'));
const palette = [];
for (const [, index, rgb] of lines.map((line) => line.match(/^colour ([0-9A-F]) ([0-9A-F]{6}) /)).filter(Boolean)) {
  palette[parseInt(index, 16)] = rgb.toLowerCase();
}
const rows = lines.filter((line) => !line.startsWith('colour '));
if (rows.length !== size || rows.some((row) => !new RegExp(`^[0-9A-F.]{${size}}$`).test(row)) ||
    palette.filter(Boolean).length !== 16) {
  throw new Error(`${gridFile} is not a grid of ${size} rows of ${size} pixels with 16 colours`);
}

// Each row's runs of one colour, as [x, length, colour].
const runs = rows.map((row) => [...row.matchAll(/([0-9A-F])\1*/g)].map((m) => [m.index, m[0].length, m[1]]));

// A run and the same runs right below it make one rectangle.
function svg() {
  const same = (a, b) => a[0] === b[0] && a[1] === b[1] && a[2] === b[2];
  const rects = runs.flatMap((row, y) => row.filter((run) => y === 0 || !runs[y - 1].some((above) => same(run, above)))
    .map(([x, length, colour]) => {
      let height = 1;
      while (y + height < size && runs[y + height].some((below) => same(below, [x, length, colour]))) height += 1;
      return `<rect x="${x}" y="${y}" width="${length}" height="${height}" fill="#${palette[parseInt(colour, 16)]}"/>`;
    }));
  return `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 ${size} ${size}" shape-rendering="crispEdges">` +
    `<rect width="${size}" height="${size}" rx="4" fill="#${tile}"/>${rects.join('')}</svg>\n`;
}

// A PNG of `pixels` × `pixels`, the grid scaled by `scale` and centred on
// the tile, as 8-bit indices into the palette with the tile's colour last.
function png(pixels, scale) {
  const margin = (pixels - size * scale) / 2;
  const lines = [];
  for (let y = 0; y < pixels; y += 1) {
    const line = Buffer.alloc(1 + pixels, 16);  // filter type 0, then the tile
    line[0] = 0;
    const gridY = Math.floor((y - margin) / scale);
    if (gridY >= 0 && gridY < size) {
      for (let x = 0; x < size; x += 1) {
        const c = rows[gridY][x];
        if (c !== '.') line.fill(parseInt(c, 16), 1 + margin + x * scale, 1 + margin + (x + 1) * scale);
      }
    }
    lines.push(line);
  }
  const crcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; k += 1) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  const crc = (bytes) => {
    let c = 0xffffffff;
    for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  };
  const chunk = (type, data) => {
    const body = Buffer.concat([Buffer.from(type, 'ascii'), data]);
    const length = Buffer.alloc(4);
    length.writeUInt32BE(data.length);
    const check = Buffer.alloc(4);
    check.writeUInt32BE(crc(body));
    return Buffer.concat([length, body, check]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(pixels, 0);
  header.writeUInt32BE(pixels, 4);
  header.set([8, 3, 0, 0, 0], 8);  // 8 bits, palette, deflate, no filter choice, no interlace
  const colours = Buffer.from([...palette, tile].join(''), 'hex');
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
    chunk('PLTE', colours), chunk('IDAT', zlib.deflateSync(Buffer.concat(lines), { level: 9 })),
    chunk('IEND', Buffer.alloc(0))]);
}

fs.mkdirSync(folder, { recursive: true });
fs.writeFileSync(path.join(folder, 'icon.svg'), svg());
fs.writeFileSync(path.join(folder, 'icon-192.png'), png(192, 6));
fs.writeFileSync(path.join(folder, 'icon-512.png'), png(512, 16));
fs.writeFileSync(path.join(folder, 'icon-maskable.png'), png(512, 11));
