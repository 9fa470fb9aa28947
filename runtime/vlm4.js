/* Velmora page runtime: makes every picture of an exported page interactive.
 *
 * The n-th entry of VLM_DATA (JSON texts) with an "id" goes with the n-th img of that id.
 * Map text: a row text per second picture row, each followed by a space; a row text is pieces
 * of two hex digits of area number and two of count (255 stands for 254 samples), empty for a
 * row of area 0. Picture pixel (x, y) lies in sample (x >> 1, y >> 1).
 *
 * "area" changes the area's pixels, "background" the others; on channels c in 0..1, in order,
 * each clamped to 0..1: grey scale c = 0.2126 R + 0.7152 G + 0.0722 B; brightness b and
 * contrast k (-127..127) c = f (c + b / 255 - 0.5) + 0.5, f = (255 + k) / (255 - k); gamma g
 * (0.01..5) c = c ^ (1 / g). A copy of the picture carries an SVG filter with these steps,
 * clipped to the area: pixels of a file:// picture cannot be read back, but can be filtered.
 *
 * Effects live in a layer in a zero-size anchor right after the picture, so they scroll, clip
 * and stack with it; the layer works in its own CSS pixels, so zoom and transforms of
 * ancestors place it right. Each area with effects has a focusable element there, in reading
 * order: focus runs "over", Enter or Space "click", Shift+Enter "dblclick", Esc hides.
 */
