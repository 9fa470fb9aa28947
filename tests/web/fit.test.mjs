// A photo of today's size on a default export: the picture fits the window's width, and the
// effects and hit tests follow the shown size.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { decodePng } from './support/png.mjs';
import { exportPage, launchBrowser, makeProject, openPage, pixelPoint, skipReason, tempFolder } from './support/fixture.mjs';

const skip = skipReason();

const kWidth = 6000;
const kHeight = 4000;
const kGrey = 128;
// left, top, width, height in picture pixels
const rects = { lamp: [1200, 800, 1800, 1200], sign: [3600, 2000, 1200, 1200] };
const areas = {
    lamp: { over: { area_brightness: 80 } },
    sign: { over: { message_text: 'вывеска', message_type: 'rectangle', message_center_x: 4200, message_center_y: 2600 } },
};

describe('a 6000 x 4000 picture on a default export', { skip: skip || false }, () => {
    let folder;
    let page;
    let browser;

    before(async () => {
        folder = tempFolder('fit');
        const project = makeProject(path.join(folder, 'project'), { width: kWidth, height: kHeight,
            colour: () => [kGrey, kGrey, kGrey], rects, areas });
        page = exportPage(project, path.join(folder, 'site', 'photo.html'));
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    it('fits a 1600 x 1000 window without horizontal scrolling, hover effects on the shown areas', async () => {
        const context = await browser.newContext({ viewport: { width: 1600, height: 1000 }, reducedMotion: 'reduce' });
        try {
            const p = await openPage(context, page);
            const layout = await p.evaluate(() => {
                const r = document.images[0].getBoundingClientRect();
                const root = document.documentElement;
                return { scroll: root.scrollWidth - root.clientWidth, w: r.width, h: r.height, left: r.left, top: r.top };
            });
            assert.equal(layout.scroll, 0);
            assert.ok(layout.w > 1000 && layout.w <= 1600, JSON.stringify(layout));
            assert.ok(Math.abs(layout.h - (layout.w * kHeight) / kWidth) < 1, 'aspect kept');
            const scale = layout.w / kWidth;

            // Just outside the lamp nothing shows; inside, its pixels are brighter over its shown box.
            await p.mouse.move(...(await pixelPoint(p, 1180, 1400)));
            assert.equal(await p.locator('.vlm4-pixels').count(), 0);
            await p.mouse.move(...(await pixelPoint(p, 1220, 1400)));
            await p.waitForSelector('.vlm4-pixels');
            const box = await p.locator('.vlm4-pixels').boundingBox();
            const [x, y, w, h] = rects.lamp;
            for (const [got, want] of [[box.x, layout.left + x * scale], [box.y, layout.top + y * scale],
                [box.width, w * scale], [box.height, h * scale]]) {
                assert.ok(Math.abs(got - want) <= 1, `${JSON.stringify(box)} against ${want}`);
            }
            const [ix, iy] = await pixelPoint(p, x + w / 2, y + h / 2);
            const [ox, oy] = await pixelPoint(p, x - 40, y + h / 2);
            const shot = async (cx, cy) => decodePng(await p.screenshot({ clip: { x: Math.round(cx), y: Math.round(cy), width: 1, height: 1 } })).pixel(0, 0);
            assert.ok((await shot(ix, iy))[0] > kGrey + 40, 'the area is brightened');
            assert.equal((await shot(ox, oy))[0], kGrey, 'the rest is not');

            // The bubble stands where the author put it, at the shown size.
            await p.mouse.move(...(await pixelPoint(p, 4000, 2500)));
            const text = await p.locator('.vlm4-bubble .vlm4-text').boundingBox();
            const [cx, cy] = await pixelPoint(p, 4200, 2600);
            assert.ok(Math.abs(text.x + text.width / 2 - cx) <= 1 && Math.abs(text.y + text.height / 2 - cy) <= 1,
                `${JSON.stringify(text)} against ${cx},${cy}`);
            assert.deepEqual(p.errors, []);
        } finally {
            await context.close();
        }
    });
});
