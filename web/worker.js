// SPDX-License-Identifier: MIT
// korvel im Browser: the worker that runs korvel's programs, so that the
// page stays responsive while they work. The page starts it from the
// module's script (korvelPrograms) and this one, and sends the module's
// WebAssembly as base64 first; then batches of runs, each answered by one
// message of their results. It also reads the files dropped on the page
// and paints every preview from the array's bytes.
//
// korvel's conversions and the reading of a pasted text's arrays are calls
// into one instance that lives as long as the worker. korvel-header and
// korvel-preview, and korvel on a file that is not there, run as their own
// programs in a fresh instance each, as each closes its standard output at
// the end of a run.
'use strict';

// The module's WebAssembly, compiled once, and the instance that lives as
// long as the worker, with its standard output so far.
let compiled = null;
let resident = null;
let residentout = [];

// An instance of the module; its standard output and error go to out and
// err, standard input is input's bytes.
function instance(out, err, input = new Uint8Array(0)) {
  let read = 0;
  return korvelPrograms({
    noInitialRun: true,
    instantiateWasm: (imports, receive) => {
      compiled.then((wasm) => WebAssembly.instantiate(wasm, imports)).then((made) => receive(made));
      return {};
    },
    // Without input, standard input is empty: no program waits for one.
    stdin: () => (read < input.length ? input[read++] : null),
    stdout: (byte) => out.push(byte),
    stderr: (byte) => err.push(byte),
  });
}

const text = (bytes) => new TextDecoder().decode(new Uint8Array(bytes));

// The bytes as a C string or buffer in the instance's memory, for a call.
function inmemory(module, bytes) {
  const at = module._malloc(bytes.length + 1);
  module.HEAPU8.set(bytes, at);
  module.HEAPU8[at + bytes.length] = 0;
  return at;
}

// korvel on a file of name holding bytes.
async function korvel({ name, bytes }) {
  const module = await resident;
  residentout = [];
  const nameat = inmemory(module, new TextEncoder().encode(name));
  const at = inmemory(module, bytes);
  const status = module._korvelconvert(nameat, at, bytes.length);
  module._free(at);
  module._free(nameat);
  const all = text(residentout);
  return { status, out: all, err: '', all, picture: status === 0 ? painttext(all) : null };
}

// The pictures of a text korvel-preview accepted, painted from their
// bytes (korvel's rows, those of a colour plane after them), each with its
// name and whether it is two planes, on paper.
async function arrays({ input }) {
  const module = await resident;
  const bytes = new TextEncoder().encode(input);
  const at = inmemory(module, bytes);
  const sizeat = module._malloc(4);
  const made = module._korvelarrays(at, bytes.length, sizeat);
  const size = module.HEAPU32[sizeat >> 2];
  module._free(sizeat);
  module._free(at);
  if (made === 0)
    return { pictures: null };
  const all = module.HEAPU8.slice(made, made + size);
  module._free(made);
  const view = new DataView(all.buffer);
  const pictures = [];
  for (let p = 0; p < all.length;) {
    const end = all.indexOf(0, p);
    const name = text(all.subarray(p, end));
    const width = view.getUint32(end + 1, true), height = view.getUint32(end + 5, true);
    const planes = all[end + 9] === 1 ? 2 : 1;
    const count = ((width + 7) >> 3) * height;
    p = end + 10;
    const rows = [];
    for (let plane = 0; plane < planes; plane++, p += count)
      rows.push(all.slice(p, p + count));
    pictures.push({ name, paper: planes === 2, ...(await paintrows({ width, height, rows })) });
  }
  return { pictures };
}

