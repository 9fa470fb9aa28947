// Every kind of effect on a page exported by velmora-cli, as a visitor meets it in Chromium.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { decodePng, encodePng } from './support/png.mjs';
import {
    exportPage, launchBrowser, makeProject, makeTone, moveTo, openPage, pixelPoint, serveFolder, shown, skipReason,
    tempFolder,
} from './support/fixture.mjs';

const skip = skipReason();

// A 320 x 240 picture cut into a 4 x 3 grid of 80-pixel cells; cell k (from 1, row by row) is
// area k.
const kCell = 80;
const cellOf = (x, y) => 1 + Math.floor(x / kCell) + 4 * Math.floor(y / kCell);
const centre = (area) => [kCell / 2 + kCell * ((area - 1) % 4), kCell / 2 + kCell * Math.floor((area - 1) / 4)];
const colour = (x, y) => [(x * 4 + 40) & 255, (y * 3 + 20) & 255, ((x + y) * 2) & 255];
const kTrickyText = 'Say "hi" `tick` ${x} <b>b</b> \\n\r\nline two|line three';
const kCopyText = 'first line\r\nsecond "q" `b` ${x} <i>|end';

const areas = {
    bubble: { over: { message_text: kTrickyText, message_style: 'green_big', message_type: 'think',
        message_center_x: 160, message_center_y: 100, message_pointer_x: 40, message_pointer_y: 40 } },
    popup: { click: { picture_file_name: 'popup.png', picture_style: 'red_middle', picture_type: 'pointer',
        picture_center_x: 200, picture_center_y: 150, picture_pointer_x: 120, picture_pointer_y: 40,
        overlay_file_name: 'patch.png', overlay_x: 90, overlay_y: 10 } },
    double: { dblclick: { message_text: 'twice', message_type: 'rectangle',
        message_center_x: 240, message_center_y: 120 } },
    code: { click: { js_code: "showInfo('door', 3)", message_text: 'after code',
        message_center_x: 280, message_center_y: 120 } },
    copy: { click: { copy_text: kCopyText } },
    link: { click: { link: 'target.html' } },
    sound: { click: { sound_file_name: 'tone.ogg', sound_volume: 35 } },
    missing: { click: { sound_file_name: 'gone.ogg', message_text: 'still here', area_brightness: 40,
        message_center_x: 200, message_center_y: 120 } },
    pixels: { over: { area_brightness: 60, area_grayscale: 1 } },
    backdrop: { over: { background_brightness: -50, background_grayscale: 1 } },
    tones: { over: { area_contrast: 60, area_gamma: 50 } },
    // Centred on the picture's top-left corner, as new areas start.
    quiet: { click: { message_text: 'corner', message_style: 'black_big', message_type: 'circle' } },
};
const number = Object.fromEntries(Object.keys(areas).map((name, i) => [name, i + 1]));

// Waits up to five seconds for check() to hold.
async function until(check, what) {
    for (let i = 0; i < 50 && !check(); i++) await new Promise((resolve) => setTimeout(resolve, 100));
    assert.ok(check(), JSON.stringify(what));
}

