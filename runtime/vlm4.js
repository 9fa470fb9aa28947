/* Velmora page runtime: makes every picture of an exported page interactive.
 *
 * It runs in the page head before the body exists, waits for the document, then pairs every
 * entry of VLM_DATA (a JSON text each) with the img whose id is the entry's "id"; a merged page
 * that holds one page twice pairs the n-th entry of an id with the n-th img of that id.
 *
 * Area map text: one row text per second picture row, each followed by a space. A row text is
 * a sequence of four-character pieces, two hex digits of area number and two of count, where
 * count 255 stands for 254 samples; an empty row text is a row of area 0. Picture pixel (x, y)
 * lies in sample (x >> 1, y >> 1).
 *
 * "area" changes the area's own pixels, "background" every other pixel of the picture. On
 * channel values c in 0..1, in this order, each result clamped to 0..1:
 *   grey scale (when "grayscale" is true)   c = 0.2126 R + 0.7152 G + 0.0722 B
 *   brightness b, contrast k (-127..127)    c = f (c + b / 255 - 0.5) + 0.5, f = (255 + k) / (255 - k)
 *   gamma g (1 unchanged, held to 0.01..5)  c = c ^ (1 / g)
 * A copy of the picture above it carries an SVG filter with exactly these steps and is clipped
 * to the area's samples: pixels of a picture opened from file:// cannot be read back from a
 * canvas, but they can be filtered, and the copy shows in the very next frame.
 */
(function () {
'use strict';

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

// The two hex digits at `at` as a number, or -1 (undefined for other characters too).
function hexByte(text, at) {
    const hi = hexValue[text.charCodeAt(at)];
    const lo = hexValue[text.charCodeAt(at + 1)];
    return hi >= 0 && lo >= 0 ? hi * 16 + lo : -1;
}

// Decodes the map text into one byte per sample, and the bounding box of every area in
// samples (minX, minY, maxX, maxY; minX > maxX for an area that is absent).
function decodeMap(text) {
    const rowTexts = String(text).split(' ');
    if (rowTexts[rowTexts.length - 1] === '') rowTexts.pop();
    const rows = rowTexts.length;
    // Every non-empty row holds all samples of a row.
    let cols = 0;
    const first = rowTexts.find((row) => row.length) || '';
    for (let at = 0; at + 4 <= first.length; at += 4) cols += Math.max(0, Math.min(254, hexByte(first, at + 2)));
    const cells = new Uint8Array(rows * cols);
    const boxes = new Int32Array(256 * 4);
    for (let a = 0; a < 256; a++) boxes.set([cols, rows, -1, -1], a * 4);
    for (let y = 0; y < rows; y++) {
        const row = rowTexts[y];
        const base = y * cols;
        let x = 0;
        for (let at = 0; at + 4 <= row.length && x < cols; at += 4) {
            const value = hexByte(row, at);
            let count = hexByte(row, at + 2);
            if (value < 0 || count < 0) break; // a damaged row keeps what was read
            if (count === 255) count = 254;
            const end = Math.min(x + count, cols);
            if (value && end > x) {
                cells.fill(value, base + x, base + end);
                const b = value * 4;
                boxes[b] = Math.min(boxes[b], x);
                boxes[b + 1] = Math.min(boxes[b + 1], y);
                boxes[b + 2] = Math.max(boxes[b + 2], end - 1);
                boxes[b + 3] = y;
            }
            x = end;
        }
    }
    return { rows, cols, cells, boxes };
}

// The area's samples as an SVG path of rectangles in sample units; rows with the same runs
// share one rectangle, so plain shapes give short paths.
function areaPath(map, area) {
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
    }
    close(y1 + 1);
    return d;
}

function el(tag, className, parent) {
    const e = parent.appendChild(document.createElement(tag));
    if (className) e.className = className;
    return e;
}

function svgEl(tag, attrs, parent) {
    const e = parent.appendChild(document.createElementNS(kSvg, tag));
    for (const k in attrs) e.setAttribute(k, attrs[k]);
    return e;
}

const num = (value, fallback) => (Number.isFinite(Number(value)) ? Number(value) : fallback);
const clamp = (v, lo, hi) => (v < lo ? lo : v > hi ? hi : v);
const lines = (text) => String(text).split('|').join('\n');
const report = (what, error) => console.error(`vlm4: ${what}:`, error);

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
        // A status region is a polite live region.
        liveRegion = el('div', 'vlm4-live', document.body);
        liveRegion.setAttribute('role', 'status');
    }
    liveRegion.textContent = text;
}