// korvel's programs, one after the other until one fails, each run on its
// args in a fresh instance: files maps paths (from the folder the run starts
// in) to their bytes, null for a folder; input is standard input's text;
// read names a file whose text each run's result brings back. With
// screen ({ rgb }), the last header, pixels-only in korvel's layout and
// polarity, is painted, its planes in the colour rgb, if any.
async function run({ runs, files = {}, input = '', read = null, screen = null }) {
  const results = [];
  for (const { args } of runs) {
    results.push(await runone(args, files, input, read));
    if (results[results.length - 1].status !== 0)
      break;
  }
  const last = results[results.length - 1];
  const picture = screen !== null && results.length === runs.length && last.status === 0
    ? await paintscreen(last.read, screen.rgb) : null;
  return { results, ...results[0], picture };
}

async function runone(args, files, input, read) {
  const out = [], err = [], all = [];
  const module = await instance({ push: (b) => { out.push(b); all.push(b); } },
                                { push: (b) => { err.push(b); all.push(b); } },
                                new TextEncoder().encode(input));
  // A folder of its own, so that no name meets the module's /dev or /tmp.
  module.FS.mkdir('/bilder');
  module.FS.chdir('/bilder');
  for (const [given, bytes] of Object.entries(files)) {
    const path = given.startsWith('/') ? given : `/bilder/${given}`;
    const folder = path.lastIndexOf('/');
    if (bytes === null)
      module.FS.mkdirTree(path);
    else if (folder > 0)
      module.FS.mkdirTree(path.slice(0, folder));
    if (bytes !== null)
      module.FS.writeFile(path, bytes);
  }
  const status = module.callMain(args);
  const made = status === 0 && read !== null ? module.FS.readFile(read, { encoding: 'utf8' }) : null;
  return { status, out: text(out), err: text(err), all: text(all), read: made };
}

// --- pictures, painted from korvel's bytes ---------------------------

// Lit and dark as a display shows them, and the paper's white and black,
// each as one pixel of ImageData (red, green, blue, opaque) read as a
// 32-bit word in the machine's order.
const colour = (rgb) => new Uint32Array(Uint8Array.from([...rgb, 255]).buffer)[0];
const display = [colour([0x10, 0x18, 0x20]), colour([0xE8, 0xF4, 0xFF])];
const paper = [colour([255, 255, 255]), colour([0, 0, 0])];

// korvel's array as bytes: width, height, then the rows.
function arraybytes(text) {
  return (text.match(/0x[0-9A-F]+/g) || []).map((hex) => parseInt(hex, 16));
}

// The pixels of korvel's rows: (width + 7) / 8 bytes to a row, the
// leftmost pixel in the high bit; 1 where lit.
function korvelpixels(width, height, rows, from = 0) {
  const rowbytes = (width + 7) >> 3;
  const lit = new Uint8Array(width * height);
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++)
      lit[y * width + x] = (rows[from + y * rowbytes + (x >> 3)] >> (7 - (x & 7))) & 1;
  return lit;
}

// korvel's text, painted.
function painttext(text) {
  const bytes = arraybytes(text);
  return paint(bytes[0], bytes[1], korvelpixels(bytes[0], bytes[1], bytes, 2));
}

// A pixels-only header of korvel's layout and polarity, painted: its size
// from the two defines, then the rows; with a panel's colour (rgb), two
// such arrays, black then colour, painted as the paper shows them.
function paintscreen(text, rgb = null) {
  const size = (which) => Number((text.match(new RegExp(`_${which} (\\d+)\\n`)) || [0, 0])[1]);
  const width = size('width'), height = size('height');
  const [black, ink] = text.split(/\n#define bmppic /).slice(1).map((array) =>
    korvelpixels(width, height, arraybytes(array.slice(array.indexOf('{')))));
  if (rgb === null)
    return paint(width, height, black);
  return paint(width, height, black.map((dark, i) => (ink[i] ? 2 : dark)), rgb);
}

