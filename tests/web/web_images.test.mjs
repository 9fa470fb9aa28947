// The web export of a photo: the browser picks the width it needs, and the runtime keeps the
// map at the picture's full size, so hover effects and hit tests land where they do on the
// full picture.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { decodePng } from './support/png.mjs';
import { launchBrowser, makeProject, openPage, run, serveFolder, skipReason, tempFolder, writePicture } from './support/fixture.mjs';

const skip = skipReason();

const kWidth = 3000;
const kHeight = 2000;
const kGrey = 128;
// left, top, width, height in picture pixels
const rects = { lamp: [600, 400, 900, 600], sign: [1800, 1000, 600, 600], door: [0, 1600, 600, 400] };
const areas = {
    lamp: { over: { area_brightness: 80 } },
    sign: { over: { message_text: 'вывеска', message_type: 'rectangle', message_center_x: 2100, message_center_y: 1300 } },
    // A large popup and a large overlay; the page shows them at the picture's scale.
    door: { over: { picture_file_name: 'poster.png', picture_center_x: 1500, picture_center_y: 1000,
        picture_pointer_x: 300, picture_pointer_y: 1800, overlay_file_name: 'glass.png', overlay_x: 100, overlay_y: 100 } },
};
const kPoster = [2400, 1600];
const kGlass = [1200, 800];
const kWebWidths = [480, 960, 1440, 1920, 2560, 3000];

// The viewport position of picture pixel (x, y) at its centre, the picture's full size being
// its width and height attributes, whichever width the browser shows.
async function pointOf(page, x, y) {
    return page.evaluate(([x, y]) => {
        const img = document.images[0];
        const r = img.getBoundingClientRect();
        const [w, h] = ['width', 'height'].map((k) => Number(img.getAttribute(k)));
        return [r.left + ((x + 0.5) * r.width) / w, r.top + ((y + 0.5) * r.height) / h];
    }, [x, y]);
}

