// Links and clicks as a visitor meets them: unsafe schemes are refused, a link on "over" is
// reported instead of silently blocked, and a double click never runs the click's effects.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import {
    exportPage, launchBrowser, makeProject, openPage, pixelPoint, shown, skipReason, tempFolder,
} from './support/fixture.mjs';

const skip = skipReason();

// A 400 x 100 picture in eight 50-pixel columns, one area each.
const areas = {
    script: { click: { link: 'javascript:document.title="hacked"' } },
    spaced: { click: { link: ' \tJavaScript:document.title="hacked"' } },
    data: { click: { link: 'data:text/html,<p>x</p>' } },
    web: { click: { link: 'http://pages.example/web.html' } },
    both: { click: { link: 'one.html', message_text: 'один', message_center_x: 200, message_center_y: 50 },
        dblclick: { link: 'two.html' } },
    single: { click: { message_text: 'сразу', message_center_x: 275, message_center_y: 50 } },
    hovered: { over: { link: 'hover.html', message_text: 'над' } },
    doubleOnly: { dblclick: { message_text: 'дважды', message_center_x: 375, message_center_y: 50 } },
};
const names = Object.keys(areas);
const centre = (name) => [25 + 50 * names.indexOf(name), 50];

describe('links and clicks', { skip: skip || false }, () => {
    let folder;
    let page;
    let browser;

    before(async () => {
        folder = tempFolder('links');
        const rects = Object.fromEntries(names.map((n, i) => [n, [50 * i, 0, 50, 100]]));
        const project = makeProject(path.join(folder, 'project'), { name: 'links', width: 400, height: 100, rects, areas });
        page = exportPage(project, path.join(folder, 'site', 'links.html'));
        for (const name of ['one', 'two', 'hover']) {
            fs.writeFileSync(path.join(folder, 'site', `${name}.html`), `<!DOCTYPE html><title>${name}</title>`);
        }
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    // A visit that records every window the page opens.
    async function visit() {
        const context = await browser.newContext({ viewport: { width: 700, height: 400 }, reducedMotion: 'reduce' });
        await context.route('http://pages.example/**', (route) => route.fulfill({ body: '<title>web</title>', contentType: 'text/html' }));
        const p = await openPage(context, page);
        p.context = context;
        p.opened = [];
        context.on('page', (w) => p.opened.push(w));
        return p;
    }
    const at = (p, name) => pixelPoint(p, ...centre(name));
    const openedUrls = async (p) => Promise.all(p.opened.map(async (w) => {
        await w.waitForLoadState().catch(() => {});
        return w.url();
    }));

    it('opens only web, mail and relative addresses and reports the others', async () => {
        const p = await visit();
        try {
            for (const name of ['script', 'spaced', 'data']) {
                await p.mouse.click(...await at(p, name));
            }
            await p.waitForTimeout(300);
            assert.deepEqual(p.opened.length, 0);
            assert.equal(await p.title(), 'Dorvan Software - Velmora Demo');
            assert.equal(p.errors.length, 3, p.errors.join('\n'));
            for (const e of p.errors) assert.match(e, /link not opened.*(javascript|data):/i);
            await Promise.all([p.context.waitForEvent('page'), p.mouse.click(...await at(p, 'web'))]);
            assert.deepEqual(await openedUrls(p), ['http://pages.example/web.html']);
        } finally {
            await p.context.close();
        }
    });

    it('reports a link on "over" instead of trying to open it', async () => {
        const p = await visit();
        try {
            await p.mouse.move(...await at(p, 'hovered'));
            assert.deepEqual((await shown(p)).bubbles.map((b) => b.text), ['над']);
            await p.waitForTimeout(200);
            assert.equal(p.opened.length, 0);
            assert.equal(p.errors.length, 1);
            assert.match(p.errors[0], /link on "over".*hover\.html/);
        } finally {
            await p.context.close();
        }
    });

    it('runs only the double-click effects on a double click', async () => {
        const p = await visit();
        try {
            await Promise.all([p.context.waitForEvent('page'), p.mouse.dblclick(...await at(p, 'both'))]);
            // Longer than the wait for a second click.
            await p.waitForTimeout(800);
            assert.deepEqual((await openedUrls(p)).map((u) => path.basename(u)), ['two.html']);
            assert.equal((await shown(p)).bubbles.length, 0);
        } finally {
            await p.context.close();
        }
    });

    it('runs a click after the double-click interval where the area has double-click effects', async () => {
        const p = await visit();
        try {
            const opening = p.context.waitForEvent('page', { timeout: 3000 });
            await p.mouse.click(...await at(p, 'both'));
            assert.equal((await shown(p)).bubbles.length, 0, 'the click waits for a second one');
            await opening;
            assert.deepEqual((await shown(p)).bubbles.map((b) => b.text), ['один']);
            assert.deepEqual((await openedUrls(p)).map((u) => path.basename(u)), ['one.html']);
        } finally {
            await p.context.close();
        }
    });

    it('answers a click at once where the area has no double-click effects', async () => {
        const p = await visit();
        try {
            await p.mouse.click(...await at(p, 'single'));
            assert.deepEqual((await shown(p)).bubbles.map((b) => b.text), ['сразу']);
            await p.mouse.dblclick(...await at(p, 'doubleOnly'));
            assert.deepEqual((await shown(p)).bubbles.map((b) => b.text), ['дважды']);
        } finally {
            await p.context.close();
        }
    });
});
