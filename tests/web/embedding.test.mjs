// An exported picture put into pages the way authors embed it: inside a scrolled box under a
// fixed header, under CSS zoom and transforms, on screens of several pixel ratios, with the
// scripts deferred or async, the runtime included twice; and long texts and restarted sounds.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { decodePng, encodePng } from './support/png.mjs';
import {
    engine, exportPage, lacks, launchBrowser, makeProject, makeTone, openPage, pixelPoint, shown, skipReason, tempFolder,
} from './support/fixture.mjs';

const skip = skipReason();

// A 200 x 160 picture in four 100 x 80 quarters.
const kLong = Array.from({ length: 80 }, (_, i) => `Строка ${i + 1} длинного описания`).join('\r\n');
const areas = {
    shade: { over: { background_brightness: -90, background_grayscale: 1 } },
    patch: { over: { overlay_file_name: 'patch.png', overlay_x: 170, overlay_y: 10, message_text: 'заплатка',
        message_center_x: 150, message_center_y: 40 } },
    tall: { over: { message_text: kLong, message_center_x: 50, message_center_y: 120 } },
    tone: { over: { sound_file_name: 'tone.ogg', message_text: 'звук', message_center_x: 150, message_center_y: 120 } },
};
const rects = { shade: [0, 0, 100, 80], patch: [100, 0, 100, 80], tall: [0, 80, 100, 80], tone: [100, 80, 100, 80] };
const centre = { shade: [50, 40], patch: [150, 40], tall: [50, 120], tone: [150, 120] };

