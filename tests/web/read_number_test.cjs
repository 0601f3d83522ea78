// The web build's number reader against JavaScript's own, which rounds every
// decimal correctly too: random numbers with long digit strings near the
// ends of the double range, and the forms the reader takes.
//   node read_number_test.cjs web_read_number.js
'use strict';
const path = require('path');

function randomNumber(random) {
  const digits = Array.from({ length: 1 + Math.floor(random() * 800) }, () => Math.floor(random() * 10)).join('');
  const point = Math.floor(random() * digits.length);
  const exponent = Math.floor(random() * 1400) - 1100;
  return `${random() < 0.5 ? '-' : ''}${digits.slice(0, point)}.${digits.slice(point)}e${exponent}`;
}

// A small generator of its own, so that a failure can be repeated.
function generator(seed) {
  let state = seed;
  return () => {
    state = (state * 1103515245 + 12345) % 2147483648;
    return state / 2147483648;
  };
}

require(path.resolve(process.argv[2]))().then((module) => {
  const read = module.cwrap('web_read_number', 'number', ['string']);
  const random = generator(2024);
  const forms = ['1e-6', '+12', '.5', '5.', '0.000001', '9007199254740993', '4.9406564584124654e-324',
    '2.4703282292062328e-324', '1.7976931348623158e308', '1e400', '-1e-400'];
  const texts = forms.concat(Array.from({ length: 20000 }, () => randomNumber(random)));
  const bits = (x) => Buffer.from(new Float64Array([x]).buffer).toString('hex');
  const wrong = texts.filter((text) => bits(read(text)) !== bits(Number(text)));
  for (const text of wrong.slice(0, 5)) console.log(`${text.slice(0, 60)}...: ${read(text)}, not ${Number(text)}`);
  console.log(`${texts.length - wrong.length} of ${texts.length} read as JavaScript reads them`);
  process.exit(wrong.length === 0 ? 0 : 1);
});
