// The page for keyboard and screen-reader visitors: Tab through the areas in reading order,
// keys for the mouse events, names, roles and descriptions, reduced motion, and axe-core's
// rules on the example page and on a page with every kind of effect.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { decodePng, encodePng } from './support/png.mjs';
import {
    axeViolations, engine, exampleProject, exportPage, lacks, launchBrowser, makeProject, makeTone, openPage, shown, skipReason,
    tempFolder,
} from './support/fixture.mjs';

const skip = skipReason();

// A 320 x 240 picture, white on the left half and black on the right. Areas are numbered in
// the order given, which is not the order in which they are read.
const areas = {
    low: { click: { message_text: 'щелчок внизу', message_center_x: 60, message_center_y: 200 } },
    right: { over: { message_text: 'справа', message_center_x: 240, message_center_y: 60 },
        click: { message_text: 'щелчок справа', message_center_x: 240, message_center_y: 60 },
        dblclick: { message_text: 'двойной справа', message_center_x: 240, message_center_y: 60 } },
    left: { over: { area_brightness: 40, background_grayscale: 1, overlay_file_name: 'mark.png', overlay_x: 10, overlay_y: 10 },
        click: { picture_file_name: 'mark.png', copy_text: 'копия', sound_file_name: 'tone.ogg', link: 'http://example.org/left' } },
    middle: { dblclick: { js_code: 'void 0' } },
    none: {},
};
// [left, top, width, height]: "left" starts at (20, 20), "right" at (180, 20), "middle" at
// (100, 100), "low" at (20, 180); "none" has no effect and is not reached.
const rects = { low: [20, 180, 120, 40], right: [180, 20, 120, 100], left: [20, 20, 120, 60], middle: [100, 100, 120, 60],
    none: [250, 180, 40, 40] };
const colour = (x) => (x < 160 ? [255, 255, 255] : [0, 0, 0]);