// A picture of a pasted text, from korvel's rows of it (and of its colour
// plane), as korvel-preview draws it: over 255 pixels a side reduced, each
// cell lit if any of the scale x scale pixels it stands for is. Planes are
// painted in red.
function paintrows({ width, height, rows }) {
  const scale = Math.floor(Math.max(width, height) / 256) + 1;
  const cells = { width: Math.ceil(width / scale), height: Math.ceil(height / scale) };
  const lit = new Uint8Array(cells.width * cells.height);
  rows.forEach((plane, ink) => {
    korvelpixels(width, height, plane).forEach((on, i) => {
      if (on)
        lit[Math.floor(Math.floor(i / width) / scale) * cells.width + Math.floor((i % width) / scale)] = ink + 1;
    });
  });
  return paint(cells.width, cells.height, lit, rows.length === 2 ? [255, 0, 0] : null);
}

// Pixels (0 dark, 1 lit; on paper 0 white, 1 black, 2 the colour rgb) as
// a picture the page shows without a copy: { width, height, bitmap }.
async function paint(width, height, lit, rgb = null) {
  const image = new ImageData(width, height);
  const pixels = new Uint32Array(image.data.buffer);
  const shown = rgb === null ? display : [...paper, colour(rgb)];
  for (let i = 0; i < pixels.length; i++)
    pixels[i] = shown[lit[i]];
  return { width, height, bitmap: await createImageBitmap(image) };
}

// --- files ------------------------------------------------------------

const otherpictures = [
  ['image/png', [0x89, 0x50, 0x4E, 0x47]],
  ['image/jpeg', [0xFF, 0xD8, 0xFF]],
  ['image/gif', [0x47, 0x49, 0x46, 0x38]],  // GIF8
];

// The type of a picture korvel does not read, or null.
function othertype(bytes) {
  const starts = (magic, at = 0) => magic.every((b, i) => bytes[at + i] === b);
  if (starts([0x52, 0x49, 0x46, 0x46]) && starts([0x57, 0x45, 0x42, 0x50], 8))
    return 'image/webp';
  const known = otherpictures.find(([, magic]) => starts(magic));
  return known ? known[0] : null;
}

// A dropped or chosen file: its bytes (null for a folder or a file that
// went away) and, for a picture of another type, that type; else korvel's
// run on it.
async function file({ name, reading }) {
  const bytes = await reading;
  const type = bytes === null ? null : othertype(bytes);
  if (type !== null)
    return { bytes, type };
  const made = bytes === null ? await run({ runs: [{ args: ['korvel', name] }] }) : await korvel({ name, bytes });
  return { bytes, type, status: made.status, all: made.all, picture: made.picture || null };
}

// korvel-preview's drawing of a text, or its message; where it draws, the
// pictures from their bytes, to be drawn alike.
async function preview({ input }) {
  const shown = await runone(['korvel-preview'], {}, input, null);
  return { ...shown, ...(shown.status === 0 ? await arrays({ input }) : { pictures: null }) };
}

const kinds = { file, korvel, run, preview };

// The first message brings the WebAssembly; each other one a batch of
// runs, answered by their results in one message.
onmessage = async ({ data }) => {
  if (data.wasm !== undefined) {
    compiled = WebAssembly.compile(Uint8Array.from(atob(data.wasm), (c) => c.charCodeAt(0)));
    resident = instance({ push: (b) => residentout.push(b) }, []);
    return;
  }
  // The batch's files are read at once, and its pictures painted at once,
  // as both wait on the browser; korvel's runs are one after the other.
  for (const job of data.filter((each) => each.kind === 'file'))
    job.reading = job.file.arrayBuffer().then((buffer) => new Uint8Array(buffer), () => null);
  const results = [];
  for (const job of data) {
    try {
      results.push(await kinds[job.kind](job));
    } catch (error) {
      results.push({ error: String(error) });
    }
  }
  await Promise.all(results.map(async (result) => {
    try {
      result.picture = await result.picture;
    } catch (error) {
      result.error = String(error);
    }
  }));
  // A file's bytes and the pictures go back without a copy.
  const pictures = results.flatMap((result) => [result.picture, ...(result.pictures || [])]).filter(Boolean);
  postMessage(results, [...results.filter((result) => result.bytes).map((result) => result.bytes.buffer),
                        ...pictures.map((picture) => picture.bitmap)]);
};
