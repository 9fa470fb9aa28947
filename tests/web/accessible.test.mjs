// The accessible export in the browser: without scripts the picture's image map names and
// links its areas; with them the runtime takes the names for its focusable areas and answers a
// click once; axe-core finds nothing; a merge of accessible pages stays accessible.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import {
    axeViolations, lacks, launchBrowser, makeProject, openPage, pixelPoint, run, skipReason, tempFolder,
} from './support/fixture.mjs';

const skip = skipReason();

// 320 x 240: "Пруд" is a frame around a hole, "Дверь" a block with a link, "Окна" two pieces.
const names = ['Пруд «тихий» & <лес>', 'Дверь', 'Окна'];
const areaAt = (x, y) => {
    if (x >= 20 && x < 140 && y >= 20 && y < 140) return x >= 50 && x < 110 && y >= 50 && y < 110 ? 0 : 1;
    if (x >= 180 && x < 300 && y >= 20 && y < 120) return 2;
    if (y >= 170 && y < 220 && ((x >= 180 && x < 220) || (x >= 260 && x < 300))) return 3;
    return 0;
};
const areas = {
    [names[0]]: { over: { area_brightness: 40 } },
    [names[1]]: { over: { message_text: 'войти' }, click: { link: 'http://example.org/door' } },
    [names[2]]: { click: { message_text: 'окна', message_center_x: 240, message_center_y: 150 } },
};