describe('a web export', { skip: skip || false }, () => {
    let folder;
    let site;
    let server;
    let browser;

    before(async () => {
        folder = tempFolder('webimg');
        site = path.join(folder, 'site');
        const poster = writePicture(path.join(folder, 'poster.png'), ...kPoster, (x, y) => [x & 255, y & 255, 60]);
        const glass = writePicture(path.join(folder, 'glass.png'), ...kGlass, () => [20, 200, 90]);
        const project = makeProject(path.join(folder, 'project'), { width: kWidth, height: kHeight,
            colour: () => [kGrey, kGrey, kGrey], rects, areas, attach: { picture: [poster, glass] } });
        run('export', project, path.join(site, 'photo.html'), '--web-images');
        run('export', project, path.join(site, 'plain.html'));
        // No icon: the browser's request for one is no fault of the page.
        server = await serveFolder(site, (request, response) => request.url === '/favicon.ico' && !!response.writeHead(204).end());
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        await server?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    it('writes every width as WebP and one fallback, and the plain export none of them', () => {
        const copies = fs.readdirSync(path.join(site, 'VLM')).filter((f) => f.startsWith('project-source.png-')).sort();
        const expected = [...kWebWidths.map((w) => `project-source.png-${w}w.webp`), 'project-source.png-1920w.png'].sort();
        assert.deepEqual(copies, expected);
        const vlm = fs.readdirSync(path.join(site, 'VLM'));
        assert.deepEqual(vlm.filter((f) => /^(poster|glass)\.png-/.test(f)).sort(), ['glass.png-480w.webp', 'glass.png-960w.webp',
            'poster.png-1440w.webp', 'poster.png-1920w.webp', 'poster.png-480w.webp', 'poster.png-960w.webp']);
        const script = fs.readFileSync(path.join(site, 'VLM/photo.js'), 'utf8');
        assert.match(script, /"srcset":"VLM\/poster\.png-480w\.webp 480w, VLM\/poster\.png-960w\.webp 960w, VLM\/poster\.png-1440w\.webp 1440w, VLM\/poster\.png-1920w\.webp 1920w, VLM\/poster\.png 2400w","width":2400,"height":1600 },/);
        assert.ok(!fs.readFileSync(path.join(site, 'VLM/plain.js'), 'utf8').includes('srcset'));
        const plain = fs.readFileSync(path.join(site, 'plain.html'), 'utf8');
        assert.ok(!/webp|srcset|defer|viewport/.test(plain), plain);
        const page = fs.readFileSync(path.join(site, 'photo.html'), 'utf8');
        assert.match(page, /<meta name="viewport" content="width=device-width, initial-scale=1">/);
        assert.match(page, /<img src="VLM\/project-source\.png-1920w\.png" id="vlm_\d+" width=3000 height=2000 class="vlm4-picture" decoding="async" fetchpriority="high">/);
    });

    for (const { viewport, chosen } of [
        { viewport: { width: 400, height: 800 }, chosen: 480 },
        { viewport: { width: 1600, height: 1000 }, chosen: 1920 },
    ]) {
        it(`picks the ${chosen}-wide copy in a ${viewport.width}-wide window, effects on the shown areas`, async () => {
            const context = await browser.newContext({ viewport, reducedMotion: 'reduce' });
            try {
                const p = await openPage(context, `${server.loopback}/photo.html`);
                const layout = await p.evaluate(() => {
                    const img = document.images[0];
                    const r = img.getBoundingClientRect();
                    const root = document.documentElement;
                    return { src: img.currentSrc, natural: img.naturalWidth, w: r.width, h: r.height, left: r.left, top: r.top,
                        scroll: root.scrollWidth - root.clientWidth };
                });
                assert.ok(layout.src.endsWith(`/VLM/project-source.png-${chosen}w.webp`), layout.src);
                assert.equal(layout.scroll, 0);
                assert.ok(Math.abs(layout.h - (layout.w * kHeight) / kWidth) < 1, 'aspect kept');
                const scale = layout.w / kWidth;

                // Hit tests at the full size's pixel edges, whatever the copy's size.
                await p.mouse.move(...(await pointOf(p, 600 - 12 / scale, 700)));
                assert.equal(await p.locator('.vlm4-pixels').count(), 0);
                await p.mouse.move(...(await pointOf(p, 600 + 6 / scale, 700)));
                await p.waitForSelector('.vlm4-pixels');
                const box = await p.locator('.vlm4-pixels').boundingBox();
                const [x, y, w, h] = rects.lamp;
                for (const [got, want] of [[box.x, layout.left + x * scale], [box.y, layout.top + y * scale],
                    [box.width, w * scale], [box.height, h * scale]]) {
                    assert.ok(Math.abs(got - want) <= 1, `${JSON.stringify(box)} against ${want}`);
                }
                // The filter works on the copy shown: the area is brighter, the rest is not.
                const copy = await p.locator('.vlm4-pixels img').getAttribute('src');
                assert.equal(copy, layout.src);
                const shot = async ([cx, cy]) => decodePng(await p.screenshot({ clip: { x: Math.round(cx), y: Math.round(cy), width: 1, height: 1 } })).pixel(0, 0);
                assert.ok((await shot(await pointOf(p, x + w / 2, y + h / 2)))[0] > kGrey + 40, 'the area is brightened');
                assert.ok(Math.abs((await shot(await pointOf(p, x - 60 / scale, y + h / 2)))[0] - kGrey) <= 3, 'the rest is not');

                // The bubble stands where the author put it.
                await p.mouse.move(...(await pointOf(p, 2000, 1200)));
                const text = await p.locator('.vlm4-bubble .vlm4-text').boundingBox();
                const [cx, cy] = await pointOf(p, 2100, 1300);
                if (viewport.width > 1000) {
                    assert.ok(Math.abs(text.x + text.width / 2 - cx) <= 1 && Math.abs(text.y + text.height / 2 - cy) <= 1,
                        `${JSON.stringify(text)} against ${cx},${cy}`);
                }
                // The popup and the overlay at the picture's scale, from a copy of the width needed.
                await p.evaluate(() => window.scrollTo(0, document.documentElement.scrollHeight));
                await p.mouse.move(...(await pointOf(p, 300, 1800)));
                await p.waitForSelector('.vlm4-popup.vlm4-ready img');
                await p.waitForSelector('.vlm4-overlay.vlm4-ready');
                const [popup, glass] = await p.evaluate(() => ['.vlm4-popup img', '.vlm4-overlay'].map((s) => {
                    const i = document.querySelector(s);
                    const r = i.getBoundingClientRect();
                    return { src: i.currentSrc, w: r.width, h: r.height };
                }));
                const fit = await p.evaluate(([w, h]) => {
                    const root = document.documentElement;
                    return Math.min(1, (root.clientWidth * 0.9) / w, (root.clientHeight * 0.9) / h);
                }, [kPoster[0] * scale, kPoster[1] * scale]);
                assert.ok(Math.abs(popup.w - Math.round(kPoster[0] * scale * fit)) <= 1, JSON.stringify([popup, scale, fit]));
                assert.ok(Math.abs(glass.w - kGlass[0] * scale) <= 1 && Math.abs(glass.h - kGlass[1] * scale) <= 1, JSON.stringify(glass));
                // The smallest copy at least as wide as the picture at the page's scale, or the
                // picture itself.
                const copyFor = (name, full, widths) => {
                    const w = widths.find((c) => c >= Math.ceil(full * scale));
                    return `/VLM/${name}${w ? `-${w}w.webp` : ''}`;
                };
                assert.ok(popup.src.endsWith(copyFor('poster.png', kPoster[0], [480, 960, 1440, 1920])), JSON.stringify(popup));
                assert.ok(glass.src.endsWith(copyFor('glass.png', kGlass[0], [480, 960])), JSON.stringify(glass));
                assert.deepEqual(p.errors, []);
            } finally {
                await context.close();
            }
        });
    }
});
