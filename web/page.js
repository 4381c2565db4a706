// SPDX-License-Identifier: MIT
// korvel im Browser: the page around korvel's own programs.
//
// Every file is converted by korvel itself, compiled to WebAssembly with
// korvel-header and korvel-preview into one module (korvelPrograms), run
// in a worker (worker.js) so that the page never waits on it: korvel's
// converter gets the file's bytes and its name, and the page shows exactly
// what `korvel <name>` prints, and its exit status.
//
// A converted picture can be saved as a named header in any form (layout,
// polarity, turn, with or without size bytes), and all results as one
// header of frames, written by korvel-header's own code as
// korvel_add_bitmaps() writes them. A whole screen, past korvel's 255
// pixels a side, is korvel-header's array without size bytes. A text
// pasted into the page is read and drawn by korvel-preview's own code.
//
// A PNG, JPEG, GIF or WebP picture is nothing korvel reads. The page makes
// a 1-bit BMP of it first, as a paint program would save it (40-byte header,
// black at palette index 0, rows bottom-up), and hands that to korvel: a
// pixel as dark as the threshold or darker is black, and korvel lights black pixels.
// An animation gives one such BMP, and one result, for each frame as the
// browser composes it.
'use strict';

(() => {
  const results = document.getElementById('results');
  const picker = document.getElementById('files');
  const template = document.getElementById('card');
  // The card of each result element, for the header of all results.
  const cards = new WeakMap();

  // Every file gets its card in the order given and is handled at once;
  // the worker reads and converts them in that order, and each result is
  // shown as it is made. The cards are made a few to a task, so that the
  // page answers while many files arrive.
  let adding = Promise.resolve();
  function addfiles(files) {
    const all = Array.from(files);
    adding = adding.then(() => fewpertask(all, (file) => {
      const card = makecard(file.name);
      results.append(card.element);
      panel.element.hidden = false;
      // Whatever goes wrong with one file is said on its card.
      handle(file, card).catch((error) => card.fail(String(error)));
    }));
  }

  // fn on each item of a list and its index, a few to a task, so that the
  // page answers during long lists; each one's promise, if it gives one, is
  // waited for before the next.
  async function fewpertask(list, fn) {
    for (const [index, item] of list.entries()) {
      await breathe();
      await fn(item, index);
    }
  }

  // The page's work is cut into tasks of at most a few milliseconds: a
  // loop over many items calls this before each, and goes on in a task of
  // its own once the present one has run that long. A fixed number of
  // items a task is not enough: a slow machine, or one whose other core
  // is busy, takes several times as long over each.
  const taskbudget = 8;
  let taskbegun = -Infinity;
  async function breathe() {
    if (performance.now() - taskbegun < taskbudget)
      return;
    await new Promise((resolve) => {
      const channel = new MessageChannel();
      channel.port1.onmessage = resolve;
      channel.port2.postMessage(null);
    });
    taskbegun = performance.now();
  }

  picker.addEventListener('change', () => {
    addfiles(picker.files);
    picker.value = '';
  });
  // A picture dropped anywhere on the page, not opened by the browser.
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', (event) => {
    if (event.relatedTarget === null)
      document.body.classList.remove('dragging');
  });
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    addfiles(event.dataTransfer.files);
  });

  // --- korvel's programs, in a worker ----------------------------------

  // The worker is made of the module's script and its own, both text in
  // the page; it compiles the WebAssembly it is sent first.
  const script = (id) => document.getElementById(id).textContent;
  const worker = new Worker(URL.createObjectURL(new Blob([script('korvel-module'), script('korvel-worker')],
                                                         { type: 'text/javascript' })));
  worker.postMessage({ wasm: script('korvel-wasm').trim() });

  // The worker's runs, in the order asked, sent as one batch of all that
  // wait while none is running. A run asked for a key (a card, the pasted
  // text) takes the place of one for that key still waiting, which gives
  // null: its result would only be replaced. The results are handed on a
  // few to a task, so that showing many does not hold up the page.
  const waiting = [];
  let running = null, handing = Promise.resolve();
  function ask(key, message) {
    return new Promise((resolve, reject) => {
      const old = key === null ? -1 : waiting.findIndex((job) => job.key === key);
      if (old !== -1)
        waiting.splice(old, 1)[0].resolve(null);
      waiting.push({ key, message, resolve, reject });
      sendnext();
    });
  }
  function sendnext() {
    if (running !== null || waiting.length === 0)
      return;
    running = waiting.splice(0);
    worker.postMessage(running.map((job) => job.message));
  }
  worker.addEventListener('message', ({ data }) => {
    const done = running;
    running = null;
    sendnext();
    handing = handing.then(() => fewpertask(done, (job, i) => {
      if (data[i].error === undefined)
        job.resolve(data[i]);
      else
        job.reject(new Error(data[i].error));
    }));
  });

  // A worker that cannot run at all fails every run, each card saying why.
  worker.addEventListener('error', (event) => {
    for (const job of [...(running || []), ...waiting.splice(0)])
      job.reject(new Error(event.message));
    running = null;
  });

  // korvel on name, with bytes as the file's content; null bytes leave
  // the file out, and korvel says it was not found. The text it printed,
  // its exit status and the array's picture; null if superseded.
  async function korvel(key, name, bytes) {
    const made = await ask(key, bytes === null ? { kind: 'run', runs: [{ args: ['korvel', name] }] }
                                              : { kind: 'korvel', name, bytes });
    return made && { text: made.all, status: made.status, picture: made.picture };
  }

  // korvel-header's headers of the pictures ({ name, bytes } each), their
  // arrays named name, with each set of options before the header's path,
  // one after the other until one fails: headers, each header's text, or
  // null with its message where refused, and with screen, the last one
  // painted (see worker.js). Each picture has a folder of its own, as two
  // may have one name. null if superseded.
  async function korvelheader(key, optionsets, name, pictures, screen = null) {
    const refusal = namerefusal(name);
    if (refusal !== '')
      return { headers: [{ text: null, message: `Kein Header: ${refusal} Die Datei umbenennen, nach ihr heißt das Array.` }] };
    const files = { '/header': null };
    const paths = pictures.map((picture, i) => {
      const path = pictures.length > 1 ? `${i}/${picture.name}` : picture.name;
      files[path] = picture.bytes;
      return path;
    });
    const header = '/header/header.h';
    const made = await ask(key, { kind: 'run', files, read: header, screen,
                                  runs: optionsets.map((options) => ({ args: ['korvel-header', ...options, header, name, ...paths] })) });
    return made && { picture: made.picture, headers: made.results.map((result) => (
      result.status === 0 ? { text: result.read, message: '' } : { text: null, message: result.err.trim() })) };
  }

  // Why korvel-header and korvel_add_bitmaps() refuse an array's name, or
  // '' (their list, cmake/korvelNames.cmake): one that is no identifier,
  // that compilers keep for themselves, or that is too long.
  const reserved = new Set('@KORVEL_RESERVED_NAMES@'.split(' '));
  const longestname = Number('@KORVEL_NAME_MAX@');
  function namerefusal(name) {
    if (!/^[A-Za-z_][A-Za-z0-9_]*$/.test(name))
      return `„${name}“ ist kein C-Bezeichner: Buchstaben, Ziffern und _, vorn keine Ziffer.`;
    if (reserved.has(name) || /^(__|_[A-Z])/.test(name))
      return `„${name}“ nehmen C- oder C++-Compiler für sich; bitte einen anderen Namen.`;
    if (name.length > longestname)
      return `Der Name ist ${name.length} Zeichen lang, erlaubt sind höchstens ${longestname}.`;
    return '';
  }

  // The array's name as korvel_add_bitmaps() makes it of a file's stem:
  // every byte but a letter, digit or '_' becomes '_', and a leading digit
  // gets one before it.
  function arrayname(stem) {
    const name = Array.from(new TextEncoder().encode(stem), (byte) => {
      const c = String.fromCharCode(byte);
      return /[A-Za-z0-9_]/.test(c) ? c : '_';
    }).join('');
    return /^[0-9]/.test(name) ? `_${name}` : name;
  }

  // The form chosen in a form's fields, as korvel-header's options, and the
  // part of a header's name that tells it from korvel's form.
  function formof(fields) {
    return { layout: fields.layout.value, polarity: fields.polarity.value, turn: fields.turn.value,
             pixelsonly: fields.pixelsonly.checked };
  }
  function formargs(form) {
    return ['--layout', form.layout, '--polarity', form.polarity, '--rotate', form.turn,
            ...(form.pixelsonly ? ['--pixels-only'] : [])];
  }
  function formname(form) {
    return [form.layout, form.polarity === 'white' ? 'white' : '', form.turn !== '0' ? form.turn : '',
            form.pixelsonly ? 'pixels' : ''].filter((part) => part !== '').join('.');
  }

  // --- one file -------------------------------------------------------

  // A name that the module's file system can hold as one file of its own
  // folder: not empty, not . or .., no folders in it.
  function plainname(name) {
    return name !== '' && name !== '.' && name !== '..' && !name.includes('/') && !name.includes('\0');
  }

  // The worker reads the file and converts it, unless it is a picture of
  // another type, which the page makes 1-bit first; a folder or a file
  // that went away reads as null, which korvel then says it did not find.
  async function handle(file, card) {
    if (!plainname(file.name)) {
      card.fail(`Der Dateiname „${file.name}“ ist kein Name einer Datei; korvel bekommt sie nicht.`);
      return;
    }
    const made = await ask(card, { kind: 'file', name: file.name, file });
    if (made === null)
      return;
    const { bytes, type } = made;
    card.original = bytes;
    if (type === null) {
      card.converted = { name: file.name, bytes };
      card.show(made.all, made.status, made.picture, lighterfirst(bytes));
      return;
    }
    const frames = await animationframes(card, bytes, type);
    if (frames === null)
      await makeonebit(card, bytes);
    else
      await makeanimation(card, frames);
  }

  // A whole screen is korvel-header's: its header in the chosen form,
  // drawn from a copy in korvel's layout and polarity, turned alike. So
  // are a picture's two planes, of any size. A result is shown only while
  // the card still holds what it was made of.
  async function convert(card, name, bytes) {
    card.element.removeAttribute('data-korvel-status');
    const converted = card.converted = { name, bytes };
    const form = card.form();
    if (!form.pixelsonly && card.planes === null) {
      const made = await korvel(card, name, bytes);
      if (made !== null && card.converted === converted)
        card.show(made.text, made.status, made.picture, lighterfirst(bytes));
      return;
    }
    const panel = card.planes && panelcolours[card.settings.colours];
    const made = await cardheader(card, [formargs(form), ['--pixels-only', '--rotate', form.turn]], card,
                                  { rgb: panel ? panel.rgb : null });
    if (made !== null && card.converted === converted)
      card.showscreen(made.headers[0], made.headers[1] || made.headers[0], made.picture, panel);
  }

  // korvel-header's headers of a card's converted picture, or of its two
  // planes, one for each set of options; null if superseded.
  function cardheader(card, optionsets, key = card, screen = null) {
    return card.planes === null
      ? korvelheader(key, optionsets, card.arrayname, [card.converted], screen)
      : korvelheader(key, optionsets.map((options) => ['--planes', ...options]), card.arrayname, card.planes, screen);
  }

  // Whether a BMP's palette has its lighter colour first, as korvel-header
  // judges it (Rec. 709): korvel sets the bits of the pixels stored 0, so
  // its array is then the negative of what a paint program shows.
  function lighterfirst(bytes) {
    if (bytes === null || bytes.length < 18 || bytes[0] !== 0x42 || bytes[1] !== 0x4D)
      return false;
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    const palette = 14 + view.getUint32(14, true);
    const entry = palette === 26 ? 3 : 4;
    if (view.getUint32(10, true) < palette + 2 * entry || bytes.length < palette + 2 * entry)
      return false;
    const luminance = (at) => 722 * bytes[at] + 7152 * bytes[at + 1] + 2126 * bytes[at + 2];
    return luminance(palette) > luminance(palette + entry);
  }

  // --- making a 1-bit BMP ---------------------------------------------

  const defaults = { threshold: 50, dither: false, invert: false, rotate: 0, mirror: false,
                     fit: false, width: 128, height: 64, colours: 'bw', display: '' };
  // korvel takes at most 255 pixels a side, arrays without size bytes
  // 8192.
  const largest = 255, screenlargest = 8192;

  async function makeonebit(card, bytes) {
    let full;
    try {
      full = await createImageBitmap(new Blob([bytes]));
    } catch (error) {
      card.note('Der Browser kann dieses Bild nicht lesen; korvel bekommt die Datei, wie sie ist.');
      await convert(card, card.name, bytes);
      return;
    }
    card.settings = { ...defaults };
    await takebitmap(card, full);
    card.showsettings(() => remakesoon(card));
    await remake(card);
  }

  // A picture larger than korvel takes is fitted at once, and kept as large
  // as the largest fitting needs: for korvel, so that no setting costs more
  // than for a picture of 255 x 255, and for a whole screen.
  async function takebitmap(card, full) {
    card.size = { width: full.width, height: full.height };
    card.full = await keep(full, screenlargest);
    if (full.width <= largest && full.height <= largest) {
      card.bitmap = full;
      return;
    }
    card.settings.fit = true;
    card.bitmap = await keep(full, largest);
    if (card.full !== full)
      full.close();
    card.note(`Das Bild ist ${card.size.width} x ${card.size.height} Pixel groß, korvel nimmt ` +
              `höchstens ${largest} je Seite: es wurde gleich eingepasst.`);
  }

  // The bitmap, or one as large as fits limit x limit.
  async function keep(bitmap, limit) {
    if (bitmap.width <= limit && bitmap.height <= limit)
      return bitmap;
    const small = fitted(bitmap.width, bitmap.height, { fit: true, width: limit, height: limit });
    return createImageBitmap(bitmap, { resizeWidth: small.width, resizeHeight: small.height, resizeQuality: 'high' });
  }

  // The frames of an animated GIF, WebP or PNG as the browser composes
  // them (offsets and disposal applied), each with its delay in
  // milliseconds, and how often the animation plays (Infinity: for ever);
  // null for a still picture, or where the browser decodes no frames,
  // which the card then says. Of a damaged animation, the frames before
  // the damage, said; a delay over korvel-header's 65535 ms is cut to it,
  // said.
  const longestdelay = 65535;
  async function animationframes(card, bytes, type) {
    if (type === 'image/jpeg')
      return null;
    if (typeof ImageDecoder === 'undefined' || !(await ImageDecoder.isTypeSupported(type))) {
      card.note('Dieser Browser zerlegt keine Animationen: von einer Animation nimmt die Seite ' +
                'nur das erste Bild.');
      return null;
    }
    let decoder = null;
    try {
      decoder = new ImageDecoder({ data: bytes, type });
      await decoder.tracks.ready;
      const whole = await decoder.completed.then(() => true, () => false);
      const track = decoder.tracks.selectedTrack;
      if (!track || !track.animated || track.frameCount < 2)
        return null;
      const frames = [], cut = [];
      let damaged = !whole;
      for (let frameIndex = 0; frameIndex < track.frameCount; frameIndex++) {
        let image;
        try {
          ({ image } = await decoder.decode({ frameIndex, completeFramesOnly: true }));
        } catch (error) {
          damaged = true;
          break;
        }
        const delay = Math.round((image.duration || 0) / 1000);
        if (delay > longestdelay)
          cut.push(`Bild ${frameIndex + 1}: ${delay} ms`);
        frames.push({ bitmap: await createImageBitmap(image), delay: Math.min(delay, longestdelay) });
        image.close();
      }
      if (frames.length < 2)
        return null;
      const said = [];
      if (damaged)
        said.push(`Die Animation ist beschädigt oder abgeschnitten: ${frames.length} Bilder ließen sich lesen.`);
      if (cut.length > 0)
        said.push(`korvel-header nimmt höchstens ${longestdelay} ms je Bild; gekürzt: ${cut.join(', ')}.`);
      if (said.length > 0)
        card.note(said.join(' '));
      frames.plays = track.repetitionCount === Infinity ? Infinity : track.repetitionCount + 1;
      return frames;
    } catch (error) {
      // What the decoder cannot take, createImageBitmap may still read.
      return null;
    } finally {
      if (decoder !== null)
        decoder.close();
    }
  }

  // One result for each frame, after the file's own card, which becomes
  // the first; its settings make every frame, and its player shows them
  // at their delays.
  async function makeanimation(first, frames) {
    const group = [];
    first.settings = { ...defaults };
    await fewpertask(frames, async (frame, index) => {
      const card = index === 0 ? first : makecard(first.name);
      if (index > 0)
        group[index - 1].element.after(card.element);
      card.frame(index, frames.length, frame.delay);
      card.settings = first.settings;
      group.push(card);
      await takebitmap(card, frame.bitmap);
    });
    first.showsettings(() => fewpertask(group, (card) => {
      card.settings = first.settings;
      remakesoon(card);
    }));
    const made = [];
    await fewpertask(group, (card) => made.push(remake(card)));
    await Promise.all(made);
    first.play(group, frames.plays);
  }

  // While a slider moves, every setting makes its BMP at once; the worker
  // converts the last one made.
  function remakesoon(card) {
    remake(card).catch((error) => card.fail(String(error)));
  }

  async function remake(card) {
    const s = card.settings;
    const turned = turnedsize(card.size, s);
    const size = fitted(turned.width, turned.height, s);
    const panel = panelcolours[s.colours];
    card.describe((panel === undefined ? `Als 1-Bit-BMP ${card.made} erzeugt: Schwelle ${s.threshold} %, ` +
                                         `${s.dither ? 'mit' : 'ohne'} Floyd-Steinberg-Dithering, ` +
                                         `${s.invert ? 'invertiert' : 'nicht invertiert'}, `
                                       : `Als 1-Bit-BMPs ${card.stem}-black.bmp und ${card.stem}-colour.bmp erzeugt: ` +
                                         `jedes Pixel das nächste von Schwarz, Weiß und ${panel.name}, `) +
                  `${s.rotate ? `um ${s.rotate}° gedreht` : 'nicht gedreht'}, ` +
                  `${s.mirror ? 'gespiegelt' : 'nicht gespiegelt'}, ` +
                  (s.fit ? `eingepasst in ${s.width} x ${s.height}` : 'Originalgröße') +
                  ` (${size.width} x ${size.height} Pixel)`);
    // Too large: the refusal needs the size alone, not the pixels.
    const limit = card.limit();
    const toolarge = size.width > limit || size.height > limit;
    const bitmap = limit === largest ? card.bitmap : card.full;
    card.planes = null;
    if (toolarge) {
      card.bmp = onebitbmp(null, size.width, size.height);
    } else if (panel === undefined) {
      card.bmp = onebitbmp(darkness(drawn(bitmap, size, s), s), size.width, size.height);
    } else {
      const [black, colour] = planes(drawn(bitmap, size, s), panel.rgb);
      card.bmp = onebitbmp(black, size.width, size.height);
      card.planes = [{ name: `${card.stem}-black.bmp`, bytes: card.bmp },
                     { name: `${card.stem}-colour.bmp`, bytes: onebitbmp(colour, size.width, size.height) }];
    }
    await convert(card, card.made, card.bmp);
  }

  // The picture's size once turned: a quarter turn swaps its sides.
  function turnedsize(size, s) {
    return s.rotate % 180 ? { width: size.height, height: size.width } : size;
  }

  // The picture's size, or the largest that fits width x height keeping
  // its aspect ratio.
  function fitted(width, height, s) {
    if (!s.fit)
      return { width, height };
    const scale = Math.min(s.width / width, s.height / height);
    return {
      width: Math.max(1, Math.round(width * scale)),
      height: Math.max(1, Math.round(height * scale)),
    };
  }

  // The picture's pixels (red, green, blue, alpha), row by row from the
  // top, turned clockwise, then mirrored left to right, then scaled to
  // size, transparency over white.
  function drawn(bitmap, size, s) {
    const canvas = document.createElement('canvas');
    canvas.width = size.width;
    canvas.height = size.height;
    const context = canvas.getContext('2d', { willReadFrequently: true });
    context.fillStyle = '#fff';
    context.fillRect(0, 0, size.width, size.height);
    // The transform works from the last step back: mirror, turn about the
    // centre, then draw the picture at the size it has before turning.
    const upright = turnedsize(size, s);
    context.translate(size.width / 2, size.height / 2);
    if (s.mirror)
      context.scale(-1, 1);
    context.rotate(s.rotate * Math.PI / 180);
    context.drawImage(bitmap, -upright.width / 2, -upright.height / 2, upright.width, upright.height);
    return { ...size, rgba: context.getImageData(0, 0, size.width, size.height).data };
  }

  // Which pixels become black: those whose luminance (Rec. 709) lies
  // at or below the threshold, the others with invert; with dithering, each
  // pixel's error is spread Floyd-Steinberg fashion over its neighbours to
  // the right and below.
  function darkness({ width, height, rgba }, s) {
    const size = { width, height };
    const level = new Float32Array(size.width * size.height);
    for (let i = 0; i < level.length; i++)
      level[i] = 0.2126 * rgba[4 * i] + 0.7152 * rgba[4 * i + 1] + 0.0722 * rgba[4 * i + 2];
    const threshold = s.threshold / 100 * 255;
    const black = new Uint8Array(level.length);
    for (let y = 0, i = 0; y < size.height; y++) {
      for (let x = 0; x < size.width; x++, i++) {
        // As ImageMagick's -threshold: at the threshold is black.
        const dark = level[i] <= threshold;
        black[i] = dark !== s.invert ? 1 : 0;
        if (!s.dither)
          continue;
        const error = level[i] - (dark ? 0 : 255);
        const spread = (dx, dy, weight) => {
          const nx = x + dx, ny = y + dy;
          if (nx >= 0 && nx < size.width && ny < size.height)
            level[ny * size.width + nx] += error * weight / 16;
        };
        spread(1, 0, 7);
        spread(-1, 1, 3);
        spread(0, 1, 5);
        spread(1, 1, 1);
      }
    }
    return black;
  }

  // A three-colour panel's second colour, as ImageMagick names it.
  const panelcolours = {
    red: { name: 'Rot', rgb: [255, 0, 0] },
    yellow: { name: 'Gelb', rgb: [255, 255, 0] },
  };

  // The black and the colour plane: each pixel the nearest of white, the
  // colour and black, as ImageMagick's -remap without dithering picks it
  // (the lighter where two are as near).
  function planes({ rgba }, rgb) {
    const inks = [[255, 255, 255], rgb, [0, 0, 0]];
    const black = new Uint8Array(rgba.length / 4), colour = new Uint8Array(black.length);
    for (let i = 0; i < black.length; i++) {
      const distance = (ink) => ink.reduce((sum, value, c) => sum + (rgba[4 * i + c] - value) ** 2, 0);
      const d = inks.map(distance);
      const nearest = d.indexOf(Math.min(...d));
      colour[i] = nearest === 1 ? 1 : 0;
      black[i] = nearest === 2 ? 1 : 0;
    }
    return [black, colour];
  }

  // A BMP as paint programs write it: 14-byte file header, 40-byte info
  // header, a palette of black (index 0) and white, rows bottom-up, each
  // padded to a multiple of 4 bytes.
  // Without black, the headers alone: what korvel reads before it refuses
  // a picture for its size.
  function onebitbmp(black, width, height) {
    const stride = Math.ceil(width / 32) * 4;
    const offset = 14 + 40 + 8;
    const bmp = new Uint8Array(black === null ? offset : offset + stride * height);
    const view = new DataView(bmp.buffer);
    bmp[0] = 0x42;  // "BM"
    bmp[1] = 0x4D;
    view.setUint32(2, offset + stride * height, true);
    view.setUint32(10, offset, true);
    view.setUint32(14, 40, true);
    view.setInt32(18, width, true);
    view.setInt32(22, height, true);
    view.setUint16(26, 1, true);  // planes
    view.setUint16(28, 1, true);  // bits per pixel
    view.setUint32(34, stride * height, true);
    view.setUint32(46, 2, true);  // colours in the palette
    bmp.set([0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0], 54);
    for (let y = 0; black !== null && y < height; y++) {
      const row = offset + (height - 1 - y) * stride;
      for (let x = 0; x < width; x++)
        if (!black[y * width + x])
          bmp[row + (x >> 3)] |= 0x80 >> (x & 7);
    }
    return bmp;
  }

  // The displays a picture can be made for: the size it is fitted into,
  // the header's form that the library's call reads, and the README's
  // line that draws it, in korvel's colours or the panel's three. An
  // e-paper panel's memory is in its own orientation: portrait for the
  // small ones, whose drawings are landscape.
  const oled = { layout: 'korvel', polarity: 'black', turn: '0', pixelsonly: false };
  const oledline = 'display.drawBitmap(x, y, (uint8_t *)bmppic + 2, bmppic[0], bmppic[1], SSD1306_WHITE);';
  const epaper = (width, height, turn) => ({
    name: `E-Paper ${width} x ${height}`, width, height,
    form: { layout: 'korvel', polarity: 'white', turn, pixelsonly: true },
    line: 'display.writeImage(logo, 0, 0, logo_width, logo_height);',
    planes: 'display.writeImage(sign_black, sign_colour, 0, 0, sign_width, sign_height);',
    section: 'E-paper panels',
  });
  const displays = [
    ...[[128, 64], [128, 32], [64, 48], [72, 40]].map(([width, height]) => (
      { name: `OLED ${width} x ${height}`, width, height, form: oled, line: oledline, section: 'Quick start' })),
    epaper(250, 122, '90'), epaper(296, 128, '90'), epaper(400, 300, '0'), epaper(800, 480, '0'),
  ];

  // --- the card of one file ------------------------------------------

  function makecard(name) {
    const element = template.content.firstElementChild.cloneNode(true);
    // A frame's folded-away parts wait out of the page until unfolded (see
    // card.frame); they are still the card's.
    const folded = document.createElement('div');
    const part = (selector) => element.querySelector(selector) ?? folded.querySelector(selector);
    element.dataset.korvelFile = name;
    part('h2').textContent = name;
    const dot = name.lastIndexOf('.');
    const stem = dot > 0 ? name.slice(0, dot) : name;
    const card = {
      element,
      name,
      stem,
      // The BMP made of a picture never takes the picture's own name, nor
      // that of one made of another picture of the same stem.
      made: dot > 0 ? `${stem}-${name.slice(dot + 1)}.bmp` : `${name}-1bit.bmp`,
      size: null,
      original: null,
      bitmap: null,
      full: null,
      bmp: null,
      // A three-colour picture's black and colour plane, as BMPs.
      planes: null,
      settings: null,
      converted: null,
      delay: null,
      text: '',
      status: null,
    };
    card.arrayname = arrayname(card.stem);
    cards.set(element, card);

    card.note = (text) => {
      const note = part('.note');
      note.textContent = text;
      note.hidden = false;
    };
    // A file korvel never got: said on the card, which counts as done.
    card.fail = (text) => {
      card.note(text);
      announce(`${name}: ${text}`);
      element.dataset.korvelStatus = 'nicht bearbeitet';
    };
    card.describe = (text) => {
      const made = part('.made');
      made.textContent = text;
      made.hidden = false;
    };

    // Frame index of count, shown for delay milliseconds: named and saved
    // as such, <stem>_<index>.
    card.frame = (index, count, delay) => {
      element.dataset.korvelFrame = String(index);
      element.dataset.korvelDelay = String(delay);
      card.delay = delay;
      part('h2').textContent = `${name}: Bild ${index + 1} von ${count}, ${delay} ms`;
      // A frame's own buttons fold away behind one, so that a long
      // animation adds one tab stop a frame. Until first unfolded they are
      // kept out of the page, which the browser styles, lays out and
      // searches for form fields to fill in: a 500-frame animation's cards
      // hold 6,620 elements instead of 19,594 and 22 fields instead of 2,018.
      if (index > 0) {
        const more = document.createElement('details');
        const summary = document.createElement('summary');
        summary.textContent = 'Dieses Bild speichern';
        folded.append(part('.actions'), part('.headerfile'));
        more.append(summary);
        more.addEventListener('toggle', () => more.append(...folded.children), { once: true });
        part('pre').before(more);
      }
      card.stem = `${stem}_${index}`;
      card.arrayname = arrayname(card.stem);
      card.made = card.made.replace(/\.bmp$/, `-${index}.bmp`);
      headerlabel();
    };

    // A picture whose palette has white first gets korvel's negative: said,
    // with the ways out.
    card.show = (text, status, picture, negative = false) => {
      card.text = text;
      card.status = status;
      part('pre').textContent = text;
      // A message wraps, an array keeps its lines.
      part('pre').classList.toggle('message', status !== 0);
      const converted = status === 0;
      const preview = part('.preview');
      preview.replaceChildren();
      if (converted)
        preview.append(...drawing(picture));
      part('[data-korvel-copy]').hidden = !converted;
      part('[data-korvel-save="h"]').hidden = !converted;
      part('[data-korvel-save="h"]').textContent = `Als ${card.stem}.h speichern`;
      part('[data-korvel-save="bmp"]').hidden = card.bmp === null || !converted;
      part('[data-korvel-save="bmp"]').textContent = `Als ${card.made} speichern`;
      part('[data-korvel-save="colourbmp"]').hidden = true;
      // A picture too large for korvel, not fitted: the way out.
      if (!converted && card.settings !== null && !card.settings.fit)
        card.note('Tipp: „einpassen in“ ankreuzen, dann passt das Bild in korvels 255 x 255 Pixel.');
      if (converted && negative)
        card.note('Die Palette dieses BMP hat die hellere Farbe an Stelle 0: korvel setzt die Bits der Pixel ' +
                  'an Stelle 0, hier der hellen, und das Array ist das Negativ dessen, was ein Malprogramm ' +
                  'zeigt. Abhilfe: „In 1-Bit-BMP umwandeln“ (Schwarz an Stelle 0), die ImageMagick-Zeile ' +
                  'der README, oder im Header die Polarität „white“.');
      announce(converted ? `${part('h2').textContent}: umgewandelt, ${picture.width} x ${picture.height} Pixel`
                         : `${name}: ${text.trim()}`);
      // A BMP korvel refused may still be a picture the browser can read.
      const offer = (!converted || negative) && card.settings === null && card.original !== null &&
                    card.original[0] === 0x42 && card.original[1] === 0x4D;
      part('.make').hidden = !offer;
      // A picture korvel refused for its size may still be a whole screen.
      part('.headerfile').hidden = !converted && !/Bildgroesse/.test(text);
      headerlabel();
      element.dataset.korvelStatus = String(status);
    };

    // A whole screen or two planes: korvel-header's header, or its
    // message, and the drawing of its copy in korvel's layout.
    card.showscreen = (made, plain, picture, panel) => {
      const converted = made.text !== null && plain.text !== null;
      card.text = converted ? made.text : made.message || plain.message;
      card.status = converted ? 0 : 1;
      part('pre').textContent = card.text;
      const preview = part('.preview');
      preview.replaceChildren();
      if (converted)
        preview.append(...drawing(picture, panel));
      part('[data-korvel-copy]').hidden = !converted;
      part('[data-korvel-save="h"]').hidden = true;
      part('[data-korvel-save="bmp"]').hidden = card.bmp === null || !converted;
      part('[data-korvel-save="bmp"]').textContent = `Als ${card.planes ? card.planes[0].name : card.made} speichern`;
      part('[data-korvel-save="colourbmp"]').hidden = card.planes === null || !converted;
      if (card.planes)
        part('[data-korvel-save="colourbmp"]').textContent = `Als ${card.planes[1].name} speichern`;
      part('.make').hidden = true;
      part('.headerfile').hidden = false;
      headerlabel();
      announce(converted ? `${part('h2').textContent}: umgewandelt, ${picture.width} x ${picture.height} Pixel`
                         : `${name}: ${card.text}`);
      element.dataset.korvelStatus = String(card.status);
    };

    // The header is named after the array and its form, beside korvel's
    // own <stem>.h. A whole screen is made again as its form changes, and
    // takes pictures up to 8192 pixels a side.
    const headerfields = part('.headerfile').querySelector('.form');
    const formfield = (name) => headerfields.querySelector(`[name="${name}"]`);
    card.form = () => formof({ layout: formfield('layout'), polarity: formfield('polarity'),
                               turn: formfield('turn'), pixelsonly: formfield('pixelsonly') });
    card.limit = () => (card.form().pixelsonly ? screenlargest : largest);
    const headername = () => `${card.arrayname}.${formname(card.form())}.h`;
    const headerlabel = () => {
      part('[data-korvel-save="header"]').textContent = `Als ${headername()} speichern`;
    };
    const headerchanged = () => {
      headerlabel();
      for (const box of element.querySelectorAll('.settings [name="width"], .settings [name="height"]'))
        box.max = String(card.limit());
    };
    headerfields.addEventListener('change', (event) => {
      headerchanged();
      const screen = card.form().pixelsonly;
      if (event.target === formfield('pixelsonly') && card.settings !== null)
        remakesoon(card);
      else if ((screen || card.planes !== null || event.target === formfield('pixelsonly')) && card.converted !== null)
        convert(card, card.converted.name, card.converted.bytes);
    });
    part('[data-korvel-save="header"]').addEventListener('click', async () => {
      const { headers: [made] } = await cardheader(card, [formargs(card.form())], null);
      if (made.text === null)
        card.note(made.message);
      else
        save(new Blob([made.text], { type: 'text/plain' }), headername());
    });

    card.showsettings = (changed) => {
      const form = document.getElementById('settings').content.firstElementChild.cloneNode(true);
      part('.hint').before(form);
      const s = card.settings;
      const fields = form.elements;
      fields.threshold.value = s.threshold;
      fields.thresholdnumber.value = s.threshold;
      fields.dither.checked = s.dither;
      fields.invert.checked = s.invert;
      fields.rotate.value = String(s.rotate);
      fields.mirror.checked = s.mirror;
      fields.fit.checked = s.fit;
      fields.width.value = s.width;
      fields.height.value = s.height;
      fields.colours.value = s.colours;
      fields.display.append(...displays.map((display, i) => new Option(display.name, String(i))));
      fields.display.value = s.display;
      // A number box is left as it is typed: a value outside its range (or
      // none, while one is typed) marks it and changes nothing until it is
      // mended; the slider follows the threshold's box, and the box the
      // slider.
      const number = (field, low, high) => {
        const value = Number(field.value);
        const valid = field.value !== '' && Number.isInteger(value) && value >= low && value <= high;
        field.setCustomValidity(valid ? '' : `${low} bis ${high}`);
        field.setAttribute('aria-invalid', String(!valid));
        return valid ? value : null;
      };
      form.addEventListener('input', (event) => {
        if (event.target === fields.display || event.target === fields.colours)
          choosedisplay(displays[fields.display.value], fields.colours.value, event.target === fields.display);
        if (event.target === fields.threshold)
          fields.thresholdnumber.value = fields.threshold.value;
        const threshold = number(fields.thresholdnumber, 0, 100);
        if (event.target === fields.thresholdnumber && threshold !== null)
          fields.threshold.value = threshold;
        const width = number(fields.width, 1, card.limit()), height = number(fields.height, 1, card.limit());
        if (threshold === null || width === null || height === null)
          return;
        card.settings = {
          threshold,
          dither: fields.dither.checked,
          invert: fields.invert.checked,
          rotate: Number(fields.rotate.value),
          mirror: fields.mirror.checked,
          fit: fields.fit.checked,
          width,
          height,
          colours: fields.colours.value,
          display: fields.display.value,
        };
        changed();
      });
      form.addEventListener('submit', (event) => event.preventDefault());
    };

    // A display sets the fit and the header's form its library's call
    // reads, and names the README's line for it.
    const choosedisplay = (display, colours, chosen) => {
      const hint = part('.hint');
      hint.hidden = display === undefined;
      if (display === undefined)
        return;
      if (chosen) {
        const fields = part('.settings').elements;
        for (const [name, value] of Object.entries(display.form)) {
          const field = formfield(name);
          field[field.type === 'checkbox' ? 'checked' : 'value'] = value;
        }
        headerchanged();
        fields.fit.checked = true;
        fields.width.value = display.width;
        fields.height.value = display.height;
      }
      const line = colours === 'bw' || display.planes === undefined ? display.line : display.planes;
      hint.textContent = `${display.name}: Header „${headername()}“; zeichnen mit ${line} ` +
                         `(README, „${display.section}“).`;
    };

    // The frames' drawings in turn, each for its delay as the header of
    // all results holds it, as often as the animation plays: the last one
    // made of each, so that the player follows the settings. It pauses at
    // a click, out of view, and starts paused where motion is to be
    // reduced.
    card.play = (group, plays) => {
      const player = part('.player');
      const button = part('.player button');
      player.hidden = false;
      let shown = 0, played = 0, timer = null, visible = true;
      let paused = matchMedia('(prefers-reduced-motion: reduce)').matches;
      const canvas = document.createElement('canvas');
      canvas.setAttribute('role', 'img');
      player.prepend(canvas);
      // A frame's drawing is copied from its card.
      const show = () => {
        const frame = group[shown];
        const drawn = frame.element.querySelector('.preview canvas');
        if (frame.status === 0 && !frame.form().pixelsonly && frame.planes === null && drawn !== null) {
          canvas.width = drawn.width;
          canvas.height = drawn.height;
          canvas.style.width = drawn.style.width;
          canvas.getContext('2d').drawImage(drawn, 0, 0);
          canvas.setAttribute('aria-label', `Animation, Bild ${shown + 1} von ${group.length}`);
        }
        player.dataset.korvelShown = String(shown);
      };
      const schedule = () => {
        clearTimeout(timer);
        timer = null;
        if (paused || !visible || !element.isConnected || played >= plays)
          return;
        timer = setTimeout(() => {
          shown = (shown + 1) % group.length;
          played += shown === 0 ? 1 : 0;
          if (played < plays)
            show();
          schedule();
        }, group[shown].delay);
      };
      const label = () => {
        button.textContent = paused ? 'Abspielen' : 'Anhalten';
        button.setAttribute('aria-pressed', String(paused));
      };
      button.addEventListener('click', () => {
        paused = !paused;
        if (!paused && played >= plays)
          played = shown = 0;
        label();
        schedule();
      });
      new IntersectionObserver(([entry]) => {
        visible = entry.isIntersecting;
        schedule();
      }).observe(player);
      label();
      show();
      schedule();
    };

    part('[data-korvel-copy]').addEventListener('click', () => copy(card.text, part('[data-korvel-copy]')));
    part('[data-korvel-save="h"]').addEventListener('click', () =>
      save(new Blob([card.text], { type: 'text/plain' }), `${card.stem}.h`));
    part('[data-korvel-save="bmp"]').addEventListener('click', () =>
      save(new Blob([card.bmp], { type: 'image/bmp' }), card.planes ? card.planes[0].name : card.made));
    part('[data-korvel-save="colourbmp"]').addEventListener('click', () =>
      save(new Blob([card.planes[1].bytes], { type: 'image/bmp' }), card.planes[1].name));
    // Focus goes on to the settings that now make the picture.
    part('.make').addEventListener('click', async () => {
      part('.make').hidden = true;
      part('.note').hidden = true;
      await makeonebit(card, card.original);
      part('[name="thresholdnumber"]').focus();
    });
    return card;
  }

  // --- all results in one header -------------------------------------


  const panel = (() => {
    const element = document.querySelector('[data-korvel-header]');
    const fields = element.elements;
    const button = element.querySelector('[data-korvel-save="frames"]');
    const note = element.querySelector('.note');
    element.querySelector('.form').replaceWith(template.content.querySelector('.headerfile .form').cloneNode(true));
    const say = (text) => {
      note.textContent = text;
      note.hidden = text === '';
    };
    // The table's name, as the function takes it; null, said, if refused.
    const name = () => {
      const given = fields.name.value;
      const refusal = namerefusal(given);
      fields.name.setCustomValidity(refusal);
      fields.name.setAttribute('aria-invalid', String(refusal !== ''));
      say(refusal);
      return refusal === '' ? given : null;
    };
    const label = () => {
      button.textContent = `Als ${fields.name.value || '…'}.h speichern`;
    };
    fields.name.addEventListener('input', () => {
      name();
      label();
    });
    element.addEventListener('submit', (event) => event.preventDefault());
    button.addEventListener('click', async () => {
      const table = name();
      if (table === null)
        return;
      const all = Array.from(results.children, (child) => cards.get(child));
      // A picture's two planes are a header of their own.
      const taken = all.filter((card) => card.status === 0 && card.planes === null);
      const title = (card) => card.element.querySelector('h2').textContent;
      const left = all.filter((card) => card.status !== 0).map(title);
      const planes = all.filter((card) => card.status === 0 && card.planes !== null).map(title);
      if (taken.length === 0) {
        say('Noch kein umgewandeltes Ergebnis: nichts zu speichern.');
        return;
      }
      const options = ['--frames', ...formargs(formof(fields))];
      if (fields.progmem.checked)
        options.unshift('--progmem');
      if (taken.every((card) => card.delay !== null))
        options.push('--delays', taken.map((card) => card.delay).join(','));
      const { headers: [made] } = await korvelheader(null, [options], table, taken.map((card) => card.converted));
      if (made.text === null) {
        say(made.message);
        return;
      }
      say([left.length === 0 ? '' : `Nicht im Header, da nicht umgewandelt: ${left.join(', ')}`,
           planes.length === 0 ? '' : `In drei Farben, mit einem Header für sich: ${planes.join(', ')}`]
        .filter((said) => said !== '').join('; '));
      save(new Blob([made.text], { type: 'text/plain' }), `${table}.h`);
    });
    label();
    return { element };
  })();

  // --- a pasted text, drawn -------------------------------------------

  const pastearea = document.querySelector('[data-korvel-paste]');
  const pasted = document.querySelector('[data-korvel-pasted]');

  // korvel-preview on the text, as from a pipe: every array it draws,
  // drawn from its bytes, or its message. Shown while the text is still
  // the one drawn.
  async function drawpaste() {
    const text = pastearea.value;
    pasted.removeAttribute('data-korvel-status');
    if (text.trim() === '') {
      pasted.hidden = true;
      pasted.replaceChildren();
      return;
    }
    const made = await ask('paste', { kind: 'preview', input: text });
    if (made === null || pastearea.value !== text)
      return;
    const { status, err, pictures } = made;
    pasted.replaceChildren();
    if (status === 0) {
      for (const picture of pictures) {
        const figure = document.createElement('figure');
        if (picture.name !== '') {
          const caption = document.createElement('figcaption');
          caption.textContent = picture.name;
          figure.append(caption);
        }
        figure.append(...drawing(picture, picture.paper ? panelcolours.red : null));
        pasted.append(figure);
      }
    } else {
      const message = document.createElement('pre');
      message.textContent = err;
      pasted.append(message);
    }
    pasted.hidden = false;
    pasted.dataset.korvelStatus = String(status);
    const count = pasted.querySelectorAll('canvas').length;
    announce(status === 0 ? `Eingefügt: ${count} ${count === 1 ? 'Array' : 'Arrays'} gezeigt`
                          : `Eingefügt: ${err.trim()}`);
  }
  pastearea.addEventListener('input', drawpaste);
  // Pasted elsewhere on the page: a text is drawn, files are converted.
  document.addEventListener('paste', (event) => {
    if (event.target instanceof HTMLInputElement || event.target instanceof HTMLTextAreaElement)
      return;
    const data = event.clipboardData;
    if (data.files.length > 0) {
      addfiles(data.files);
    } else {
      pastearea.value = data.getData('text/plain');
      drawpaste();
    }
    event.preventDefault();
  });

  // --- drawing --------------------------------------------------------

  // A picture as the worker painted it ({ width, height, bitmap }), one
  // canvas pixel per picture pixel, enlarged by CSS, and its size. With a
  // panel, as the paper shows it: white, black and the panel's colour.
  function drawing({ width, height, bitmap }, panel = null) {
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    canvas.getContext('bitmaprenderer').transferFromImageBitmap(bitmap);
    const scale = Math.max(1, Math.floor(512 / Math.max(width, height)));
    // The height follows the width, which a narrow screen may cut.
    canvas.style.width = `${width * scale + 12}px`;
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', panel === null ? `Vorschau: ${width} x ${height} Pixel, die leuchtenden hell auf dunkel`
                                                     : `Vorschau: ${width} x ${height} Pixel, schwarz und ${panel.name.toLowerCase()} auf weiß`);
    if (panel !== null)
      canvas.classList.add('paper');
    const size = document.createElement('p');
    size.className = 'size';
    size.textContent = `${width} x ${height}`;
    return [canvas, size];
  }

  // Each new result, for screen readers.
  function announce(text) {
    document.getElementById('announce').textContent = text;
  }

  async function copy(text, button) {
    try {
      await navigator.clipboard.writeText(text);
    } catch (error) {
      // Where the page may not write the clipboard (some browsers on
      // file://), a selection copied the old way.
      const area = document.createElement('textarea');
      area.value = text;
      document.body.append(area);
      area.select();
      document.execCommand('copy');
      area.remove();
    }
    button.textContent = 'Kopiert';
    setTimeout(() => { button.textContent = 'Kopieren'; }, 1500);
  }

  function save(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }
})();