describe('effects on an exported page', { skip: skip || false }, () => {
    let folder;
    let page;
    let browser;

    before(async () => {
        folder = tempFolder('effects');
        const assets = path.join(folder, 'assets');
        fs.mkdirSync(assets);
        fs.writeFileSync(path.join(assets, 'popup.png'), encodePng(40, 30, () => [250, 40, 40]));
        fs.writeFileSync(path.join(assets, 'patch.png'), encodePng(24, 16, () => [20, 20, 250]));
        makeTone(path.join(assets, 'tone.ogg'));
        makeTone(path.join(assets, 'gone.ogg'));
        makeTone(path.join(assets, 'music.ogg'), 3);
        const rects = Object.fromEntries(Object.keys(areas).map((name) => {
            const [x, y] = centre(number[name]);
            return [name, [x - kCell / 2, y - kCell / 2, kCell, kCell]];
        }));
        const project = makeProject(path.join(folder, 'project'), {
            width: 320, height: 240, colour, rects, areas,
            attach: { picture: ['popup.png', 'patch.png'].map((f) => path.join(assets, f)),
                sound: ['tone.ogg', 'gone.ogg'].map((f) => path.join(assets, f)) },
            music: { file: path.join(assets, 'music.ogg'), volume: 50 },
        });
        const site = path.join(folder, 'site');
        page = exportPage(project, path.join(site, 'effects.html'));
        fs.writeFileSync(path.join(site, 'target.html'), '<!DOCTYPE html><title>target</title><p>target</p>');
        fs.rmSync(path.join(site, 'VLM', 'gone.ogg'));
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    // A fresh visit (of the page's file, or of address); play() calls of every sound are
    // recorded to see what the page plays.
    async function visit(options = {}, init, address = page) {
        // Reduced motion: bubbles then appear without their short zoom, at their final place.
        const context = await browser.newContext({ viewport: { width: 900, height: 700 }, reducedMotion: 'reduce',
            ...options });
        await context.addInitScript(() => {
            window.played = [];
            const play = HTMLMediaElement.prototype.play;
            HTMLMediaElement.prototype.play = function () {
                window.played.push({ element: this, src: this.src, volume: this.volume, loop: this.loop, at: this.currentTime });
                return play.call(this);
            };
        });
        if (init) await context.addInitScript(init);
        const p = await openPage(context, address);
        p.context = context;
        return p;
    }

    async function act(p, how, area) {
        const [x, y] = await pixelPoint(p, ...centre(number[area]));
        if (how === 'move') await p.mouse.move(x, y);
        if (how === 'click') await p.mouse.click(x, y);
        if (how === 'dblclick') await p.mouse.dblclick(x, y);
    }

    async function pictureOrigin(p) {
        return p.evaluate(() => {
            const r = document.images[0].getBoundingClientRect();
            return [r.left, r.top];
        });
    }

    const cases = [
        { name: 'an over bubble ends when the pointer moves to another area', start: ['move', 'bubble'],
            end: ['move', 'tones'], kind: 'bubbles', at: [160, 100] },
        { name: 'an over bubble ends when the pointer leaves the picture', start: ['move', 'bubble'],
            end: ['leave'], kind: 'bubbles', at: [160, 100] },
        { name: 'a click popup ends when the pointer leaves its area', start: ['click', 'popup'],
            end: ['move', 'quiet'], kind: 'popups', at: [200, 150], size: [40, 30] },
        { name: 'a click overlay ends on Esc', start: ['click', 'popup'], end: ['key', 'Escape'],
            kind: 'overlays', corner: [90, 10], size: [24, 16] },
        { name: 'a click popup ends on the next click', start: ['click', 'popup'], end: ['click', 'popup'],
            kind: 'popups', at: [200, 150], size: [40, 30], endsThenReturns: true },
        { name: 'a double-click bubble ends on the next click elsewhere', start: ['dblclick', 'double'],
            end: ['click', 'tones'], kind: 'bubbles', at: [240, 120] },
    ];
    for (const c of cases) {
        it(c.name, async () => {
            const p = await visit();
            try {
                await act(p, 'move', 'quiet');
                assert.equal((await shown(p))[c.kind].length, 0);
                await act(p, ...c.start);
                const seen = (await shown(p))[c.kind];
                assert.equal(seen.length, 1, `${c.kind} after ${c.start.join(' ')}`);
                const [ox, oy] = await pictureOrigin(p);
                const box = seen[0].box;
                if (c.at) {
                    assert.ok(Math.abs(box.cx - ox - c.at[0]) <= 1 && Math.abs(box.cy - oy - c.at[1]) <= 1,
                        `centred on ${c.at}: ${JSON.stringify(box)}`);
                }
                if (c.corner) {
                    assert.ok(Math.abs(box.x - ox - c.corner[0]) <= 0.5 && Math.abs(box.y - oy - c.corner[1]) <= 0.5,
                        `top-left corner at ${c.corner}: ${JSON.stringify(box)}`);
                }
                if (c.size) assert.deepEqual([Math.round(box.w), Math.round(box.h)], c.size);
                const [how, what] = c.end;
                if (how === 'leave') await p.mouse.move(5, 5);
                else if (how === 'key') await p.keyboard.press(what);
                else await act(p, how, what);
                const left = (await shown(p))[c.kind].length;
                // A click on the same area ends the old effects and starts them anew.
                assert.equal(left, c.endsThenReturns ? 1 : 0);
                assert.deepEqual(p.errors, []);
            } finally {
                await p.context.close();
            }
        });
    }

    it('shows texts literally, as a tooltip announced to screen readers', async () => {
        const p = await visit();
        try {
            await act(p, 'move', 'bubble');
            const { bubbles, live } = await shown(p);
            const expected = 'Say "hi" `tick` ${x} <b>b</b> \\n\nline two\nline three';
            assert.equal(bubbles[0].text, expected);
            assert.ok(!bubbles[0].html.includes('<b>'), bubbles[0].html);
            assert.equal(bubbles[0].role, 'tooltip');
            assert.match(bubbles[0].className, /vlm4-think/);
            assert.match(bubbles[0].className, /vlm4-green vlm4-big/);
            assert.equal(live, expected.replace(/\n/g, ' '));
            assert.equal(await p.evaluate(() => document.images[0].getAttribute('aria-describedby')),
                await p.evaluate(() => document.querySelector('.vlm4-bubble').id));
        } finally {
            await p.context.close();
        }
    });

    it('keeps the same bubble while the pointer moves inside one area', async () => {
        const p = await visit();
        try {
            await act(p, 'move', 'bubble');
            await p.evaluate(() => {
                window.changes = 0;
                new MutationObserver((list) => (window.changes += list.length))
                    .observe(document.querySelector('.vlm4-layer'), { childList: true, subtree: true });
            });
            for (const [x, y] of [[1, 1], [78, 2], [79, 79], [40, 60], [2, 77]]) await moveTo(p, x, y);
            assert.equal(await p.evaluate(() => window.changes), 0);
            assert.equal((await shown(p)).bubbles.length, 1);
        } finally {
            await p.context.close();
        }
    });

    it('copies the copy text to the clipboard with "|" as a line break', async () => {
        const p = await visit();
        try {
            await p.context.grantPermissions(['clipboard-read', 'clipboard-write']);
            await act(p, 'click', 'copy');
            await p.waitForFunction(async () => (await navigator.clipboard.readText()) !== '');
            assert.equal(await p.evaluate(() => navigator.clipboard.readText()),
                'first line\nsecond "q" `b` ${x} <i>\nend');
        } finally {
            await p.context.close();
        }
    });

    describe('served over plain http', () => {
        let server;
        let refused = 0;
        before(async () => {
            // The music's own media request is refused, as WebKit refuses looping music from a
            // server without byte ranges; a plain fetch of the file is served.
            server = await serveFolder(path.dirname(page), (request, response) => {
                if (!request.url.endsWith('/music.ogg') || request.headers['sec-fetch-dest'] !== 'audio') return false;
                refused++;
                response.writeHead(200, { 'Content-Type': 'text/plain' }).end('no byte ranges here');
                return true;
            });
        });
        after(() => server?.close());

        it('copies line breaks through the text field where the clipboard API is missing', async () => {
            const p = await visit({}, null, `${server.origin}/${path.basename(page)}`);
            try {
                assert.equal(await p.evaluate(() => window.isSecureContext), false);
                await act(p, 'click', 'copy');
                await p.context.grantPermissions(['clipboard-read'], { origin: server.loopback });
                const reader = await p.context.newPage();
                await reader.goto(`${server.loopback}/target.html`);
                assert.equal(await reader.evaluate(() => navigator.clipboard.readText()),
                    'first line\nsecond "q" `b` ${x} <i>\nend');
            } finally {
                await p.context.close();
            }
        });

        it('plays looping music the browser would not stream from the server', async () => {
            const p = await visit({}, null, `${server.loopback}/${path.basename(page)}`);
            try {
                await act(p, 'move', 'quiet');
                await p.waitForFunction(() => {
                    const music = window.vlm4.pictures[0].music;
                    return music.src.startsWith('blob:') && !music.paused && music.loop;
                });
                assert.ok(refused > 0, 'the media request reached the server');
                // (The server has no favicon: its 404 is no fault of the page.)
                assert.deepEqual(p.errors.filter((e) => /vlm4|uncaught/.test(e)), []);
            } finally {
                await p.context.close();
            }
        });
    });

    it('opens a link in a new window without an opener', async () => {
        const p = await visit();
        try {
            const [popup] = await Promise.all([p.context.waitForEvent('page'), act(p, 'click', 'link')]);
            await popup.waitForLoadState();
            assert.ok(popup.url().endsWith('/site/target.html'), popup.url());
            assert.equal(await popup.evaluate(() => window.opener), null);
        } finally {
            await p.context.close();
        }
    });

    it('calls the page function that jscode names', async () => {
        const p = await visit({}, () => {
            window.showInfo = (...args) => (window.calls = window.calls || []).push(args);
        });
        try {
            await act(p, 'click', 'code');
            assert.deepEqual(await p.evaluate(() => window.calls), [['door', 3]]);
            assert.deepEqual(p.errors, []);
        } finally {
            await p.context.close();
        }
    });

    it('reports an error inside jscode to the console and goes on', async () => {
        const p = await visit();
        try {
            await act(p, 'click', 'code');
            assert.deepEqual((await shown(p)).bubbles.map((b) => b.text), ['after code']);
            assert.equal(p.errors.length, 1);
            assert.match(p.errors[0], /showInfo/);
            await act(p, 'move', 'bubble');
            assert.equal((await shown(p)).bubbles.length, 1);
        } finally {
            await p.context.close();
        }
    });

    it('plays a sound at its volume and restarts it when started again', async () => {
        const p = await visit();
        try {
            await act(p, 'click', 'sound');
            // A crowded machine can hold a media pipeline back for many seconds before it plays.
            await p.waitForFunction(() => window.played.some((s) => s.src.endsWith('tone.ogg') && s.element.currentTime > 0.2),
                undefined, { timeout: 40000 });
            await act(p, 'move', 'quiet');
            await act(p, 'click', 'sound');
            // The second start is recorded when the runtime gets to it, not with the click.
            await p.waitForFunction(() => window.played.filter((s) => s.src.endsWith('/VLM/tone.ogg')).length >= 2,
                undefined, { timeout: 40000 });
            const plays = await p.evaluate(() => {
                const tones = window.played.filter((s) => s.src.endsWith('/VLM/tone.ogg'));
                return tones.map((s) => ({ volume: s.volume, at: s.at, same: s.element === tones[0].element }));
            });
            assert.equal(plays.length, 2);
            // (WebKit keeps the volume as a float: 0.35 reads back as 0.3499999940395355.)
            assert.ok(plays.every((s) => Math.abs(s.volume - 0.35) < 1e-6 && s.at === 0 && s.same), JSON.stringify(plays));
        } finally {
            await p.context.close();
        }
    });

    it('shows the other effects when a sound is missing', async () => {
        const p = await visit();
        try {
            await act(p, 'click', 'missing');
            const seen = await shown(p);
            assert.deepEqual(seen.bubbles.map((b) => b.text), ['still here']);
            assert.equal(seen.pixels, 1);
            await p.waitForFunction(() => document.querySelector('.vlm4-bubble'));
            assert.ok(!p.errors.some((e) => e.startsWith('uncaught')), p.errors.join('\n'));
            // The browser's reason, not a guess: a file that exists may fail as well.
            await until(() => p.errors.some((e) => /sound \S*gone\.ogg not loaded: MediaError 4 \S/.test(e)), p.errors);
            await act(p, 'click', 'popup');
            assert.equal((await shown(p)).overlays.length, 1);
        } finally {
            await p.context.close();
        }
    });

    it('loops the background music while the pointer is over the picture', async () => {
        const p = await visit();
        try {
            await act(p, 'move', 'quiet');
            await p.waitForFunction(() => window.played.some((s) => s.src.endsWith('music.ogg')));
            const music = () => p.evaluate(() => {
                const s = window.played.find((m) => m.src.endsWith('/VLM/music.ogg'));
                return { loop: s.loop, volume: s.volume, paused: s.element.paused };
            });
            await p.waitForFunction(() => !window.played.find((m) => m.src.endsWith('music.ogg')).element.paused);
            assert.deepEqual(await music(), { loop: true, volume: 0.5, paused: false });
            await p.mouse.move(3, 3);
            assert.equal((await music()).paused, true);
        } finally {
            await p.context.close();
        }
    });

    it('keeps a bubble inside the viewport', async () => {
        const p = await visit({ viewport: { width: 340, height: 420 } });
        try {
            await p.evaluate(() => window.scrollTo(0, 60));
            await act(p, 'click', 'quiet');
            const [bubble] = (await shown(p)).bubbles;
            assert.equal(bubble.text, 'corner');
            const { x, y, w, h } = bubble.box;
            assert.ok(x >= 0 && y >= 0 && x + w <= 340 && y + h <= 420, JSON.stringify(bubble.box));
        } finally {
            await p.context.close();
        }
    });

    it('starts the background music with the first gesture when the browser demands one', async () => {
        // A browser with its default autoplay policy refuses sound before any gesture. Nothing
        // here may run script in the page, as that would count as a gesture: what the music
        // does is read from console lines that the page's own init script writes.
        const strict = await launchBrowser({ autoplay: false });
        const context = await strict.newContext({ viewport: { width: 900, height: 700 } });
        await context.addInitScript(() => {
            const play = HTMLMediaElement.prototype.play;
            HTMLMediaElement.prototype.play = function () {
                if (!this.loop) return play.call(this);
                this.onpause = () => console.log('music paused');
                return play.call(this).then(() => console.log('music playing'),
                    (e) => console.log(`music refused ${e.name}`) || Promise.reject(e));
            };
        });
        try {
            // Where the picture lies is measured on another visit, as measuring runs script.
            const measure = await context.newPage();
            await measure.goto(`file://${page}`);
            const box = await measure.locator('img').boundingBox();
            await measure.close();
            const p = await context.newPage();
            const log = [];
            p.on('console', (m) => m.text().startsWith('music') && log.push(m.text()));
            await p.goto(`file://${page}`);
            const [x, y] = centre(number.tones);
            const waitFor = async (line) => {
                for (let i = 0; i < 50 && log.at(-1) !== line; i++) await p.waitForTimeout(50);
                assert.equal(log.at(-1), line, log.join(', '));
            };
            await p.mouse.move(box.x + x, box.y + y);
            await waitFor('music refused NotAllowedError');
            await p.mouse.click(box.x + x, box.y + y);
            await waitFor('music playing');
            await p.mouse.move(3, 3);
            await waitFor('music paused');
        } finally {
            await strict.close();
        }
    });

    // Screenshots of the picture before and during an effect: the changed pixels must be
    // exactly the area's (or exactly the others), changed by the stated formulas.
    const grey = (rgb) => Array(3).fill(0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2]);
    const contrast = (k) => (c) => ((255 + k) / (255 - k)) * (c / 255 - 0.5) * 255 + 127.5;
    const gamma = (g) => (c) => 255 * (Math.max(0, Math.min(255, c)) / 255) ** (1 / g);
    const pixelCases = [
        { name: 'brightness and grey scale change the area\'s pixels and nothing else', area: 'pixels',
            inside: true, formula: (rgb) => grey(rgb).map((c) => c + 60), tolerance: 3 },
        { name: 'the background effect changes every pixel but the area\'s', area: 'backdrop',
            inside: false, formula: (rgb) => grey(rgb).map((c) => c - 50), tolerance: 3 },
        // Squaring doubles the rounding of the step before it.
        { name: 'contrast and gamma change the area\'s pixels as stated', area: 'tones',
            inside: true, formula: (rgb) => rgb.map(contrast(60)).map(gamma(0.5)), tolerance: 5 },
    ];
    for (const c of pixelCases) {
        it(c.name, async () => {
            const p = await visit();
            try {
                await p.mouse.move(3, 3);
                const clip = await p.evaluate(() => {
                    const r = document.images[0].getBoundingClientRect();
                    return { x: Math.round(r.left), y: Math.round(r.top), width: 320, height: 240 };
                });
                const before = decodePng(await p.screenshot({ clip }));
                await act(p, 'move', c.area);
                const during = decodePng(await p.screenshot({ clip }));
                const [ax, ay] = centre(number[c.area]);
                let wrong = 0;
                let first = '';
                for (let y = 0; y < 240; y++) {
                    for (let x = 0; x < 320; x++) {
                        // The pointer hides a few pixels of the area around its tip.
                        if (Math.abs(x - ax) < 16 && Math.abs(y - ay) < 24) continue;
                        const changes = (cellOf(x, y) === number[c.area]) === c.inside;
                        const was = before.pixel(x, y);
                        const want = changes ? c.formula(was).map((v) => Math.max(0, Math.min(255, v))) : was;
                        const got = during.pixel(x, y);
                        if (got.some((v, i) => Math.abs(v - want[i]) > c.tolerance)) {
                            wrong++;
                            first = first || `(${x}, ${y}) was ${was} want ${want.map(Math.round)} got ${got}`;
                        }
                    }
                }
                assert.equal(wrong, 0, first);
                await p.mouse.move(3, 3);
                const after = decodePng(await p.screenshot({ clip }));
                for (let y = 0; y < 240; y++) {
                    for (let x = 0; x < 320; x++) {
                        if (after.pixel(x, y).join() !== before.pixel(x, y).join()) assert.fail(`(${x}, ${y}) not restored`);
                    }
                }
            } finally {
                await p.context.close();
            }
        });
    }
});

// Pixel effects are kept between uses as hidden copies of the picture. Top row: two areas side
// by side with the same background effect, then 160 pixels of no area; bottom row: eight
// areas, each brightening itself by its own amount, more than the page keeps copies of.
describe('pixel effects kept between uses', { skip: skip || false }, () => {
    let folder;
    let page;
    let browser;
    const kKept = 6;
    const tones = Array.from({ length: 8 }, (_, k) => [`tone${k + 1}`, 12 * (k + 1)]);
    const clamp = (v) => Math.max(0, Math.min(255, v));
    const darker = (rgb) => Array(3).fill(clamp(0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2] - 50));

    before(async () => {
        folder = tempFolder('kept');
        const over = { background_brightness: -50, background_grayscale: 1 };
        const rects = { left: [0, 0, 80, 80], right: [80, 0, 80, 80] };
        const areas = { left: { over }, right: { over } };
        tones.forEach(([name, b], k) => {
            rects[name] = [40 * k, 80, 40, 80];
            areas[name] = { over: { area_brightness: b } };
        });
        const project = makeProject(path.join(folder, 'project'), { width: 320, height: 160, colour, rects, areas });
        page = exportPage(project, path.join(folder, 'site', 'kept.html'));
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    async function visit(init) {
        const context = await browser.newContext({ viewport: { width: 600, height: 400 }, reducedMotion: 'reduce' });
        if (init) await context.addInitScript(init);
        const p = await openPage(context, page);
        p.context = context;
        p.clip = await p.evaluate(() => {
            const r = document.images[0].getBoundingClientRect();
            return { x: Math.round(r.left), y: Math.round(r.top), width: 320, height: 160 };
        });
        p.away = [590, 390]; // below the picture, within the viewport
        return p;
    }

    // The first pixel of the rectangle [x, y, w, h] that is not want(pixel before) within 3
    // levels, or ''; the pointer's tip at `tip` may hide pixels around it.
    function firstWrong(before, during, [x0, y0, w, h], want, tip = [-99, -99]) {
        for (let y = y0; y < y0 + h; y++) {
            for (let x = x0; x < x0 + w; x++) {
                if (Math.abs(x - tip[0]) < 16 && Math.abs(y - tip[1]) < 24) continue;
                const expected = want(before.pixel(x, y));
                const got = during.pixel(x, y);
                if (got.some((v, i) => Math.abs(v - expected[i]) > 3)) return `(${x}, ${y}) want ${expected.map(Math.round)} got ${got}`;
            }
        }
        return '';
    }

    it('makes nothing until the pointer comes onto the picture, and shows nothing of it then', async () => {
        const p = await visit();
        try {
            await p.mouse.move(...p.away);
            const before = decodePng(await p.screenshot({ clip: p.clip }));
            await new Promise((resolve) => setTimeout(resolve, 300));
            const made = () => p.evaluate(() => [document.querySelectorAll('.vlm4-filtered').length,
                document.querySelectorAll('clipPath').length]);
            assert.deepEqual(await made(), [0, 0]);
            await p.mouse.move(p.clip.x + 240, p.clip.y + 40);
            // Every area with a pixel effect gets its shape while the page is idle.
            for (let i = 0; i < 50 && (await made())[1] < 10; i++) await new Promise((resolve) => setTimeout(resolve, 100));
            const [copies, shapes] = await made();
            assert.ok(copies > 0 && copies <= kKept, `${copies} copies`);
            assert.equal(shapes, 10);
            const during = decodePng(await p.screenshot({ clip: p.clip }));
            assert.equal(firstWrong(before, during, [0, 0, 320, 160], (v) => v, [240, 40]), '');
            assert.equal((await shown(p)).pixels, 0);
            assert.deepEqual(p.errors, []);
        } finally {
            await p.context.close();
        }
    });

    it('leaves the entered area as it is and darkens the other, entry after entry', async () => {
        const p = await visit();
        try {
            await p.mouse.move(...p.away);
            const before = decodePng(await p.screenshot({ clip: p.clip }));
            for (const [name, ax] of [['left', 40], ['right', 120], ['', -1], ['left', 40]]) {
                await p.mouse.move(...(ax < 0 ? p.away : await pixelPoint(p, ax, 40)));
                const during = decodePng(await p.screenshot({ clip: p.clip }));
                const same = (v) => v;
                const [entered, other] = ax < 0 ? [same, same] : [same, darker];
                const sides = ax < 80 ? [[0, 0, 80, 80], [80, 0, 80, 80]] : [[80, 0, 80, 80], [0, 0, 80, 80]];
                assert.equal(firstWrong(before, during, sides[0], entered, [ax, 40]), '', `pointer on ${name || 'nothing'}`);
                assert.equal(firstWrong(before, during, sides[1], other, [ax, 40]), '', `pointer on ${name || 'nothing'}`);
                assert.equal((await shown(p)).pixels, ax < 0 ? 0 : 1);
            }
        } finally {
            await p.context.close();
        }
    });

    // A page that is never idle reads its map and builds the areas' shapes when they are first
    // needed instead; so does a browser without requestIdleCallback, when a visitor comes
    // before its timers.
    for (const [when, init] of [['whenever it is idle', null],
        ['when the page is never idle', () => { window.requestIdleCallback = () => 0; }]]) {
        it(`shows each of more effects than it keeps copies of, and keeps no more, ${when}`, async () => {
            const p = await visit(init);
            try {
                await p.mouse.move(...p.away);
                const before = decodePng(await p.screenshot({ clip: p.clip }));
                for (const k of [0, 1, 2, 3, 4, 5, 6, 7, 0, 7]) {
                    const [name, b] = tones[k];
                    const tip = [40 * k + 20, 120];
                    await p.mouse.move(...await pixelPoint(p, ...tip));
                    const during = decodePng(await p.screenshot({ clip: p.clip }));
                    assert.equal(firstWrong(before, during, [40 * k, 80, 40, 80], (v) => v.map((c) => clamp(c + b)), tip), '', name);
                    assert.equal(firstWrong(before, during, [0, 0, 320, 80], (v) => v), '', name);
                    const copies = await p.evaluate(() => document.querySelectorAll('.vlm4-filtered').length);
                    assert.ok(copies <= kKept, `${copies} copies on ${name}`);
                }
                assert.deepEqual(p.errors, []);
            } finally {
                await p.context.close();
            }
        });
    }
});