(function () {
'use strict';
// A page that includes the runtime twice runs it once.
if (window.vlm4) return;

const kSvg = 'http://www.w3.org/2000/svg';
const kColours = ['blue', 'yellow', 'gray', 'black', 'green', 'red'];
const kSizes = ['small', 'middle', 'big'];
const kMessageTypes = ['speech', 'think', 'simple', 'rectangle', 'pointer', 'circle'];
const kEvents = ['over', 'click', 'dblclick'];
const kMargin = 6; // gap between a bubble and the viewport's edge
const pictures = [];
let uid = 0;
let defs = null;
let liveRegion = null;
const filterIds = new Map();
const preloaded = new Map();

const hexValue = new Int8Array(128).fill(-1);
for (let i = 0; i < 16; i++) {
  hexValue['0123456789abcdef'.charCodeAt(i)] = i;
  hexValue['0123456789ABCDEF'.charCodeAt(i)] = i;
}

// An element's box in the viewport. Some engines (WebKit before its standard CSS zoom) give it
// divided by the element's zoom, while the pointer and painting use the zoomed box: there the
// box is multiplied back by the zoom of the element and its ancestors.
let zoomLeftOut = null;
function clientRect(e) {
  const r = e.getBoundingClientRect();
  if (zoomLeftOut === null) {
    const probe = el('div', '', document.documentElement);
    probe.style.cssText = 'position:absolute;left:0;top:0;width:10px;height:10px;zoom:2;visibility:hidden';
    zoomLeftOut = probe.getBoundingClientRect().width < 15;
    probe.remove();
  }
  if (!zoomLeftOut) return r;
  let z = 1;
  for (let a = e; a; a = a.parentElement) z *= parseFloat(getComputedStyle(a).zoom) || 1;
  return z === 1 ? r : { left: r.left * z, top: r.top * z, right: r.right * z, bottom: r.bottom * z,
    width: r.width * z, height: r.height * z };
}

// The two hex digits at `at` as a number, or -1.
function hexByte(text, at) {
  const hi = hexValue[text.charCodeAt(at)];
  const lo = hexValue[text.charCodeAt(at + 1)];
  return hi >= 0 && lo >= 0 ? hi * 16 + lo : -1;
}

// The map read: every area's box in samples (minX, minY, maxX, maxY; maxX < 0 when absent)
// and its first sample in reading order (-1 when absent), and room for one byte per sample.
// The bytes are written by fill(end), rows at a time until performance.now() reaches end,
// which tells whether all are: writing them touches megabytes of new memory, too slow for the
// page's loading on a large picture.
function readMap(text) {
  const rowTexts = String(text).split(' ');
  if (rowTexts[rowTexts.length - 1] === '') rowTexts.pop();
  const rows = rowTexts.length;
  let cols = 0;
  const top = rowTexts.find((row) => row.length) || '';
  for (let at = 0; at + 4 <= top.length; at += 4) cols += Math.max(0, Math.min(254, hexByte(top, at + 2)));
  const cells = new Uint8Array(rows * cols);
  const boxes = new Int32Array(256 * 4);
  for (let a = 0; a < 256; a++) boxes.set([cols, rows, -1, -1], a * 4);
  const first = new Int32Array(256).fill(-1);
  // The pieces that cover samples, as value, start and end; row y's from pieces[rowStart[y]]
  // on. A piece takes at least four characters of the text.
  let pieces = new (cols < 65536 ? Uint16Array : Int32Array)(3 * ((String(text).length >> 2) + 1));
  const rowStart = new Int32Array(rows + 1);
  let n = 0;
  for (let y = 0; y < rows; y++) {
    const row = rowTexts[y];
    rowStart[y] = n;
    let x = 0;
    for (let at = 0; at + 4 <= row.length && x < cols; at += 4) {
      const value = hexByte(row, at);
      let count = hexByte(row, at + 2);
      if (value < 0 || count < 0) break; // a damaged row keeps what was read
      if (count === 255) count = 254;
      const end = Math.min(x + count, cols);
      if (value && end > x) {
        const b = value * 4;
        if (first[value] < 0) first[value] = y * cols + x;
        boxes[b] = Math.min(boxes[b], x);
        boxes[b + 1] = Math.min(boxes[b + 1], y);
        boxes[b + 2] = Math.max(boxes[b + 2], end - 1);
        boxes[b + 3] = y;
        pieces[n++] = value;
        pieces[n++] = x;
        pieces[n++] = end;
      }
      x = end;
    }
  }
  rowStart[rows] = n;
  let filled = 0;
  const fill = (end) => {
    while (filled < rows) {
      const y = filled++;
      for (let i = rowStart[y]; i < rowStart[y + 1]; i += 3) cells.fill(pieces[i], y * cols + pieces[i + 1], y * cols + pieces[i + 2]);
      if (performance.now() >= end) break;
    }
    map.ready = filled === rows;
    if (map.ready) pieces = null;
    return map.ready;
  };
  const map = { rows, cols, cells, boxes, first, ready: !rows, fill };
  return map;
}

// One byte per sample, and the areas' boxes and first samples.
function decodeMap(text) {
  const map = readMap(text);
  map.fill(Infinity);
  return map;
}

// The area's samples as an SVG path of rectangles in sample units; rows with the same runs
// share one rectangle, so plain shapes give short paths. A step per row, so that a large area
// can be worked on in pieces; the path is the generator's value.
function* areaPath(map, area) {
  const b = area * 4;
  const [x0, y0, x1, y1] = map.boxes.subarray(b, b + 4);
  let d = '';
  let open = [];
  let openKey = '';
  const close = (yEnd) => {
    for (const r of open) d += `M${r[0]} ${r[2]}h${r[1] - r[0]}v${yEnd - r[2]}h${r[0] - r[1]}z`;
  };
  for (let y = y0; y <= y1; y++) {
    const runs = [];
    const base = y * map.cols;
    for (let x = x0; x <= x1; x++) {
      if (map.cells[base + x] !== area) continue;
      const start = x;
      while (x + 1 <= x1 && map.cells[base + x + 1] === area) x++;
      runs.push(start, x + 1);
    }
    const key = runs.join(',');
    if (key !== openKey) {
      close(y);
      open = [];
      for (let i = 0; i < runs.length; i += 2) open.push([runs[i], runs[i + 1], y]);
      openKey = key;
    }
    yield;
  }
  close(y1 + 1);
  return d;
}

// Work for later, done while the page is idle in slices of a few milliseconds, so that input
// never waits long behind it. A job is called with the time its slice ends and returns true
// when done; otherwise it goes on in the next slice.
const kSliceMs = 6;
const idleJobs = [];
let idleQueued = false;
const whenIdle = (job) => {
  idleJobs.push(job);
  if (!idleQueued) queueIdle();
};
function queueIdle() {
  idleQueued = true;
  if (window.requestIdleCallback) requestIdleCallback(runIdle, { timeout: 500 });
  else setTimeout(runIdle, 20);
}
function runIdle(deadline) {
  idleQueued = false;
  const room = deadline && !deadline.didTimeout ? deadline.timeRemaining() : kSliceMs;
  const end = performance.now() + Math.max(1, Math.min(kSliceMs, room));
  while (idleJobs.length && performance.now() < end) {
    try {
      if (idleJobs[0](end)) idleJobs.shift();
    } catch (e) {
      idleJobs.shift();
      report('preparing effects', e);
    }
  }
  if (idleJobs.length) queueIdle();
}

function el(tag, className, parent) {
  const e = parent.appendChild(document.createElement(tag));
  if (className) e.className = className;
  return e;
}

function set(e, attrs) {
  for (const k in attrs) e.setAttribute(k, attrs[k]);
  return e;
}

const svgEl = (tag, attrs, parent) => set(parent.appendChild(document.createElementNS(kSvg, tag)), attrs);
const px = (v) => `${v}px`;
// Places an element's box: left, top, width, height.
const put = (e, x, y, w, h, u = px) => Object.assign(e.style, { left: u(x), top: u(y), width: u(w), height: u(h) });

const num = (value, fallback) => (Number.isFinite(Number(value)) ? Number(value) : fallback);
const clamp = (v, lo, hi) => (v < lo ? lo : v > hi ? hi : v);
const lines = (text) => String(text).split('|').join('\n');
const report = (what, error) => console.error(`vlm4: ${what}:`, error);
// A file that exists may fail too (no audio output, an unknown format): the browser's reason,
// or the code's name where the browser gives none (WebKit).
const kMediaErrors = ['', 'MEDIA_ERR_ABORTED', 'MEDIA_ERR_NETWORK', 'MEDIA_ERR_DECODE', 'MEDIA_ERR_SRC_NOT_SUPPORTED'];
const mediaError = (what, media, src) => report(`${what} ${src} not loaded`,
  `MediaError ${media.error ? `${media.error.code} ${media.error.message || kMediaErrors[media.error.code] || ''}` : '?'}`);

function styleClasses(style, prefix) {
  let [colour, size] = String(style || '').split('_');
  colour = kColours.includes(colour) ? colour : 'blue';
  return `${prefix} vlm4-${colour} vlm4-${kSizes.includes(size) ? size : 'small'}`;
}

function defsRoot() {
  const svg = () => svgEl('svg', { class: 'vlm4-defs', 'aria-hidden': 'true', width: 0, height: 0 }, document.body);
  return defs || (defs = svgEl('defs', {}, svg()));
}

function announce(text) {
  if (!liveRegion) {
    liveRegion = el('div', 'vlm4-live', document.body);
    liveRegion.setAttribute('role', 'status');
  }
  liveRegion.textContent = text;
}

// A large picture of an effect comes in several widths (srcset, with its full width and
// height): the browser takes the one for its shown width, scale times its full one.
const sized = (opts, scale) => (opts.srcset && num(opts.width, 0) > 0
  ? { sizes: `${Math.ceil(num(opts.width, 0) * scale)}px`, srcset: opts.srcset } : {});
// The picture's size at scale 1.
const fullSize = (opts, image) => (sized(opts, 1).srcset
  ? [num(opts.width, 0), num(opts.height, 0)] : [image.naturalWidth, image.naturalHeight]);

// Fetched ahead, to show at once.
function preload(opts, scale) {
  if (opts && opts.src && !preloaded.has(opts.src)) {
    preloaded.set(opts.src, Object.assign(new Image(), sized(opts, scale), { src: opts.src }));
  }
}

function pixelFilter(opts) {
  const b = clamp(Math.round(num(opts.brightness, 0)), -127, 127);
  const k = clamp(Math.round(num(opts.contrast, 0)), -127, 127);
  const g = clamp(num(opts.gamma, 1), 0.01, 5);
  const grey = [true, 'true', 1].includes(opts.grayscale);
  if (!b && !k && g === 1 && !grey) return '';
  const key = [b, k, g, grey].join();
  if (filterIds.has(key)) return filterIds.get(key);
  const id = `vlm4-f${++uid}`;
  const f = svgEl('filter', { id, x: 0, y: 0, width: 1, height: 1, 'color-interpolation-filters': 'sRGB' },
    defsRoot());
  if (grey) {
    const row = '0.2126 0.7152 0.0722 0 0 ';
    svgEl('feColorMatrix', { type: 'matrix', values: `${row}${row}${row}0 0 0 1 0` }, f);
  }
  const transfer = (attrs) => {
    const t = svgEl('feComponentTransfer', {}, f);
    for (const c of 'RGB') svgEl(`feFunc${c}`, attrs, t);
  };
  if (b || k) {
    const slope = (255 + k) / (255 - k);
    transfer({ type: 'linear', slope, intercept: slope * (b / 255 - 0.5) + 0.5 });
  }
  if (g !== 1) transfer({ type: 'gamma', amplitude: 1, exponent: 1 / g, offset: 0 });
  filterIds.set(key, id);
  return id;
}

// A copy of the picture at its shown size, cut by a box.
function copyIn(pic, box) {
  const image = picture(pic.img.currentSrc || pic.img.src, '', box);
  image.decoding = 'sync';
  return image;
}

// Filtered copies kept in the page, hidden, at most this many when none of them shows.
const kKeptCopies = 6;

// The picture filtered, on one side of an area: all of it where the area is (the area's box
// cut to the area's shape), or all but it (what is visible of the picture, the area's box over
// it showing the area's own pixels cut to its shape), cut to what is visible of the picture.
// Copies stay in the page between uses, hidden, in layers of their own: the browser keeps their
// pixels filtered, and showing them again draws nothing anew but the area's box. One per
// filter and side, more when more show at once; the least recently shown go first.
function pixelCopy(pic, filter, outside) {
  const key = `${filter}${outside ? '-' : '+'}`;
  const found = pic.copies.find((p) => p.key === key && !p.busy);
  if (found) return found;
  const box = el('div', 'vlm4-filtered vlm4-idle', pic.clip);
  const image = copyIn(pic, box);
  // On the image itself the filter is drawn with it; on a box around it, the box is drawn
  // aside first.
  image.style.filter = `url(#${filter})`;
  const hole = outside ? el('div', 'vlm4-hole', box) : null;
  const holeImage = hole && copyIn(pic, hole);
  const shaped = outside ? holeImage : image;
  let area = 0;
  const c = {
    key,
    busy: false,
    show(a) {
      this.busy = true;
      pic.copies.splice(pic.copies.indexOf(this), 1);
      pic.copies.push(this);
      box.className = 'vlm4-filtered vlm4-pixels' + (outside ? ' vlm4-background' : '');
      if (a !== area) shaped.style.clipPath = `url(#${pic.clipId(a)})`;
      area = a;
    },
    hide() {
      box.className = 'vlm4-filtered vlm4-idle';
      this.busy = false;
    },
    remove() {
      box.remove();
    },
    place(f) {
      const src = pic.img.currentSrc || pic.img.src;
      for (const e of [image, holeImage]) if (e && e.getAttribute('src') !== src) e.src = src;
      const b = pic.map.boxes.subarray(area * 4, area * 4 + 4);
      const [sx, sy] = [2 * f.sx, 2 * f.sy];
      const v = f.visible;
      const inner = [Math.max(v.x0, Math.floor(b[0] * sx)), Math.max(v.y0, Math.floor(b[1] * sy)),
        Math.min(v.x1, Math.ceil((b[2] + 1) * sx)), Math.min(v.y1, Math.ceil((b[3] + 1) * sy))];
      const [x0, y0, x1, y1] = outside ? [v.x0, v.y0, v.x1, v.y1] : inner;
      put(box, x0, y0, Math.max(0, x1 - x0), Math.max(0, y1 - y0));
      put(image, -x0, -y0, f.w, f.h);
      if (hole) {
        put(hole, inner[0] - x0, inner[1] - y0, Math.max(0, inner[2] - inner[0]), Math.max(0, inner[3] - inner[1]));
        put(holeImage, -inner[0], -inner[1], f.w, f.h);
      }
    },
  };
  pic.copies.push(c);
  let spare = pic.copies.length - kKeptCopies;
  for (const old of pic.copies.filter((p) => !p.busy && p !== c)) {
    if (spare-- <= 0) break;
    old.remove();
    pic.copies.splice(pic.copies.indexOf(old), 1);
  }
  return c;
}

function pixelEffect(pic, opts, area, outside) {
  const filter = pixelFilter(opts || {});
  if (!filter) return null;
  const c = pixelCopy(pic, filter, outside);
  c.show(area);
  return { place: (f) => c.place(f), stop: () => c.hide() };
}

// Shapes of a balloon whose body is the box w x h at (0, 0), pointing at (tx, ty); each is
// drawn stroked and then filled on top, so they merge into one outlined figure. `over`: how
// far the body reaches out of the box.
function balloonShapes(kind, w, h, tx, ty, line) {
  const cx = w / 2;
  const cy = h / 2;
  const shapes = [];
  let over = 0;
  let rx = cx;
  let ry = cy;
  let bump = 0;
  if (kind === 'circle' || kind === 'think' || kind === 'ellipse') {
    // Through the box's corners; flatter for a cloud, whose bumps reach further.
    [rx, ry] = kind === 'ellipse' ? [cx, cy]
      : kind === 'think' ? [cx * 1.12, cy * 1.55 + 4] : [cx * 1.2, cy * 1.81];
    shapes.push(['ellipse', { cx, cy, rx, ry }]);
    over = Math.max(rx - cx, ry - cy);
    if (kind === 'think') {
      bump = clamp(Math.min(rx, ry) * 0.34, 6, 16);
      const perimeter = Math.PI * (3 * (rx + ry) - Math.sqrt((3 * rx + ry) * (rx + 3 * ry)));
      const n = Math.max(8, Math.round(perimeter / (bump * 1.5)));
      for (let i = 0; i < n; i++) {
        const a = (i / n) * 2 * Math.PI;
        const [x, y] = [cx + rx * 0.96 * Math.cos(a), cy + ry * 0.96 * Math.sin(a)];
        shapes.push(['circle', { cx: x, cy: y, r: bump }]);
      }
      over += bump * 0.7;
    }
  } else {
    const radius = { speech: Math.min(16, cy), simple: 5, pointer: cy, arrow: 10 }[kind];
    shapes.push(['rect', { x: 0, y: 0, width: w, height: h, rx: radius || 0 }]);
  }
  const dx = tx - cx;
  const dy = ty - cy;
  const len = Math.hypot(dx, dy);
  // No pointer when it would end inside the body.
  const inside = kind === 'circle' || kind === 'think' || kind === 'ellipse'
    ? (dx * dx) / (rx * rx) + (dy * dy) / (ry * ry) <= 1
    : tx >= 0 && tx <= w && ty >= 0 && ty <= h;
  if (!inside && len > 0) {
    const ux = dx / len;
    const uy = dy / len;
    const at = (t, side) => `${cx + ux * t - uy * side},${cy + uy * t + ux * side}`;
    const tip = `${tx},${ty}`;
    if (kind === 'think') {
      // A trail of shrinking circles from the cloud's rim to the point.
      const rim = 1 / Math.sqrt((ux * ux) / (rx * rx) + (uy * uy) / (ry * ry)) + bump * 0.6;
      const r0 = clamp(Math.min(rx, ry) * 0.2, 4, 9);
      const room = Math.max(0, len - rim - r0);
      [[0, 1], [0.5, 0.7], [1, 0.45]].forEach(([t, k]) => {
        const d = rim + r0 + room * t;
        if (d < len + r0) shapes.push(['circle', { cx: cx + ux * d, cy: cy + uy * d, r: r0 * k }]);
      });
    } else if (kind === 'pointer' || kind === 'arrow') {
      const head = clamp(len * 0.3, 6, 8 + line * 3);
      const shaft = Math.max(1.5, line);
      shapes.push(['polygon', { points: [at(0, shaft), at(len - head, shaft), at(len - head, head * 0.7), tip,
        at(len - head, -head * 0.7), at(len - head, -shaft), at(0, -shaft)].join(' ') }]);
    } else if (kind === 'simple') {
      shapes.push(['polygon', { points: [at(0, 3), tip, at(0, -3)].join(' ') }]);
      shapes.push(['circle', { cx: tx, cy: ty, r: 2 + line }]);
    } else {
      const base = clamp(Math.min(w, h) * 0.22, 7, 16);
      if (kind === 'speech') {
        // A tail with one straight and one bowed side, as drawn by hand.
        const bow = `${cx + dx * 0.55 + uy * base * 0.9},${cy + dy * 0.55 - ux * base * 0.9}`;
        shapes.push(['path', { d: `M${at(0, base * 1.4)} L${tip} Q${bow} ${at(0, -base * 1.1)}Z` }]);
      } else {
        shapes.push(['polygon', { points: [at(0, base), tip, at(0, -base)].join(' ') }]);
      }
    }
  }
  return { shapes, over };
}

function drawBalloon(svg, shapes, line, w, h, tx, ty, over) {
  const pad = over + line + 4;
  const x0 = Math.floor(Math.min(0, tx) - pad);
  const y0 = Math.floor(Math.min(0, ty) - pad);
  const x1 = Math.ceil(Math.max(w, tx) + pad);
  const y1 = Math.ceil(Math.max(h, ty) + pad);
  svg.textContent = '';
  set(svg, { width: x1 - x0, height: y1 - y0, viewBox: `${x0} ${y0} ${x1 - x0} ${y1 - y0}` });
  Object.assign(svg.style, { left: px(x0), top: px(y0) });
  const outline = svgEl('g', { class: 'vlm4-outline', 'stroke-width': line * 2 }, svg);
  const fill = svgEl('g', { class: 'vlm4-fill' }, svg);
  for (const [tag, attrs] of shapes) {
    svgEl(tag, attrs, outline);
    svgEl(tag, attrs, fill);
  }
}

// Centres a balloon on (x1, y1), moved inside the visible bounds, pointing at (x2, y2).
function placeBalloon(root, svg, kind, f, opts, w, h) {
  const line = lineWidth(root);
  const [cx, cy, px, py] = [opts.x1 * f.sx, opts.y1 * f.sy, opts.x2 * f.sx, opts.y2 * f.sy].map((v) => num(v, 0));
  const { over } = balloonShapes(kind, w, h, 0, 0, line);
  const reach = over + line + kMargin;
  const b = f.bounds;
  const left = clamp(cx - w / 2, b.left + reach, Math.max(b.left + reach, b.right - w - reach));
  const top = clamp(cy - h / 2, b.top + reach, Math.max(b.top + reach, b.bottom - h - reach));
  Object.assign(root.style, { left: `${left}px`, top: `${top}px` });
  const shaped = balloonShapes(kind, w, h, px - left, py - top, line);
  drawBalloon(svg, shaped.shapes, line, w, h, px - left, py - top, shaped.over);
}

const cssNumber = (e, name, fallback) => parseFloat(getComputedStyle(e).getPropertyValue(name)) || fallback;
const lineWidth = (root) => cssNumber(root, '--vlm4-line-width', 2);

// A decorative image; a missing file is reported.
function picture(src, className, parent, more) {
  const image = Object.assign(el('img', className, parent), more, { alt: '', src });
  image.onerror = () => report('picture missing', src);
  return image;
}

function message(pic, opts, area) {
  const text = lines(opts.text);
  const type = kMessageTypes.includes(opts.type) ? opts.type : 'speech';
  const root = el('div', `${styleClasses(opts.style, 'vlm4-bubble')} vlm4-${type}`, pic.layer);
  root.id = `vlm4-b${++uid}`;
  root.setAttribute('role', 'tooltip');
  const svg = svgEl('svg', { class: 'vlm4-shape', 'aria-hidden': 'true' }, root);
  const body = el('div', 'vlm4-text', root);
  body.textContent = text;
  // A text taller than the window scrolls in the bubble; the pointer may move onto it.
  body.addEventListener('pointerleave', (e) => e.relatedTarget !== pic.img && pic.leave());
  const described = [pic.img, pic.areaElements.get(area)].filter(Boolean);
  for (const e of described) e.setAttribute('aria-describedby', root.id);
  announce(text.replace(/\n/g, ' '));
  let size = null;
  let room = -1;
  return {
    node: root,
    place(f) {
      // An ellipse or a cloud reaches out of the text box by a share of its height.
      const [grow, extra] = { circle: [1.81, 0], think: [1.55, 44] }[type] || [1, 0];
      const max = Math.max(24, (f.bounds.bottom - f.bounds.top - 2 * (lineWidth(root) + kMargin) - extra) / grow);
      if (max !== room) {
        room = max;
        body.style.maxHeight = px(max);
        size = [body.offsetWidth, body.offsetHeight];
        root.classList.toggle('vlm4-scroll', body.scrollHeight > body.clientHeight + 1);
      }
      placeBalloon(root, svg, type, f, opts, size[0], size[1]);
    },
    stop() {
      for (const e of described) if (e.getAttribute('aria-describedby') === root.id) e.removeAttribute('aria-describedby');
    },
  };
}

function popupPicture(pic, opts) {
  const type = opts.type === 'pointer' ? 'pointer' : 'circle';
  const root = el('div', `${styleClasses(opts.style, 'vlm4-popup')} vlm4-${type}`, pic.layer);
  const svg = svgEl('svg', { class: 'vlm4-shape', 'aria-hidden': 'true' }, root);
  const image = picture(opts.src, '', root, sized(opts, pic.frame().sx));
  let ready = false;
  let last = null;
  const place = (f) => {
    last = f;
    if (!ready) return;
    const [fw, fh] = fullSize(opts, image);
    const nw = fw * f.sx;
    const nh = fh * f.sy;
    const b = f.bounds;
    const fit = Math.min(1, ((b.right - b.left) * 0.9) / nw, ((b.bottom - b.top) * 0.9) / nh);
    const w = Math.max(1, Math.round(nw * fit));
    const h = Math.max(1, Math.round(nh * fit));
    const pad = cssNumber(root, '--vlm4-frame', 4);
    Object.assign(image.style, { width: px(w), height: px(h) });
    root.classList.add('vlm4-ready');
    placeBalloon(root, svg, type === 'pointer' ? 'arrow' : 'ellipse', f, opts, w + 2 * pad, h + 2 * pad);
  };
  ready = image.complete && image.naturalWidth > 0;
  image.onload = () => (ready = true) && last && place(pic.placeLayer());
  return { node: root, place };
}

// Cut at the picture's edges, as the editor's preview shows it.
function overlay(pic, opts) {
  const image = picture(opts.src, 'vlm4-overlay', pic.clip, sized(opts, pic.frame().sx));
  let last = null;
  const place = (f) => {
    last = f;
    if (!image.naturalWidth) return;
    const [fw, fh] = fullSize(opts, image);
    put(image, num(opts.x, 0) * f.sx, num(opts.y, 0) * f.sy, fw * f.sx, fh * f.sy);
    image.classList.add('vlm4-ready');
  };
  image.onload = () => last && place(pic.placeLayer());
  return { node: image, place };
}

function copyText(text) {
  const value = lines(text);
  // Without the Clipboard API (plain http) a selected text field is copied.
  const fallback = () => {
    const focused = document.activeElement;
    const area = el('textarea', 'vlm4-copy', document.body);
    area.value = value;
    area.select();
    if (!document.execCommand('copy')) report('copy to the clipboard failed', value);
    area.remove();
    if (focused && focused.focus) focused.focus();
  };
  if (navigator.clipboard && window.isSecureContext) navigator.clipboard.writeText(value).catch(fallback);
  else fallback();
}

function runCode(code) {
  try {
    Function(code)();
  } catch (e) {
    report(`jscode ${code}`, e);
  }
}

const sounds = new Map();

// A sound started again interrupts its play() with an AbortError: no fault.
const played = (what) => (e) => e.name !== 'AbortError' && report(`${what} not played`, e.name);

function playSound(opts) {
  const src = String(opts.src || '');
  let audio = sounds.get(src);
  if (!audio) {
    audio = new Audio(src);
    audio.onerror = () => mediaError('sound', audio, src);
    sounds.set(src, audio);
  }
  audio.volume = clamp(num(opts.volume, 1), 0, 1);
  audio.pause();
  audio.currentTime = 0;
  audio.play().catch(played(`sound ${src}`));
}

// Only web, mail and relative addresses open; the scheme read as browsers do, without leading
// controls and spaces and inner tabs and line breaks.
function openLink(url) {
  const text = String(url);
  const scheme = /^([a-z][a-z0-9+.-]*):/i.exec(text.replace(/^[\0- ]+/, '').replace(/[\t\n\r]/g, ''));
  if (scheme && !['http', 'https', 'mailto'].includes(scheme[1].toLowerCase())) {
    report('link not opened, only http, https, mailto and relative addresses are', text);
  } else {
    window.open(text, '_blank', 'noopener');
  }
}

// Every edge between a sample of the area and one outside it, in runs, in sample units.
function outlinePath(map, area) {
  const [x0, y0, x1, y1] = map.boxes.subarray(area * 4, area * 4 + 4);
  const inside = (x, y) => x >= x0 && x <= x1 && y >= y0 && y <= y1 && map.cells[y * map.cols + x] === area;
  let d = '';
  const runs = (a0, a1, b0, b1, edge, piece) => {
    for (let b = b0; b <= b1; b++) {
      for (let a = a0; a <= a1; a++) {
        if (!edge(a, b)) continue;
        const start = a;
        while (a + 1 <= a1 && edge(a + 1, b)) a++;
        d += piece(start, b, a + 1 - start);
      }
    }
  };
  runs(x0, x1, y0, y1 + 1, (x, y) => inside(x, y - 1) !== inside(x, y), (x, y, n) => `M${x} ${y}h${n}`);
  runs(y0, y1, x0, x1 + 1, (y, x) => inside(x - 1, y) !== inside(x, y), (y, x, n) => `M${x} ${y}v${n}`);
  return d;
}

const kDoubleClickMs = 500;
// A scroll or a resize is over when nothing has moved for this long.
const kRestMs = 150;

class Picture {
  constructor(img, data) {
    this.img = img;
    this.map = readMap(data.Map);
    // In several widths (srcset, <picture>), the map is at the size of width and height.
    const size = ['width', 'height'].map((k) => Number(img.getAttribute(k)));
    if ((img.srcset || img.parentNode.nodeName === 'PICTURE') && size[0] > 0 && size[1] > 0) this.full = size;
    this.areas = new Map();
    this.clips = new Map();
    this.copies = [];
    this.areaElements = new Map();
    // over, clicked: the running { area, effects }.
    Object.assign(this, { over: null, clicked: null, inside: false, prepared: false, touchHover: false, music: null, warned: new Set() });
    const names = new Map();
    const scale = this.frame().sx;
    for (const c of Array.isArray(data.colors) ? data.colors : []) {
      const area = c && Number(c.color);
      if (area >= 1 && area <= 255 && c.properties && typeof c.properties === 'object') {
        this.areas.set(area, c.properties);
        if (typeof c.name === 'string' && c.name) names.set(area, c.name);
        for (const e of kEvents) {
          for (const k of ['overlay', 'picture']) preload((c.properties[e] || {})[k], scale);
        }
      }
    }
    const a = data.audio;
    if (a && a.src) {
      const music = Object.assign(new Audio(a.src), { loop: true, volume: clamp(num(a.volume, 1), 0, 1) });
      // WebKit refuses looping music from a server without byte ranges (MediaError 4); the
      // whole file, fetched once, plays there too.
      music.onerror = () => {
        if (music.error.code !== 4 || /^blob:/.test(music.src) || !/^http/.test(location.protocol)) {
          return mediaError('background music', music, a.src);
        }
        fetch(music.src).then((r) => (r.ok ? r.blob() : Promise.reject(new Error(`HTTP ${r.status}`))))
          .then((b) => {
            music.src = URL.createObjectURL(b);
            if (this.inside) this.playMusic();
          }, (e) => report(`background music ${a.src} not loaded`, e.message));
      };
      this.music = music;
    }
    // The runtime answers the pointer and the keyboard itself: an image map of the page (for
    // readers without scripts) would take the picture's events and open its links twice.
    img.removeAttribute('usemap');
    img.classList.add('vlm4-picture');
    if (!img.hasAttribute('alt')) img.alt = 'Интерактивное изображение';
    const on = { pointerenter: this.onEnter, pointermove: this.onMove, pointerdown: this.onDown,
      pointerleave: this.onLeave, click: this.onClick, dblclick: this.onDoubleClick,
      dragstart: (e) => e.preventDefault() };
    for (const type in on) img.addEventListener(type, on[type].bind(this));
    // In the flow right after the picture: in its scrolling, clipping, stacking and tab order.
    this.anchor = document.createElement('span');
    this.anchor.className = getComputedStyle(img).display === 'inline' ? 'vlm4-anchor' : 'vlm4-anchor vlm4-block';
    img.after(this.anchor);
    this.layer = el('div', 'vlm4-layer', this.anchor);
    this.clip = el('div', 'vlm4-clip', this.layer);
    this.addAreaElements(names);
    this.placeLayer();
    // The map's samples, while the page is idle; the first look at them does what is left.
    if (!this.map.ready) whenIdle((end) => this.map.fill(end));
  }

  // The first time the pointer (or the focus) comes onto the picture, and only then, since
  // most visits to a page never hover: the filtered copies that pixel effects will show, which
  // the browser then draws aside, and, while the page is idle, a few rows at a time, the shapes
  // of the areas they show on, so that entering an area only shows them.
  prepare() {
    if (this.prepared) return;
    this.prepared = true;
    const shapes = new Set();
    let f = null;
    for (const [area, p] of this.areas) {
      for (const e of kEvents) {
        for (const outside of [false, true]) {
          const filter = pixelFilter((p[e] || {})[outside ? 'background' : 'area'] || {});
          if (!filter) continue;
          shapes.add(area);
          const key = `${filter}${outside ? '-' : '+'}`;
          if (this.copies.length < kKeptCopies && !this.copies.some((c) => c.key === key)) {
            pixelCopy(this, filter, outside).place(f || (f = this.placeLayer()));
          }
        }
      }
    }
    for (const area of shapes) whenIdle((end) => !!this.clipId(area, end));
  }

  // A focusable element over each area with effects, in reading order (by its first sample).
  addAreaElements(names) {
    const m = this.map;
    const first = (a) => m.first[a];
    const list = [...this.areas.keys()].filter((a) => m.boxes[a * 4 + 2] >= 0 && kEvents.some((e) => has(this.areas.get(a)[e])));
    list.sort((a, b) => first(a) - first(b));
    if (!list.length) return;
    const group = set(el('div', 'vlm4-areas', this.layer), { role: 'group', 'aria-label': this.img.alt });
    for (const area of list) {
      const p = this.areas.get(area);
      const e = el('span', 'vlm4-area', group);
      const said = (k) => ((p[k] || {}).message || {}).text;
      const link = kEvents.map((k) => (p[k] || {}).link).find((v) => v);
      set(e, { tabindex: 0, role: has(p.click) || has(p.dblclick) ? 'button' : 'img',
        'aria-label': lines(names.get(area) || said('over') || said('click') || link || `Область ${area}`).replace(/\n/g, ' ') });
      const [x0, y0, x1, y1] = m.boxes.subarray(area * 4, area * 4 + 4);
      put(e, x0 / m.cols, y0 / m.rows, (x1 + 1 - x0) / m.cols, (y1 + 1 - y0) / m.rows, (v) => `${100 * v}%`);
      e.addEventListener('focus', () => this.focusArea(area));
      e.addEventListener('blur', () => this.focusArea(0));
      e.addEventListener('keydown', (k) => this.onKey(area, k));
      this.areaElements.set(area, e);
    }
  }

  // The picture's content box in the viewport and the shown size per picture pixel.
  frame() {
    const img = this.img;
    const r = clientRect(img);
    const cs = this.style || (this.style = getComputedStyle(img)); // live
    const len = (v) => parseFloat(v) || 0;
    // Borders and padding are in the picture's CSS pixels, scaled by ancestors' zoom and
    // transforms; most pictures have none, which keeps the hit test quick.
    const [eL, eT, eR, eB] = ['Left', 'Top', 'Right', 'Bottom'].map((s) => len(cs[`border${s}Width`]) + len(cs[`padding${s}`]));
    const kx = eL + eR && img.offsetWidth ? r.width / img.offsetWidth : 1;
    const ky = eT + eB && img.offsetHeight ? r.height / img.offsetHeight : 1;
    // Snapped to device pixels as the picture is painted, for copies to cover its pixels.
    const dpr = window.devicePixelRatio || 1;
    const snap = (v) => Math.round(v * dpr) / dpr;
    const left = snap(r.left + kx * eL);
    const top = snap(r.top + ky * eT);
    const w = snap(r.right - kx * eR) - left;
    const h = snap(r.bottom - ky * eB) - top;
    const [width, height] = this.full || [img.naturalWidth || Number(img.getAttribute('width')) || this.map.cols * 2 || 1,
      img.naturalHeight || Number(img.getAttribute('height')) || this.map.rows * 2 || 1];
    return { left, top, w, h, sx: w / width, sy: h / height, width, height };
  }

  areaAt(x, y) {
    const m = this.map;
    if (!m.ready) m.fill(Infinity);
    return x < 0 || y < 0 || x >> 1 >= m.cols || y >> 1 >= m.rows ? 0 : m.cells[(y >> 1) * m.cols + (x >> 1)];
  }

  areaAtClient(clientX, clientY) {
    const f = this.frame();
    const x = Math.floor((clientX - f.left) / f.sx);
    const y = Math.floor((clientY - f.top) / f.sy);
    return x < 0 || y < 0 || x >= f.width || y >= f.height ? 0 : this.areaAt(x, y);
  }

  // A clip path of the area in units of the picture's box: sample i covers pixels 2i and
  // 2i + 1. Given the time to stop at (performance.now()), it may be left half built: null.
  clipId(area, end = Infinity) {
    let clip = this.clips.get(area);
    if (!clip) this.clips.set(area, (clip = { id: '', steps: areaPath(this.map, area) }));
    if (!this.map.ready && !this.map.fill(end)) return null;
    while (!clip.id) {
      const step = clip.steps.next();
      if (step.done) {
        clip.id = `vlm4-c${++uid}`;
        const f = this.frame();
        svgEl('path', { d: step.value, transform: `scale(${2 / f.width} ${2 / f.height})` },
          svgEl('clipPath', { id: clip.id, clipPathUnits: 'objectBoundingBox' }, defsRoot()));
      } else if (performance.now() >= end) {
        return null;
      }
    }
    return clip.id;
  }

  // Touch pointers enter and leave with every tap: onDown handles taps.
  onEnter(e) {
    if (e.pointerType === 'touch') return;
    this.prepare();
    this.inside = true;
    this.playMusic();
  }

  onMove(e) {
    if (e.pointerType !== 'touch') this.hover(this.areaAtClient(e.clientX, e.clientY));
  }

  onDown(e) {
    if (e.pointerType !== 'touch') return;
    // A tap shows the area's over effects until the next tap elsewhere.
    for (const p of pictures) if (p !== this && p.touchHover) p.leave();
    this.touchHover = this.inside = true;
    this.prepare();
    this.playMusic();
    this.hover(this.areaAtClient(e.clientX, e.clientY));
  }

  onLeave(e) {
    // Onto a bubble that scrolls its text is not away from the area.
    if (e.pointerType !== 'touch' && !this.layer.contains(e.relatedTarget)) this.leave();
  }

  leave() {
    this.inside = false;
    this.touchHover = false;
    this.hover(-1);
    if (this.music) this.music.pause();
  }

  // With double-click effects, a click waits and is dropped when a second follows.
  onClick(e) {
    clearTimeout(this.pending);
    if (e.detail > 1) return;
    const area = this.areaAtClient(e.clientX, e.clientY);
    const p = this.areas.get(area);
    const run = () => this.run(area, 'click');
    if (p && has(p.dblclick)) this.pending = setTimeout(run, kDoubleClickMs);
    else run();
  }

  onDoubleClick(e) {
    clearTimeout(this.pending);
    this.run(this.areaAtClient(e.clientX, e.clientY), 'dblclick');
  }

  run(area, event) {
    const started = this.startEvent(area, event);
    if (started || event === 'click') {
      this.endClicked();
      this.clicked = started;
    }
  }

  onKey(area, e) {
    if (e.key === 'Enter' || e.key === ' ') {
      e.preventDefault();
      if (!e.repeat) this.run(area, e.key === 'Enter' && e.shiftKey ? 'dblclick' : 'click');
    }
  }

  // Focus on an area (0: none) outlines it and runs it as the pointer would.
  focusArea(area) {
    if (this.ring) this.ring.remove();
    this.ring = null;
    if (area) {
      this.prepare();
      const f = this.frame();
      this.ring = svgEl('svg', { class: 'vlm4-focus', 'aria-hidden': 'true', preserveAspectRatio: 'none',
        viewBox: `0 0 ${f.width / 2} ${f.height / 2}` }, this.layer);
      if (!this.map.ready) this.map.fill(Infinity);
      const d = outlinePath(this.map, area);
      for (const c of ['vlm4-ring-under', 'vlm4-ring']) svgEl('path', { d, class: c }, this.ring);
    }
    this.hover(area || -1);
  }

  hover(area) {
    if (this.over && this.over.area === area) return;
    if (this.clicked && this.clicked.area !== area) this.endClicked();
    this.end(this.over);
    this.over = this.startEvent(area, 'over') || { area, effects: [] };
    const p = this.areas.get(area);
    this.img.classList.toggle('vlm4-clickable', !!p && (has(p.click) || has(p.dblclick)));
  }

  // Esc: what shows goes, and stays gone while in the same area.
  hide() {
    this.endClicked();
    this.end(this.over);
  }

  endClicked() {
    this.end(this.clicked);
    this.clicked = null;
  }

  end(group) {
    if (!group) return;
    for (const fx of group.effects) {
      try {
        if (fx.stop) fx.stop();
      } finally {
        if (fx.node) fx.node.remove();
      }
    }
    group.effects = [];
  }

  startEvent(area, event) {
    const props = area > 0 && this.areas.get(area);
    const p = props && props[event];
    if (!has(p)) return null;
    const group = { area, effects: [] };
    const attempt = (what, start) => {
      try {
        const fx = start();
        if (fx) group.effects.push(fx);
      } catch (e) {
        report(what, e);
      }
    };
    // Lowest first; a link last, as its window may take the focus.
    const shaped = { background: (v) => pixelEffect(this, v, area, true),
      area: (v) => pixelEffect(this, v, area, false),
      overlay: (v) => overlay(this, v), picture: (v) => popupPicture(this, v), message: (v) => message(this, v, area) };
    const instant = { audio: playSound, copytext: copyText, jscode: runCode, link: (v) => this.link(v, area, event) };
    for (const k in shaped) if (p[k]) attempt(k, () => shaped[k](p[k]));
    if (group.effects.length) {
      const f = this.placeLayer();
      for (const fx of group.effects) fx.place(f);
    }
    for (const k in instant) if (p[k]) attempt(k, () => void instant[k](p[k]));
    return group;
  }

  // Browsers open windows only on a click: a link on "over" is reported.
  link(url, area, event) {
    if (event !== 'over') openLink(url);
    else if (!this.warned.has(area) && this.warned.add(area)) {
      report(`link on "over" of area ${area} not opened, browsers open windows only on a click`, url);
    }
  }

  // Lays the layer over the picture's content box; returns, in the layer's CSS pixels, its
  // size, a picture pixel's size, and where the viewport and clipping ancestors show it.
  placeLayer() {
    const f = this.frame();
    put(this.layer, 0, 0, 100, 100);
    const o = clientRect(this.layer);
    const kx = o.width / 100 || 1;
    const ky = o.height / 100 || 1;
    put(this.layer, (f.left - o.left) / kx, (f.top - o.top) / ky, f.w / kx, f.h / ky);
    const root = document.documentElement;
    let b = { left: 0, top: 0, right: root.clientWidth, bottom: root.clientHeight };
    for (let e = this.anchor.parentElement; e && e !== document.body && e !== root; e = e.parentElement) {
      const cs = getComputedStyle(e);
      if (cs.overflowX === 'visible' && cs.overflowY === 'visible') continue;
      const r = clientRect(e);
      const [ex, ey] = [r.width / e.offsetWidth || 1, r.height / e.offsetHeight || 1];
      const [left, top] = [r.left + e.clientLeft * ex, r.top + e.clientTop * ey];
      b = { left: Math.max(b.left, left), top: Math.max(b.top, top), right: Math.min(b.right, left + e.clientWidth * ex),
        bottom: Math.min(b.bottom, top + e.clientHeight * ey) };
    }
    const bounds = { left: (b.left - f.left) / kx, top: (b.top - f.top) / ky, right: (b.right - f.left) / kx,
      bottom: (b.bottom - f.top) / ky };
    const visible = { x0: Math.max(0, Math.floor(bounds.left)), y0: Math.max(0, Math.floor(bounds.top)),
      x1: Math.min(f.w / kx, Math.ceil(bounds.right)), y1: Math.min(f.h / ky, Math.ceil(bounds.bottom)) };
    return { w: f.w / kx, h: f.h / ky, sx: f.sx / kx, sy: f.sy / ky, width: f.width, height: f.height, bounds, visible };
  }

  replace() {
    const effects = [this.over, this.clicked].flatMap((g) => (g ? g.effects : []));
    if (effects.length) {
      const f = this.placeLayer();
      for (const fx of effects) fx.place(f);
    }
    // Hidden copies follow once the page has come to rest, so that they are drawn for the new
    // view before they show, and not in every frame of a scroll.
    if (!this.copies.some((c) => !c.busy)) return;
    clearTimeout(this.restTimer);
    this.restTimer = setTimeout(() => whenIdle(() => {
      const idle = this.copies.filter((c) => !c.busy);
      if (idle.length) {
        const f = this.placeLayer();
        for (const c of idle) c.place(f);
      }
      return true;
    }), kRestMs);
  }

  playMusic() {
    const music = this.music;
    if (!music || !music.paused) return;
    music.play().catch((e) => {
      if (e.name === 'NotAllowedError') waitingForGesture.add(this);
      else if (e.name !== 'NotSupportedError') played('background music')(e); // onerror tells why
    });
  }
}

// True when an event's record holds any effect ("q" only closes the record).
const has = (p) => !!p && typeof p === 'object' && Object.keys(p).some((k) => k !== 'q');

const waitingForGesture = new Set();

function onGesture() {
  for (const p of waitingForGesture) if (p.inside) p.playMusic();
  waitingForGesture.clear();
}

let replaceQueued = false;
function replaceAll() {
  if (replaceQueued) return;
  replaceQueued = true;
  requestAnimationFrame(() => {
    replaceQueued = false;
    for (const p of pictures) p.replace();
  });
}

function listen() {
  for (const type of ['pointerup', 'keydown', 'click', 'touchend']) document.addEventListener(type, onGesture, true);
  document.addEventListener('keydown', (e) => {
    if (e.key === 'Escape') for (const p of pictures) p.hide();
  });
  // A tap outside every picture ends what a tap showed.
  document.addEventListener('pointerdown', (e) => {
    if (e.pointerType !== 'touch') return;
    for (const p of pictures) if (p.touchHover && e.target !== p.img) p.leave();
  }, true);
  const relayout = () => replaceAll(pictures.forEach((p) => p.placeLayer()));
  window.addEventListener('resize', relayout);
  // What is visible of each picture changes.
  window.addEventListener('scroll', replaceAll, { capture: true, passive: true });
  if (window.ResizeObserver) resizes = new ResizeObserver(relayout);
}

let taken = 0;
let resizes = null;

// Pairs new entries of VLM_DATA with pictures: the scripts may come in any order, deferred or
// async, so this runs once the document is parsed and after every script.
function start() {
  if (document.readyState === 'loading') return;
  const list = typeof VLM_DATA === 'undefined' ? [] : VLM_DATA; // eslint-disable-line no-undef
  if (!Array.isArray(list)) return;
  for (; taken < list.length; taken++) {
    let data = list[taken];
    try {
      if (typeof data === 'string') data = JSON.parse(data);
    } catch (e) {
      report('unreadable picture data', e);
      continue;
    }
    if (!data || typeof data.id !== 'string') continue;
    const same = (e) => e.id === data.id;
    const img = [...document.images].filter(same)[pictures.map((p) => p.img).filter(same).length];
    if (!img) report('no img of id', data.id);
    else {
      if (!pictures.length) listen();
      pictures.push(new Picture(img, data));
      if (resizes) resizes.observe(img);
    }
  }
}

window.vlm4 = { decodeMap, pictures };
document.addEventListener('DOMContentLoaded', start);
document.addEventListener('load', (e) => e.target.tagName === 'SCRIPT' && start(), true);
start();
})();