describe('the accessible export', { skip: skip || false }, () => {
    let folder;
    let browser;
    const pages = {};

    before(async () => {
        folder = tempFolder('accessible');
        const colour = (x, y) => [(x * 3) & 255, (y * 2) & 255, 120];
        for (const name of ['a', 'b']) {
            const project = makeProject(path.join(folder, name), { name, width: 320, height: 240, colour, areaAt, areas });
            pages[name] = path.join(folder, 'site', `${name}.html`);
            run('export', project, pages[name], '--accessible');
        }
        pages.merged = path.join(folder, 'site', 'both.html');
        run('merge', pages.merged, pages.a, pages.b);
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    async function visit(file, options = {}) {
        const context = await browser.newContext({ viewport: { width: 700, height: 600 }, reducedMotion: 'reduce', ...options });
        await context.route('http://example.org/**', (route) => route.fulfill({ body: '<title>door</title>', contentType: 'text/html' }));
        const p = options.javaScriptEnabled === false ? await context.newPage() : await openPage(context, file);
        if (options.javaScriptEnabled === false) await p.goto(`file://${file}`);
        p.visit = context;
        return p;
    }

    // Each picture's image map as the browser holds it, and what lies at a picture pixel.
    const imageMaps = (p) => p.evaluate(() => [...document.images].map((img) => {
        const map = document.querySelector(`map[name="${(img.useMap || '').slice(1)}"]`);
        return { usemap: img.getAttribute('usemap'), areas: map ? [...map.areas].map((a) => ({
            alt: a.alt, href: a.getAttribute('href'), target: a.target, shape: a.shape })) : null };
    }));
    const hitAt = async (p, x, y, n = 0) => {
        const [cx, cy] = await pixelPoint(p, x, y, n);
        return p.evaluate(([cx, cy]) => {
            const e = document.elementFromPoint(cx, cy);
            return e.tagName === 'AREA' ? e.alt : e.tagName;
        }, [cx, cy]);
    };
    const focusNames = async (p, count) => {
        const list = [];
        for (let i = 0; i < count; i++) {
            await p.keyboard.press('Tab');
            list.push(await p.evaluate(() => document.activeElement.getAttribute('aria-label')));
        }
        return list;
    };

    it('names and links the linked areas without scripts, and only those take the keyboard', async (t) => {
        const p = await visit(pages.a, { javaScriptEnabled: false });
        try {
            assert.equal(await p.evaluate(() => typeof window.vlm4), 'undefined');
            const [map] = await imageMaps(p);
            assert.ok(map.usemap);
            // The hole comes first; the frame, the block and the two pieces follow. HTML allows an
            // alt only beside an href: the areas without a link carry neither.
            assert.deepEqual(map.areas.map((a) => [a.alt, a.href, a.shape]).sort(), [
                ['', null, 'poly'], ['', null, 'poly'], ['Дверь', 'http://example.org/door', 'poly'],
                ['', null, 'poly'], ['', null, 'poly']].sort());
            assert.deepEqual((await p.locator('area[alt]').all()).length, 1);
            assert.equal(map.areas.find((a) => a.href).target, '_blank');
            if (lacks('areaFromPoint')) {
                t.diagnostic(lacks('areaFromPoint'));
            } else {
                assert.equal(await hitAt(p, 200, 60), 'Дверь');
                for (const [x, y] of [[30, 30], [80, 80], [280, 200]]) assert.equal(await hitAt(p, x, y), '', `${x},${y}`);
                assert.equal(await hitAt(p, 240, 200), 'IMG');
            }
            // The one link is the one Tab stop of the picture.
            const stops = [];
            for (let i = 0; i < 3; i++) {
                await p.keyboard.press('Tab');
                stops.push(await p.evaluate(() => document.activeElement.tagName + (document.activeElement.alt || '')));
            }
            assert.deepEqual([...new Set(stops.filter((s) => s.startsWith('AREA')))], ['AREAДверь']);
            // The link opens from the picture itself.
            const opened = p.visit.waitForEvent('page');
            await p.mouse.click(...(await pixelPoint(p, 200, 60)));
            const door = await opened;
            await door.waitForLoadState();
            assert.equal(await door.url(), 'http://example.org/door');
        } finally {
            await p.visit.close();
        }
    });

    it('takes the names for the focusable areas and opens a link once', async () => {
        const p = await visit(pages.a);
        try {
            assert.equal(await p.evaluate(() => document.images[0].hasAttribute('usemap')), false);
            assert.deepEqual(await focusNames(p, 3), [names[0], 'Дверь', 'Окна']);
            const opened = [];
            p.visit.on('page', (q) => opened.push(q));
            await p.mouse.click(...(await pixelPoint(p, 200, 60)));
            await p.waitForTimeout(700);
            assert.deepEqual(await Promise.all(opened.map(async (q) => {
                await q.waitForLoadState();
                return q.url();
            })), ['http://example.org/door']);
            assert.deepEqual(p.errors, []);
        } finally {
            await p.visit.close();
        }
    });

    it('has no axe-core violations, at rest and with an area focused', async () => {
        const p = await visit(pages.a);
        try {
            const check = async (when) => {
                const violations = await axeViolations(p, ['landmark-one-main', 'region']);
                assert.deepEqual(violations.map((v) => `${when}: ${v}`), []);
            };
            await check('at rest');
            await p.keyboard.press('Tab');
            await p.keyboard.press('Tab');
            await check('focused');
        } finally {
            await p.visit.close();
        }
    });

    it('stays accessible when merged', async () => {
        const off = await visit(pages.merged, { javaScriptEnabled: false });
        try {
            const maps = await imageMaps(off);
            assert.equal(maps.length, 2);
            assert.notEqual(maps[0].usemap, maps[1].usemap);
            for (const map of maps) assert.deepEqual(map.areas.map((a) => a.alt).filter(Boolean), ['Дверь']);
            if (!lacks('areaFromPoint')) assert.equal(await hitAt(off, 200, 60, 1), 'Дверь');
        } finally {
            await off.visit.close();
        }
        const p = await visit(pages.merged);
        try {
            assert.deepEqual(await focusNames(p, 6), [...names, ...names]);
            assert.deepEqual(p.errors, []);
            assert.deepEqual(await axeViolations(p, ['landmark-one-main', 'region']), []);
        } finally {
            await p.visit.close();
        }
    });
});