describe('pictures embedded in other pages', { skip: skip || false }, () => {
    let folder;
    let page;
    let browser;

    // A variant of the exported page beside it; change() rewrites the page's text.
    function variant(name, change) {
        const file = path.join(path.dirname(page), `${name}.html`);
        fs.writeFileSync(file, change(fs.readFileSync(page, 'utf8')));
        return file;
    }
    const wrapImage = (html, before, after) => html.replace(/(\t*<img [^\r\n]*>)/, `${before}$1${after}`);

    before(async () => {
        folder = tempFolder('embedding');
        const assets = path.join(folder, 'assets');
        fs.mkdirSync(assets);
        fs.writeFileSync(path.join(assets, 'patch.png'), encodePng(60, 30, () => [250, 20, 200]));
        makeTone(path.join(assets, 'tone.ogg'), 2);
        const project = makeProject(path.join(folder, 'project'), {
            name: 'embed', width: 200, height: 160, rects, areas,
            colour: (x, y) => [200 + (x % 50), 180 + (y % 60), 120],
            attach: { picture: [path.join(assets, 'patch.png')], sound: [path.join(assets, 'tone.ogg')] },
        });
        page = exportPage(project, path.join(folder, 'site', 'embed.html'));
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    async function visit(file, options = {}) {
        const context = await browser.newContext({ viewport: { width: 600, height: 500 }, reducedMotion: 'reduce', ...options });
        const p = await openPage(context, file);
        p.context = context;
        return p;
    }

    const hover = async (p, area) => p.mouse.move(...await pixelPoint(p, ...centre[area]));

    it('keeps a background effect inside the visible part of a scrolled box, under a fixed header', async () => {
        const file = variant('boxed', (html) => wrapImage(html.replace('<body>',
            '<body style="margin:0;background:#fff"><header style="position:fixed;top:0;left:0;right:0;height:60px;' +
            'z-index:1;background:#2a6">Шапка</header><div style="height:140px"></div><p>Текст над рамкой</p>'),
        '<div id="box" style="width:150px;height:100px;overflow:auto;border:2px solid #000;margin:0 auto">', '</div>')
            .replace('</body>', '<div style="height:900px">Текст под рамкой</div></body>'));
        const p = await visit(file);
        try {
            // Part of the picture is scrolled out of the box, and the box partly under the header.
            await p.evaluate(() => {
                document.getElementById('box').scrollTo(30, 20);
                window.scrollTo(0, 110);
            });
            const whole = { x: 0, y: 0, width: 600, height: 500 };
            const before = decodePng(await p.screenshot({ clip: whole }));
            const box = await p.evaluate(() => {
                const r = document.getElementById('box').getBoundingClientRect();
                return { left: r.left + 2, top: Math.max(60, r.top + 2), right: r.right - 2, bottom: r.bottom - 2 };
            });
            // (50, 40) is in the box's visible part, below the header.
            const [x, y] = await pixelPoint(p, 50, 40);
            assert.ok(x > box.left && x < box.right && y > box.top && y < box.bottom, JSON.stringify([x, y, box]));
            await p.mouse.move(x, y);
            const during = decodePng(await p.screenshot({ clip: whole }));
            let outside = 0;
            let inside = 0;
            for (let py = 0; py < 500; py++) {
                for (let px = 0; px < 600; px++) {
                    const changed = during.pixel(px, py).some((v, i) => Math.abs(v - before.pixel(px, py)[i]) > 8);
                    // A pixel row or column the box's edge cuts shows some of the box.
                    const within = px >= Math.floor(box.left) && px < Math.ceil(box.right) &&
                        py >= Math.floor(box.top) && py < Math.ceil(box.bottom);
                    // The pointer hides a few pixels around its tip.
                    if (changed && !within && !(Math.abs(px - x) < 16 && Math.abs(py - y) < 24)) outside++;
                    if (changed && within) inside++;
                }
            }
            assert.equal(outside, 0, 'pixels outside the box changed');
            assert.ok(inside > 5000, `pixels inside the box changed: ${inside}`);
            // Scrolling the box carries the effect along with the picture, over what the box
            // shows of it and no more.
            for (const [x, y] of [[50, 60], [0, 0]]) {
                await p.evaluate(([x, y]) => document.getElementById('box').scrollTo(x, y), [x, y]);
                await p.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
                const [picture, inner, effect] = await p.evaluate(() => [document.images[0], document.getElementById('box'),
                    document.querySelector('.vlm4-pixels')].map((e) => e.getBoundingClientRect().toJSON()));
                const shown = { left: Math.max(picture.left, inner.left + 2), top: Math.max(picture.top, inner.top + 2),
                    right: Math.min(picture.right, inner.right - 2), bottom: Math.min(picture.bottom, inner.bottom - 2) };
                const near = (a, b) => Math.abs(a - b) <= 2.5;
                assert.ok(near(effect.left, shown.left) && near(effect.top, shown.top) && near(effect.right, shown.right) &&
                    near(effect.bottom, shown.bottom), JSON.stringify({ effect, shown }));
            }
            assert.deepEqual(p.errors, []);
        } finally {
            await p.context.close();
        }
    });

    it('cuts an overlay at the picture\'s edges', async () => {
        const file = variant('plain', (html) => html.replace('<body>', '<body style="background:#fff">'));
        const p = await visit(file);
        try {
            await hover(p, 'patch');
            const [overlay] = (await shown(p)).overlays;
            assert.ok(overlay, 'the overlay shows');
            const [right] = await pixelPoint(p, 199, 20);
            const [, top] = await pixelPoint(p, 0, 20);
            // The overlay reaches 30 pixels past the right edge; beside the picture stays white.
            const shot = decodePng(await p.screenshot({ clip: { x: Math.ceil(right + 1), y: Math.round(top), width: 30, height: 10 } }));
            for (let y = 0; y < 10; y++) {
                for (let x = 0; x < 30; x++) assert.deepEqual(shot.pixel(x, y), [255, 255, 255], `(${x}, ${y}) beside the picture`);
            }
        } finally {
            await p.context.close();
        }
    });

    // The overlay's corner must lie on its picture pixel and the bubble's centre on its point,
    // however the page scales the picture.
    const scales = [
        { name: 'CSS zoom on the body', body: 'zoom:1.5', scale: 1 },
        { name: 'a transform on the body', body: 'transform:scale(0.8);transform-origin:0 0', scale: 1 },
        { name: 'CSS zoom on an ancestor', wrap: '<div style="zoom:1.5">', scale: 1 },
        { name: 'a transform on an ancestor', wrap: '<div style="transform:scale(0.75);transform-origin:0 0">', scale: 1 },
        { name: 'zoom inside a transform', wrap: '<div style="transform:scale(1.2);transform-origin:0 0"><div style="zoom:0.8">',
            close: '</div></div>', scale: 1 },
        { name: 'device pixel ratio 1.5', scale: 1.5 },
        { name: 'device pixel ratio 2 with zoom on the body', body: 'zoom:1.25', scale: 2 },
    ];
    for (const c of scales) {
        const skip = c.scale !== 1 && lacks('deviceScaleFactor');
        it(`places overlays and bubbles under ${c.name}`, { skip }, async () => {
            const file = variant(`scaled${scales.indexOf(c)}`, (html) => wrapImage(
                html.replace('<body>', `<body style="${c.body || ''}">`), c.wrap || '', c.close || (c.wrap ? '</div>' : '')));
            const p = await visit(file, { deviceScaleFactor: c.scale });
            try {
                await hover(p, 'patch');
                const { overlays, bubbles } = await shown(p);
                assert.equal(overlays.length, 1);
                assert.equal(bubbles.length, 1);
                const [ox, oy] = await pixelPoint(p, 170, 10);
                const [ex, ey] = await pixelPoint(p, 230, 40);
                const unit = (ex - ox) / 60;
                const o = overlays[0].box;
                // pixelPoint gives pixel centres: the corner lies half a pixel before.
                assert.ok(Math.abs(o.x - (ox - unit / 2)) <= 1 && Math.abs(o.y - (oy - unit / 2)) <= 1,
                    `overlay at ${o.x}, ${o.y}, want ${ox - unit / 2}, ${oy - unit / 2}`);
                const [bx, by] = await pixelPoint(p, 150, 40);
                const b = bubbles[0].box;
                assert.ok(Math.abs(b.cx - bx + unit / 2) <= 1.5 && Math.abs(b.cy - by + unit / 2) <= 1.5,
                    `bubble centred at ${b.cx}, ${b.cy}, want ${bx - unit / 2}, ${by - unit / 2}`);
                assert.deepEqual(p.errors, []);
            } finally {
                await p.context.close();
            }
        });
    }

    // The two script lines of the head, rewritten; the data may also come long after the page.
    const loadings = [
        { name: 'both deferred', runtime: ' defer', data: ' defer' },
        { name: 'both async', runtime: ' async', data: ' async' },
        { name: 'the runtime deferred', runtime: ' defer', data: '' },
        { name: 'the data async', runtime: '', data: ' async' },
        { name: 'the data first, the runtime async', runtime: ' async', data: '', swap: true },
        { name: 'the data added after the page has loaded', runtime: ' async', data: null },
    ];
    for (const c of loadings) {
        it(`works with ${c.name}`, async () => {
            const file = variant(`loading${loadings.indexOf(c)}`, (html) => {
                const lines = html.split('\r\n');
                const at = lines.findIndex((l) => l.includes('src="VLM/vlm4.js"'));
                lines[at] = `\t\t<script${c.runtime} src="VLM/vlm4.js"></script>`;
                lines[at + 1] = c.data === null
                    ? '\t\t<script>addEventListener("load", () => setTimeout(() => document.head.appendChild(' +
                        'Object.assign(document.createElement("script"), { src: "VLM/embed.js" })), 300));</script>'
                    : `\t\t<script${c.data} src="VLM/embed.js"></script>`;
                if (c.swap) [lines[at], lines[at + 1]] = [lines[at + 1], lines[at]];
                return lines.join('\r\n');
            });
            const context = await browser.newContext({ viewport: { width: 600, height: 500 }, reducedMotion: 'reduce' });
            try {
                const p = await context.newPage();
                const errors = [];
                p.on('pageerror', (e) => errors.push(e.message));
                await p.goto(`file://${file}`);
                await p.waitForFunction(() => window.vlm4 && window.vlm4.pictures.length === 1);
                await hover(p, 'patch');
                assert.deepEqual((await shown(p)).bubbles.map((b) => b.text), ['заплатка']);
                assert.deepEqual(errors, []);
            } finally {
                await context.close();
            }
        });
    }

    it('runs once when the page includes the runtime twice', async () => {
        const file = variant('twice', (html) => html.replace('<script src="VLM/vlm4.js"></script>',
            '<script src="VLM/vlm4.js"></script><script src="VLM/vlm4.js"></script>'));
        const p = await visit(file);
        try {
            await hover(p, 'patch');
            assert.equal((await shown(p)).bubbles.length, 1);
            assert.equal(await p.evaluate(() => document.querySelectorAll('.vlm4-anchor').length), 1);
        } finally {
            await p.context.close();
        }
    });

    it('bounds a message taller than the window to it, with its own scrolling', async () => {
        const p = await visit(page, { viewport: { width: 600, height: 300 } });
        try {
            await hover(p, 'tall');
            const [bubble] = (await shown(p)).bubbles;
            const { y, h } = bubble.box;
            assert.ok(y >= 0 && y + h <= 300, JSON.stringify(bubble.box));
            const text = p.locator('.vlm4-text');
            const scroll = () => text.evaluate((e) => [e.scrollTop, e.scrollHeight - e.clientHeight]);
            const [, room] = await scroll();
            assert.ok(room > 100, `the text scrolls by ${room} px`);
            // The wheel over the bubble scrolls its text, and the bubble stays.
            await p.mouse.move(bubble.box.cx, bubble.box.cy);
            await p.mouse.wheel(0, 200);
            await p.waitForFunction(() => document.querySelector('.vlm4-text')?.scrollTop > 0);
            assert.equal((await shown(p)).bubbles.length, 1);
            // Leaving the bubble for the page ends it.
            await p.mouse.move(590, 290);
            assert.equal((await shown(p)).bubbles.length, 0);
        } finally {
            await p.context.close();
        }
    });

    it('restarts a sound on the next event without an error', async () => {
        const p = await visit(page);
        try {
            const tone = await pixelPoint(p, ...centre.tone);
            const other = await pixelPoint(p, ...centre.patch);
            for (let i = 0; i < 4; i++) {
                await p.mouse.move(...tone);
                await p.mouse.move(...other);
            }
            await p.mouse.move(...tone);
            await p.waitForTimeout(300);
            assert.deepEqual(p.errors, []);
        } finally {
            await p.context.close();
        }
    });
});