describe('keyboard and screen readers', { skip: skip || false }, () => {
    let folder;
    let page;
    let example;
    let browser;

    before(async () => {
        folder = tempFolder('access');
        const assets = path.join(folder, 'assets');
        fs.mkdirSync(assets);
        fs.writeFileSync(path.join(assets, 'mark.png'), encodePng(30, 20, () => [200, 40, 40]));
        makeTone(path.join(assets, 'tone.ogg'));
        const project = makeProject(path.join(folder, 'project'), {
            name: 'access', width: 320, height: 240, colour, rects, areas,
            attach: { picture: [path.join(assets, 'mark.png')], sound: [path.join(assets, 'tone.ogg')] },
        });
        page = exportPage(project, path.join(folder, 'site', 'access.html'));
        example = exportPage(exampleProject, path.join(folder, 'example', 'lakeside.html'));
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    async function visit(file, options = {}) {
        const context = await browser.newContext({ viewport: { width: 700, height: 500 }, reducedMotion: 'reduce', ...options });
        await context.grantPermissions(['clipboard-read', 'clipboard-write']);
        await context.route('http://example.org/**', (route) => route.fulfill({ body: '<title>left</title>', contentType: 'text/html' }));
        const p = await openPage(context, file);
        p.visit = context;
        return p;
    }

    const focused = (p) => p.evaluate(() => document.activeElement.getAttribute('aria-label'));
    const said = async (p) => (await shown(p)).bubbles.map((b) => b.text);

    it('reaches the areas with Tab in reading order and plays them with keys', async (t) => {
        const p = await visit(page);
        try {
            const order = [];
            for (let i = 0; i < 4; i++) {
                await p.keyboard.press('Tab');
                order.push(await focused(p));
            }
            assert.deepEqual(order, ['http://example.org/left', 'справа', 'Область 4', 'щелчок внизу']);
            await p.keyboard.press('Shift+Tab');
            await p.keyboard.press('Shift+Tab');
            assert.equal(await focused(p), 'справа');
            // Focus runs "over", Enter "click", Shift+Enter "dblclick", Space "click".
            assert.deepEqual(await said(p), ['справа']);
            await p.keyboard.press('Enter');
            assert.deepEqual((await said(p)).sort(), ['справа', 'щелчок справа']);
            await p.keyboard.press('Shift+Enter');
            assert.deepEqual((await said(p)).sort(), ['двойной справа', 'справа']);
            await p.keyboard.press('Escape');
            assert.deepEqual(await said(p), []);
            assert.equal(await focused(p), 'справа', 'Esc keeps the focus');
            await p.keyboard.press('Space');
            assert.deepEqual(await said(p), ['щелчок справа']);
            // Every effect of the left area runs from the keyboard too.
            await p.keyboard.press('Shift+Tab');
            const seen = await shown(p);
            assert.equal(seen.overlays.length, 1);
            assert.equal(seen.pixels, 2);
            const [opened] = await Promise.all([p.visit.waitForEvent('page'), p.keyboard.press('Enter')]);
            await opened.waitForLoadState();
            assert.equal(await opened.url(), 'http://example.org/left');
            await opened.close();
            assert.equal(await p.evaluate(() => navigator.clipboard.readText()), 'копия');
            assert.equal((await shown(p)).popups.length, 1);
            // Leaving the picture with Tab ends what its areas show.
            await p.keyboard.press('Shift+Tab');
            const after = await shown(p);
            assert.deepEqual([after.bubbles.length, after.popups.length, after.overlays.length, after.pixels], [0, 0, 0, 0]);
            const rings = await p.evaluate(() => document.querySelectorAll('.vlm4-focus').length);
            // Open question in WebKit: after a window the page opened has closed, a focus ring
            // stays once Shift+Tab has left the picture; the driver's focus handling is not yet
            // told apart from the runtime's.
            if (engine === 'webkit' && rings) t.diagnostic(`open question: ${rings} focus ring left in WebKit`);
            else assert.equal(rings, 0);
        } finally {
            await p.visit.close();
        }
    });

    it('names the picture and its areas', { skip: lacks('ariaSnapshot') }, async () => {
        const p = await visit(page);
        try {
            const tree = await p.locator('body').ariaSnapshot();
            for (const line of ['img "Интерактивное изображение"', 'group "Интерактивное изображение"',
                'button "http://example.org/left"', 'button "справа"', 'button "Область 4"', 'button "щелчок внизу"']) {
                assert.ok(tree.includes(line), `${line} in\n${tree}`);
            }
        } finally {
            await p.visit.close();
        }
    });

    it('describes an area by its bubble while shown', async () => {
        const p = await visit(page);
        try {
            await p.keyboard.press('Tab');
            await p.keyboard.press('Tab');
            const describedBy = () => p.evaluate(() => document.activeElement.getAttribute('aria-describedby'));
            const id = await describedBy();
            assert.equal(await p.evaluate((id) => document.getElementById(id).innerText, id), 'справа');
            await p.keyboard.press('Escape');
            assert.equal(await describedBy(), null);
        } finally {
            await p.visit.close();
        }
    });

    it('outlines the focused area so that it shows on light and on dark pixels', async () => {
        const p = await visit(page);
        try {
            const clip = await p.evaluate(() => {
                const r = document.images[0].getBoundingClientRect();
                return { x: r.left, y: r.top, width: 320, height: 240 };
            });
            await p.keyboard.press('Tab');
            await p.keyboard.press('Tab');
            await p.keyboard.press('Escape');
            const shot = decodePng(await p.screenshot({ clip }));
            // The area "right" spans x 180..299 on black; its top edge at y = 20 and its left
            // edge at x = 180 must carry light pixels, and on the white part of "left" dark ones.
            const light = [...Array(100).keys()].filter((i) => shot.pixel(200 + i, 20).every((v) => v > 200)).length;
            assert.ok(light > 80, `light outline pixels on black: ${light}`);
            await p.keyboard.press('Shift+Tab');
            await p.keyboard.press('Escape');
            const other = decodePng(await p.screenshot({ clip }));
            const dark = [...Array(100).keys()].filter((i) => other.pixel(30 + i, 19).every((v) => v < 80) ||
                other.pixel(30 + i, 18).every((v) => v < 80)).length;
            assert.ok(dark > 80, `dark outline pixels on white: ${dark}`);
        } finally {
            await p.visit.close();
        }
    });

    it('lets bubbles appear without motion when the visitor asks for less', async () => {
        for (const [motion, animation] of [['reduce', 'none'], ['no-preference', 'vlm4-appear']]) {
            const p = await visit(page, { reducedMotion: motion });
            try {
                await p.keyboard.press('Tab');
                await p.keyboard.press('Tab');
                assert.equal(await p.evaluate(() => getComputedStyle(document.querySelector('.vlm4-bubble')).animationName), animation);
            } finally {
                await p.visit.close();
            }
        }
    });

    for (const [name, file] of [['the example page', () => example], ['a page with every kind of effect', () => page]]) {
        it(`has no axe-core violations on ${name}, at rest and with an area focused`, async () => {
            const p = await visit(file());
            try {
                const check = async (when) => {
                    // Every rule but the two on landmarks: the page's own structure is the
                    // exported template, which the runtime leaves as it is.
                    const violations = await axeViolations(p, ['landmark-one-main', 'region']);
                    assert.deepEqual(violations.map((v) => `${when}: ${v}`), []);
                };
                await check('at rest');
                await p.keyboard.press('Tab');
                await p.keyboard.press('Tab');
                await p.keyboard.press('Enter');
                await check('focused');
            } finally {
                await p.visit.close();
            }
        });
    }
});
