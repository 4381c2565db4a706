// SPDX-License-Identifier: MIT
// korvel im Browser: the page around korvel's own program.
//
// Every file is converted by korvel itself, compiled to WebAssembly
// (korvelModule, inlined above this script): the file is written into the
// module's file system under its own name and korvel's main runs on that
// name, so the page shows exactly what `korvel <name>` prints, and its exit
// status. korvel closes its standard output at the end of a run, so every
// run gets a fresh instance of the module.
//
// A converted picture can also be saved as a named header in any layout,
// written by korvel-header's own code (korvelHeaderModule), as
// korvel_add_bitmaps() writes it.
//
// A PNG, JPEG, GIF or WebP picture is nothing korvel reads. The page makes
// a 1-bit BMP of it first, as a paint program would save it (40-byte header,
// black at palette index 0, rows bottom-up), and hands that to korvel: a
// pixel darker than the threshold is black, and korvel lights black pixels.
'use strict';

(() => {
  const results = document.getElementById('results');
  const picker = document.getElementById('files');
  const template = document.getElementById('card');

  // One file after the other, each shown at once in the order given.
  let queue = Promise.resolve();
  function addfiles(files) {
    for (const file of Array.from(files)) {
      const card = makecard(file.name);
      results.append(card.element);
      // Whatever goes wrong with one file is said on its card; the next
      // one is handled all the same.
      queue = queue.then(() => handle(file, card)).catch((error) => card.fail(String(error)));
    }
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

  // --- korvel ---------------------------------------------------------

  // Runs korvel on name, with bytes as the file's content; null bytes
  // leave the file out, and korvel says it was not found.
  async function korvel(name, bytes) {
    const out = [];
    const module = await korvelModule({
      noInitialRun: true,
      // Standard input is empty: korvel never waits for one, nor does the
      // page prompt for it.
      stdin: () => null,
      stdout: (byte) => out.push(byte),
      stderr: (byte) => out.push(byte),
    });
    // A folder of its own, so that no name meets the module's /dev or /tmp.
    module.FS.mkdir('/bilder');
    module.FS.chdir('/bilder');
    if (bytes !== null)
      module.FS.writeFile(name, bytes);
    const status = module.callMain([name]);
    return { text: new TextDecoder().decode(new Uint8Array(out)), status };
  }

  // korvel-header's header of the picture, its array named name, in the
  // layout; null, with its message, where it refuses.
  async function korvelheader(name, picture, bytes, layout) {
    const messages = [];
    const module = await korvelHeaderModule({
      noInitialRun: true,
      stdout: (byte) => messages.push(byte),
      stderr: (byte) => messages.push(byte),
    });
    // The picture in its folder, as korvel gets it, the header in another.
    module.FS.mkdir('/bilder');
    module.FS.mkdir('/header');
    module.FS.chdir('/bilder');
    module.FS.writeFile(picture, bytes);
    const status = module.callMain(['--layout', layout, '/header/header.h', name, picture]);
    if (status !== 0)
      return { text: null, message: new TextDecoder().decode(new Uint8Array(messages)) };
    return { text: module.FS.readFile('/header/header.h', { encoding: 'utf8' }), message: '' };
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

  // korvel's array as bytes: width, height, then the rows.
  function arraybytes(text) {
    return (text.match(/0x[0-9A-F]+/g) || []).map((hex) => parseInt(hex, 16));
  }

  // --- one file -------------------------------------------------------

  const otherpictures = [
    [0x89, 0x50, 0x4E, 0x47],  // PNG
    [0xFF, 0xD8, 0xFF],        // JPEG
    [0x47, 0x49, 0x46, 0x38],  // GIF8
  ];

  function isotherpicture(bytes) {
    const starts = (magic, at = 0) => magic.every((b, i) => bytes[at + i] === b);
    const webp = starts([0x52, 0x49, 0x46, 0x46]) && starts([0x57, 0x45, 0x42, 0x50], 8);
    return webp || otherpictures.some((magic) => starts(magic));
  }

  // A name that the module's file system can hold as one file of its own
  // folder: not empty, not . or .., no folders in it.
  function plainname(name) {
    return name !== '' && name !== '.' && name !== '..' && !name.includes('/') && !name.includes('\0');
  }

  async function handle(file, card) {
    if (!plainname(file.name)) {
      card.fail(`Der Dateiname „${file.name}“ ist kein Name einer Datei; korvel bekommt sie nicht.`);
      return;
    }
    let bytes = null;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      // A folder or a file that went away: korvel says it was not found.
    }
    card.original = bytes;
    if (bytes !== null && isotherpicture(bytes))
      await makeonebit(card, bytes);
    else
      await convert(card, file.name, bytes);
  }

  async function convert(card, name, bytes) {
    const generation = ++card.generation;
    card.element.removeAttribute('data-korvel-status');
    const { text, status } = await korvel(name, bytes);
    if (generation === card.generation) {
      card.converted = { name, bytes };
      card.show(text, status);
    }
  }

  // --- making a 1-bit BMP ---------------------------------------------

  const defaults = { threshold: 50, dither: false, invert: false, fit: false, width: 128, height: 64 };
  // korvel takes at most 255 pixels a side.
  const largest = 255;

  // A picture larger than korvel takes is fitted at once, and kept only as
  // large as the largest fitting needs: no setting then costs more than
  // for a picture of 255 x 255.
  async function makeonebit(card, bytes) {
    let full;
    try {
      full = await createImageBitmap(new Blob([bytes]));
    } catch (error) {
      card.note('Der Browser kann dieses Bild nicht lesen; korvel bekommt die Datei, wie sie ist.');
      await convert(card, card.name, bytes);
      return;
    }
    card.size = { width: full.width, height: full.height };
    card.settings = { ...defaults };
    if (full.width > largest || full.height > largest) {
      card.settings.fit = true;
      const small = fitted(full.width, full.height, { fit: true, width: largest, height: largest });
      card.bitmap = await createImageBitmap(full, { resizeWidth: small.width, resizeHeight: small.height,
                                                   resizeQuality: 'high' });
      full.close();
      card.note(`Das Bild ist ${card.size.width} x ${card.size.height} Pixel groß, korvel nimmt ` +
                `höchstens ${largest} je Seite: es wurde gleich eingepasst.`);
    } else {
      card.bitmap = full;
    }
    card.showsettings(() => remakesoon(card));
    await remake(card);
  }

  // While a slider moves, one remake runs at a time, the last setting after it.
  function remakesoon(card) {
    if (card.remaking) {
      card.again = true;
      return;
    }
    card.remaking = true;
    remake(card).catch((error) => card.fail(String(error))).finally(() => {
      card.remaking = false;
      if (card.again) {
        card.again = false;
        remakesoon(card);
      }
    });
  }

  async function remake(card) {
    const s = card.settings;
    const size = fitted(card.size.width, card.size.height, s);
    card.describe(`Als 1-Bit-BMP ${card.made} erzeugt: Schwelle ${s.threshold} %, ` +
                  `${s.dither ? 'mit' : 'ohne'} Floyd-Steinberg-Dithering, ` +
                  `${s.invert ? 'invertiert' : 'nicht invertiert'}, ` +
                  (s.fit ? `eingepasst in ${s.width} x ${s.height}` : 'Originalgröße') +
                  ` (${size.width} x ${size.height} Pixel)`);
    // Too large for korvel: its refusal needs the size alone, not the pixels.
    const toolarge = size.width > largest || size.height > largest;
    card.bmp = toolarge ? onebitbmp(null, size.width, size.height)
                        : onebitbmp(darkness(card.bitmap, size, s), size.width, size.height);
    await convert(card, card.made, card.bmp);
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

  // Which pixels become black, row by row from the top: those whose
  // luminance (Rec. 709, transparency over white) lies below the threshold,
  // the others with invert; with dithering, each pixel's error is spread
  // Floyd-Steinberg fashion over its neighbours to the right and below.
  function darkness(bitmap, size, s) {
    const canvas = document.createElement('canvas');
    canvas.width = size.width;
    canvas.height = size.height;
    const context = canvas.getContext('2d', { willReadFrequently: true });
    context.fillStyle = '#fff';
    context.fillRect(0, 0, size.width, size.height);
    context.drawImage(bitmap, 0, 0, size.width, size.height);
    const rgba = context.getImageData(0, 0, size.width, size.height).data;
    const level = new Float32Array(size.width * size.height);
    for (let i = 0; i < level.length; i++)
      level[i] = 0.2126 * rgba[4 * i] + 0.7152 * rgba[4 * i + 1] + 0.0722 * rgba[4 * i + 2];
    const threshold = s.threshold / 100 * 255;
    const black = new Uint8Array(level.length);
    for (let y = 0, i = 0; y < size.height; y++) {
      for (let x = 0; x < size.width; x++, i++) {
        const dark = level[i] < threshold;
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

  // --- the card of one file ------------------------------------------

  // Lit and dark as a display shows them.
  const lit = [0xE8, 0xF4, 0xFF];
  const dark = [0x10, 0x18, 0x20];

  function makecard(name) {
    const element = template.content.firstElementChild.cloneNode(true);
    const part = (selector) => element.querySelector(selector);
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
      remaking: false,
      again: false,
      generation: 0,
      original: null,
      bitmap: null,
      bmp: null,
      settings: null,
      converted: null,
      text: '',
    };
    card.arrayname = arrayname(card.stem);

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

    card.show = (text, status) => {
      card.text = text;
      part('pre').textContent = text;
      const converted = status === 0;
      const preview = part('.preview');
      preview.replaceChildren();
      if (converted)
        preview.append(...drawing(arraybytes(text)));
      part('[data-korvel-copy]').hidden = !converted;
      part('[data-korvel-save="h"]').hidden = !converted;
      part('[data-korvel-save="h"]').textContent = `Als ${card.stem}.h speichern`;
      part('[data-korvel-save="bmp"]').hidden = card.bmp === null || !converted;
      part('[data-korvel-save="bmp"]').textContent = `Als ${card.made} speichern`;
      // A picture too large for korvel, not fitted: the way out.
      if (!converted && card.settings !== null && !card.settings.fit)
        card.note('Tipp: „einpassen in“ ankreuzen, dann passt das Bild in korvels 255 x 255 Pixel.');
      announce(converted ? `${name}: umgewandelt, ${arraybytes(text).slice(0, 2).join(' x ')} Pixel`
                         : `${name}: ${text.trim()}`);
      // A BMP korvel refused may still be a picture the browser can read.
      const offer = !converted && card.settings === null && card.original !== null &&
                    card.original[0] === 0x42 && card.original[1] === 0x4D;
      part('.make').hidden = !offer;
      part('.headerfile').hidden = !converted;
      headerlabel();
      element.dataset.korvelStatus = String(status);
    };

    // The header is named after the array and its layout, beside korvel's
    // own <stem>.h.
    const layout = () => part('[name="layout"]').value;
    const headername = () => `${card.arrayname}.${layout()}.h`;
    const headerlabel = () => {
      part('[data-korvel-save="header"]').textContent = `Als ${headername()} speichern`;
    };
    part('[name="layout"]').addEventListener('change', headerlabel);
    part('[data-korvel-save="header"]').addEventListener('click', async () => {
      const { name, bytes } = card.converted;
      const made = await korvelheader(card.arrayname, name, bytes, layout());
      if (made.text === null)
        card.note(made.message.trim());
      else
        save(new Blob([made.text], { type: 'text/plain' }), headername());
    });

    card.showsettings = (changed) => {
      const form = part('.settings');
      form.hidden = false;
      const s = card.settings;
      const fields = form.elements;
      fields.threshold.value = s.threshold;
      fields.thresholdnumber.value = s.threshold;
      fields.dither.checked = s.dither;
      fields.invert.checked = s.invert;
      fields.fit.checked = s.fit;
      fields.width.value = s.width;
      fields.height.value = s.height;
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
        if (event.target === fields.threshold)
          fields.thresholdnumber.value = fields.threshold.value;
        const threshold = number(fields.thresholdnumber, 0, 100);
        if (event.target === fields.thresholdnumber && threshold !== null)
          fields.threshold.value = threshold;
        const width = number(fields.width, 1, largest), height = number(fields.height, 1, largest);
        if (threshold === null || width === null || height === null)
          return;
        card.settings = {
          threshold,
          dither: fields.dither.checked,
          invert: fields.invert.checked,
          fit: fields.fit.checked,
          width,
          height,
        };
        changed();
      });
      form.addEventListener('submit', (event) => event.preventDefault());
    };

    part('[data-korvel-copy]').addEventListener('click', () => copy(card.text, part('[data-korvel-copy]')));
    part('[data-korvel-save="h"]').addEventListener('click', () =>
      save(new Blob([card.text], { type: 'text/plain' }), `${card.stem}.h`));
    part('[data-korvel-save="bmp"]').addEventListener('click', () =>
      save(new Blob([card.bmp], { type: 'image/bmp' }), card.made));
    part('.make').addEventListener('click', () => {
      part('.make').hidden = true;
      makeonebit(card, card.original);
    });
    return card;
  }

  // The picture as the display lights it: one canvas pixel per picture
  // pixel, enlarged by CSS, and its size.
  function drawing(bytes) {
    const [width, height] = bytes;
    const rowbytes = (width + 7) >> 3;
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    const context = canvas.getContext('2d');
    const image = context.createImageData(width, height);
    for (let y = 0; y < height; y++) {
      for (let x = 0; x < width; x++) {
        const on = bytes[2 + y * rowbytes + (x >> 3)] & (0x80 >> (x & 7));
        image.data.set(on ? lit : dark, 4 * (y * width + x));
        image.data[4 * (y * width + x) + 3] = 255;
      }
    }
    context.putImageData(image, 0, 0);
    const scale = Math.max(1, Math.floor(512 / Math.max(width, height)));
    // The height follows the width, which a narrow screen may cut.
    canvas.style.width = `${width * scale + 12}px`;
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', `Vorschau: ${width} x ${height} Pixel, die leuchtenden hell auf dunkel`);
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