// Pictures are fetched ahead to show at once when their effect starts.
function preload(src) {
    if (src && !preloaded.has(src)) preloaded.set(src, Object.assign(new Image(), { src }));
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

// The filtered copy of the picture, clipped to the area (or to everything but it). For the
// area it sits in a box around the area, so that the filter works on those pixels only.
function pixelEffect(pic, opts, area, outside) {
    const filter = pixelFilter(opts || {});
    if (!filter) return null;
    const box = el('div', 'vlm4-pixels' + (outside ? ' vlm4-background' : ''), pic.layer);
    const copy = el('img', '', box);
    copy.alt = '';
    copy.src = pic.img.currentSrc || pic.img.src;
    box.style.filter = `url(#${filter})`;
    copy.style.clipPath = copy.style.webkitClipPath = `url(#${pic.clipId(area, outside)})`;
    const b = pic.map.boxes.subarray(area * 4, area * 4 + 4);
    return {
        node: box,
        place(f) {
            const [sx, sy] = [2 * f.sx, 2 * f.sy];
            const [x0, y0, x1, y1] = outside ? [0, 0, f.w, f.h] : [Math.floor(b[0] * sx), Math.floor(b[1] * sy),
                Math.min(f.w, Math.ceil((b[2] + 1) * sx)), Math.min(f.h, Math.ceil((b[3] + 1) * sy))];
            const px = (v) => `${v}px`;
            Object.assign(box.style, { left: px(x0), top: px(y0), width: px(x1 - x0), height: px(y1 - y0) });
            Object.assign(copy.style, { left: px(-x0), top: px(-y0), width: px(f.w), height: px(f.h) });
        },
    };
}

// Outline shapes of a balloon whose body is the box w x h at (0, 0) and whose pointer aims
// at (tx, ty). Every shape is drawn twice, first with a wide stroke and then filled on
// top, so that the shapes merge into one outlined figure. `over` is how far the body
// reaches out of the box.
function balloonShapes(kind, w, h, tx, ty, line) {
    const cx = w / 2;
    const cy = h / 2;
    const shapes = [];
    let over = 0;
    let rx = cx;
    let ry = cy;
    let bump = 0;
    if (kind === 'circle' || kind === 'think' || kind === 'ellipse') {
        // An ellipse through the text box's corners, flatter for a cloud whose bumps
        // reach further out.
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

// Draws the shapes into an svg that covers them, positioned in the balloon's own box.
function drawBalloon(svg, shapes, line, w, h, tx, ty, over) {
    const pad = over + line + 4;
    const x0 = Math.floor(Math.min(0, tx) - pad);
    const y0 = Math.floor(Math.min(0, ty) - pad);
    const x1 = Math.ceil(Math.max(w, tx) + pad);
    const y1 = Math.ceil(Math.max(h, ty) + pad);
    svg.textContent = '';
    const attrs = { width: x1 - x0, height: y1 - y0, viewBox: `${x0} ${y0} ${x1 - x0} ${y1 - y0}` };
    for (const k in attrs) svg.setAttribute(k, attrs[k]);
    Object.assign(svg.style, { left: `${x0}px`, top: `${y0}px` });
    const outline = svgEl('g', { class: 'vlm4-outline', 'stroke-width': line * 2 }, svg);
    const fill = svgEl('g', { class: 'vlm4-fill' }, svg);
    for (const [tag, attrs] of shapes) {
        svgEl(tag, attrs, outline);
        svgEl(tag, attrs, fill);
    }
}

// Places a balloon's box centred on (x1, y1) of the picture, moved inside the viewport,
// and redraws its pointer to (x2, y2).
function placeBalloon(root, svg, kind, f, opts, w, h) {
    const line = parseFloat(getComputedStyle(root).getPropertyValue('--vlm4-line-width')) || 2;
    const [cx, cy, px, py] = [opts.x1 * f.sx, opts.y1 * f.sy, opts.x2 * f.sx, opts.y2 * f.sy].map((v) => num(v, 0));
    const { over } = balloonShapes(kind, w, h, 0, 0, line);
    const reach = over + line + kMargin;
    const { clientWidth: vw, clientHeight: vh } = document.documentElement;
    const left = clamp(f.left + cx - w / 2, reach, Math.max(reach, vw - w - reach)) - f.left;
    const top = clamp(f.top + cy - h / 2, reach, Math.max(reach, vh - h - reach)) - f.top;
    root.style.left = `${left}px`;
    root.style.top = `${top}px`;
    const shaped = balloonShapes(kind, w, h, px - left, py - top, line);
    drawBalloon(svg, shaped.shapes, line, w, h, px - left, py - top, shaped.over);
}

function message(pic, opts) {
    const text = lines(opts.text);
    const type = kMessageTypes.includes(opts.type) ? opts.type : 'speech';
    const root = el('div', `${styleClasses(opts.style, 'vlm4-bubble')} vlm4-${type}`, pic.layer);
    root.id = `vlm4-b${++uid}`;
    root.setAttribute('role', 'tooltip');
    const svg = svgEl('svg', { class: 'vlm4-shape', 'aria-hidden': 'true' }, root);
    const body = el('div', 'vlm4-text', root);
    body.textContent = text;
    pic.img.setAttribute('aria-describedby', root.id);
    announce(text.replace(/\n/g, ' '));
    let size = null;
    return {
        node: root,
        place(f) {
            size = size || [body.offsetWidth, body.offsetHeight];
            placeBalloon(root, svg, type, f, opts, size[0], size[1]);
        },
        stop() {
            if (pic.img.getAttribute('aria-describedby') === root.id) pic.img.removeAttribute('aria-describedby');
        },
    };
}

function popupPicture(pic, opts) {
    const type = opts.type === 'pointer' ? 'pointer' : 'circle';
    const root = el('div', `${styleClasses(opts.style, 'vlm4-popup')} vlm4-${type}`, pic.layer);
    const svg = svgEl('svg', { class: 'vlm4-shape', 'aria-hidden': 'true' }, root);
    const image = el('img', '', root);
    image.alt = '';
    image.src = opts.src;
    let ready = false;
    let last = null;
    const place = (f) => {
        last = f;
        if (!ready) return;
        const nw = image.naturalWidth * f.sx;
        const nh = image.naturalHeight * f.sy;
        const { clientWidth: vw, clientHeight: vh } = document.documentElement;
        const fit = Math.min(1, (vw * 0.9) / nw, (vh * 0.9) / nh);
        const w = Math.max(1, Math.round(nw * fit));
        const h = Math.max(1, Math.round(nh * fit));
        const pad = parseFloat(getComputedStyle(root).getPropertyValue('--vlm4-frame')) || 4;
        Object.assign(image.style, { width: `${w}px`, height: `${h}px` });
        root.classList.add('vlm4-ready');
        placeBalloon(root, svg, type === 'pointer' ? 'arrow' : 'ellipse', f, opts, w + 2 * pad, h + 2 * pad);
    };
    ready = image.complete && image.naturalWidth > 0;
    image.onload = () => (ready = true) && last && place(pic.frame());
    image.onerror = () => report('picture missing', opts.src);
    return { node: root, place };
}

function overlay(pic, opts) {
    const image = el('img', 'vlm4-overlay', pic.layer);
    image.alt = '';
    image.src = opts.src;
    let last = null;
    const place = (f) => {
        last = f;
        if (!image.naturalWidth) return;
        const [left, top, width, height] = [num(opts.x, 0) * f.sx, num(opts.y, 0) * f.sy,
            image.naturalWidth * f.sx, image.naturalHeight * f.sy].map((v) => `${v}px`);
        Object.assign(image.style, { left, top, width, height });
        image.classList.add('vlm4-ready');
    };
    image.onload = () => last && place(pic.frame());
    image.onerror = () => report('picture missing', opts.src);
    return { node: image, place };
}

function copyText(text) {
    const value = lines(text);
    // Without the Clipboard API (plain http, old browsers) a selected text field is copied.
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
        // A call of a page function, run in the page's global scope.
        Function(code)();
    } catch (e) {
        report(`jscode ${code}`, e);
    }
}

const sounds = new Map();

function playSound(opts) {
    const src = String(opts.src || '');
    let audio = sounds.get(src);
    if (!audio) {
        audio = new Audio(src);
        audio.onerror = () => report('sound missing', src);
        sounds.set(src, audio);
    }
    audio.volume = clamp(num(opts.volume, 1), 0, 1);
    audio.pause();
    audio.currentTime = 0;
    audio.play().catch((e) => report(`sound ${src} not played`, e.name));
}

const openLink = (url) => window.open(String(url), '_blank', 'noopener');

class Picture {
    constructor(img, data) {
        this.img = img;
        this.map = decodeMap(data.Map);
        this.areas = new Map();
        this.clips = new Map();
        // over and clicked: the running effects { area, effects } of each kind of event.
        Object.assign(this, { over: null, clicked: null, inside: false, touchHover: false, layer: null, music: null });
        for (const c of Array.isArray(data.colors) ? data.colors : []) {
            const area = c && Number(c.color);
            if (area >= 1 && area <= 255 && c.properties && typeof c.properties === 'object') {
                this.areas.set(area, c.properties);
                for (const e of kEvents) {
                    for (const k of ['overlay', 'picture']) preload(((c.properties[e] || {})[k] || {}).src);
                }
            }
        }
        if (data.audio && data.audio.src) {
            this.music = new Audio(data.audio.src);
            this.music.loop = true;
            this.music.volume = clamp(num(data.audio.volume, 1), 0, 1);
            this.music.onerror = () => report('background music missing', data.audio.src);
        }
        img.classList.add('vlm4-picture');
        const on = { pointerenter: this.onEnter, pointermove: this.onMove, pointerdown: this.onDown,
            pointerleave: this.onLeave, click: this.onClick, dblclick: this.onDoubleClick,
            dragstart: (e) => e.preventDefault() };
        for (const type in on) img.addEventListener(type, on[type].bind(this));
    }

    // The picture's content box in the viewport and the shown size per picture pixel.
    frame() {
        const img = this.img;
        const r = img.getBoundingClientRect();
        const cs = this.style || (this.style = getComputedStyle(img)); // live
        const px = (v) => parseFloat(v) || 0;
        // Snapped to device pixels as the browser paints the picture, so that a filtered
        // copy covers exactly the same pixels.
        const dpr = window.devicePixelRatio || 1;
        const snap = (v) => Math.round(v * dpr) / dpr;
        const left = snap(r.left + px(cs.borderLeftWidth) + px(cs.paddingLeft));
        const top = snap(r.top + px(cs.borderTopWidth) + px(cs.paddingTop));
        const w = snap(r.right - px(cs.borderRightWidth) - px(cs.paddingRight)) - left;
        const h = snap(r.bottom - px(cs.borderBottomWidth) - px(cs.paddingBottom)) - top;
        const width = img.naturalWidth || Number(img.getAttribute('width')) || this.map.cols * 2 || 1;
        const height = img.naturalHeight || Number(img.getAttribute('height')) || this.map.rows * 2 || 1;
        return { left, top, w, h, sx: w / width, sy: h / height, width, height };
    }

    areaAt(x, y) {
        const m = this.map;
        return x < 0 || y < 0 || x >> 1 >= m.cols || y >> 1 >= m.rows ? 0 : m.cells[(y >> 1) * m.cols + (x >> 1)];
    }

    areaAtClient(clientX, clientY) {
        const f = this.frame();
        const x = Math.floor((clientX - f.left) / f.sx);
        const y = Math.floor((clientY - f.top) / f.sy);
        return x < 0 || y < 0 || x >= f.width || y >= f.height ? 0 : this.areaAt(x, y);
    }

    // A clip path in units of the picture's box: sample i covers pixels 2i and 2i + 1.
    clipId(area, outside) {
        const key = outside ? -area : area;
        if (!this.clips.has(key)) {
            const id = `vlm4-c${++uid}`;
            const clip = svgEl('clipPath', { id, clipPathUnits: 'objectBoundingBox' }, defsRoot());
            const m = this.map;
            const f = this.frame();
            const whole = outside ? `M0 0H${f.width / 2}V${f.height / 2}H0z` : '';
            svgEl('path', {
                d: whole + areaPath(m, area),
                'clip-rule': 'evenodd',
                transform: `scale(${2 / f.width} ${2 / f.height})`,
            }, clip);
            this.clips.set(key, id);
        }
        return this.clips.get(key);
    }

    // ---- events

    // Touch pointers enter and leave with every tap: a tap is handled by onDown alone.
    onEnter(e) {
        if (e.pointerType === 'touch') return;
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
        this.playMusic();
        this.hover(this.areaAtClient(e.clientX, e.clientY));
    }

    onLeave(e) {
        if (e.pointerType !== 'touch') this.leave();
    }

    leave() {
        this.inside = false;
        this.touchHover = false;
        this.hover(-1);
        if (this.music) this.music.pause();
    }

    onClick(e) {
        // The second click of a double click leaves the rest to the dblclick event.
        if (e.detail > 1) return;
        const area = this.areaAtClient(e.clientX, e.clientY);
        this.endClicked();
        this.clicked = this.startEvent(area, 'click');
    }

    onDoubleClick(e) {
        const area = this.areaAtClient(e.clientX, e.clientY);
        const started = this.startEvent(area, 'dblclick');
        if (started) {
            this.endClicked();
            this.clicked = started;
        }
    }

    hover(area) {
        if (this.over && this.over.area === area) return;
        if (this.clicked && this.clicked.area !== area) this.endClicked();
        this.end(this.over);
        this.over = this.startEvent(area, 'over') || { area, effects: [] };
        const p = this.areas.get(area);
        this.img.classList.toggle('vlm4-clickable', !!p && (has(p.click) || has(p.dblclick)));
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
        if (!this.layer) this.layer = el('div', 'vlm4-layer', document.body);
        // Lowest first; a link last, as its window may take the focus.
        const shaped = { background: (v) => pixelEffect(this, v, area, true),
            area: (v) => pixelEffect(this, v, area, false),
            overlay: (v) => overlay(this, v), picture: (v) => popupPicture(this, v), message: (v) => message(this, v) };
        const instant = { audio: playSound, copytext: copyText, jscode: runCode, link: openLink };
        for (const k in shaped) if (p[k]) attempt(k, () => shaped[k](p[k]));
        const f = this.placeLayer();
        for (const fx of group.effects) fx.place(f);
        for (const k in instant) if (p[k]) attempt(k, () => void instant[k](p[k]));
        return group;
    }

    // Lays the layer over the picture's content box. It is moved by what it is off, so that
    // any positioned ancestor of the layer is accounted for.
    placeLayer() {
        const f = this.frame();
        const s = this.layer.style;
        const r = this.layer.getBoundingClientRect();
        s.left = `${(parseFloat(s.left) || 0) + f.left - r.left}px`;
        s.top = `${(parseFloat(s.top) || 0) + f.top - r.top}px`;
        s.width = `${f.w}px`;
        s.height = `${f.h}px`;
        return f;
    }

    replace() {
        const effects = [this.over, this.clicked].flatMap((g) => (g ? g.effects : []));
        if (!effects.length) return;
        const f = this.placeLayer();
        for (const fx of effects) fx.place(f);
    }

    playMusic() {
        const music = this.music;
        if (!music || !music.paused) return;
        music.play().catch((e) => {
            if (e.name === 'NotAllowedError') waitingForGesture.add(this);
            else report('background music not played', e.name);
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

function start() {
    const list = typeof VLM_DATA === 'undefined' ? [] : VLM_DATA;
    const seen = new Map();
    for (const entry of Array.isArray(list) ? list : []) {
        let data;
        try {
            data = typeof entry === 'string' ? JSON.parse(entry) : entry;
        } catch (e) {
            report('unreadable picture data', e);
            continue;
        }
        if (!data || typeof data.id !== 'string') continue;
        const n = seen.get(data.id) || 0;
        seen.set(data.id, n + 1);
        const img = Array.from(document.images).filter((i) => i.id === data.id)[n];
        if (img) pictures.push(new Picture(img, data));
        else report('no img of id', data.id);
    }
    if (!pictures.length) return;
    for (const type of ['pointerup', 'keydown', 'click', 'touchend']) document.addEventListener(type, onGesture, true);
    document.addEventListener('keydown', (e) => {
        if (e.key === 'Escape') for (const p of pictures) p.endClicked();
    });
    // A tap outside every picture ends what a tap showed.
    document.addEventListener('pointerdown', (e) => {
        if (e.pointerType !== 'touch') return;
        for (const p of pictures) if (p.touchHover && e.target !== p.img) p.leave();
    }, true);
    window.addEventListener('resize', replaceAll);
    window.addEventListener('scroll', replaceAll, { capture: true, passive: true });
    if (window.ResizeObserver) {
        const ro = new ResizeObserver(replaceAll);
        for (const p of pictures) ro.observe(p.img);
    }
}

window.vlm4 = { decodeMap, pictures };
if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
else start();
})();
