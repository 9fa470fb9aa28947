// Which area reacts where: edges of areas at even and odd pixels, merged pages, pictures shown
// at another size, and taps.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import {
    exportPage, lacks, launchBrowser, makeProject, moveTo, openPage, pixelPoint, run, shown, skipReason, tempFolder,
} from './support/fixture.mjs';

const skip = skipReason();

// Area "left" holds columns 0..20, "right" columns 21..63 of rows 0..20; "low" holds rows
// 21..47. The page looks up pixel (x, y) in sample (x / 2, y / 2), so the odd boundary at 21
// moves to 22 for the visitor.
const edgeRects = { left: [0, 0, 21, 21], right: [21, 0, 43, 21], low: [0, 21, 64, 27] };
const says = (text) => ({ over: { message_text: text, message_center_x: 32, message_center_y: 24 } });

describe('hit testing on exported pages', { skip: skip || false }, () => {
    let folder;
    let browser;
    let edgesPage;
    let mergedPage;

    before(async () => {
        folder = tempFolder('hits');
        const site = path.join(folder, 'site');
        const edges = makeProject(path.join(folder, 'edges'), {
            name: 'edges', width: 64, height: 48, rects: edgeRects,
            areas: { left: says('left'), right: says('right'), low: says('low') },
        });
        edgesPage = exportPage(edges, path.join(site, 'edges.html'));
        // A second picture whose areas say other words, merged below the first. Its rows
        // start with a run of 255 samples, written as a piece of count 255 (254 samples) and
        // one of count 1.
        const other = makeProject(path.join(folder, 'other'), {
            name: 'other', width: 600, height: 48, rects: { west: [0, 0, 510, 48], east: [510, 0, 90, 48] },
            areas: { west: says('west'), east: says('east') },
        });
        exportPage(other, path.join(site, 'other.html'));
        mergedPage = path.join(site, 'both.html');
        run('merge', mergedPage, edgesPage, path.join(site, 'other.html'));
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    async function visit(file, options = {}) {
        const context = await browser.newContext({ viewport: { width: 800, height: 600 }, reducedMotion: 'reduce', ...options });
        const p = await openPage(context, file);
        p.context = context;
        return p;
    }

    const said = async (p) => (await shown(p)).bubbles.map((b) => b.text).join();

    // [x, y, expected words]: the pixel the pointer is on, and the area that must answer.
    const edgeCases = [
        [0, 0, 'left'], [19, 3, 'left'], [20, 3, 'left'], [21, 3, 'left'], [22, 3, 'right'],
        [63, 0, 'right'], [5, 20, 'left'], [5, 21, 'left'], [5, 22, 'low'], [63, 47, 'low'],
    ];

    it('answers with the area of the sample under each pixel at an area\'s edge', async () => {
        const p = await visit(edgesPage);
        try {
            for (const [x, y, word] of edgeCases) {
                await moveTo(p, x, y);
                assert.equal(await said(p), word, `pixel (${x}, ${y})`);
            }
            assert.deepEqual(p.errors, []);
        } finally {
            await p.context.close();
        }
    });

    // CSS sizes the picture differently from its natural size; the same pixels must answer.
    for (const css of ['img { width: 256px !important; height: 192px !important; }',
        'img { width: 50px !important; height: auto !important; padding: 7px 3px; border: 5px solid black; }']) {
        it(`maps the pointer to picture pixels when the picture is scaled (${css})`, async () => {
            const p = await visit(edgesPage);
            try {
                await p.addStyleTag({ content: css });
                for (const [x, y, word] of [[2, 2, 'left'], [40, 10, 'right'], [10, 40, 'low'], [60, 46, 'low']]) {
                    await moveTo(p, x, y);
                    assert.equal(await said(p), word, `pixel (${x}, ${y})`);
                }
                const { bubbles } = await shown(p);
                const [left] = await pixelPoint(p, 0, 0);
                const [right] = await pixelPoint(p, 63, 0);
                const centreX = left + ((right - left) * 31.5) / 63; // pixel centres are half a pixel in
                // The bubble is centred on picture pixel (32, 24) at the shown size.
                assert.ok(Math.abs(bubbles[0].box.cx - centreX) <= 1.5, JSON.stringify([bubbles[0].box, centreX]));
            } finally {
                await p.context.close();
            }
        });
    }

    it('works on a page served over http', async () => {
        // A plain file server on the loopback address, for the page's folder only.
        const site = path.dirname(mergedPage);
        const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.png': 'image/png' };
        const server = http.createServer((request, response) => {
            const file = path.join(site, decodeURIComponent(new URL(request.url, 'http://x').pathname));
            if (!file.startsWith(site + path.sep) || !fs.existsSync(file)) return response.writeHead(404).end();
            response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
            fs.createReadStream(file).pipe(response);
        });
        await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
        const context = await browser.newContext({ viewport: { width: 800, height: 600 }, reducedMotion: 'reduce' });
        try {
            const p = await context.newPage();
            await p.goto(`http://127.0.0.1:${server.address().port}/${path.basename(mergedPage)}`);
            await p.waitForFunction(() => window.vlm4 && window.vlm4.pictures.length === 2);
            await moveTo(p, 40, 10);
            assert.equal(await said(p), 'right');
            await moveTo(p, 520, 10, 1);
            assert.equal(await said(p), 'east');
        } finally {
            await context.close();
            server.close();
        }
    });

    it('lets each picture of a merged page answer with its own areas', async () => {
        const p = await visit(mergedPage);
        try {
            assert.equal(await p.evaluate(() => document.images.length), 2);
            for (const [n, x, word] of [[0, 5, 'left'], [1, 5, 'west'], [0, 50, 'right'], [1, 509, 'west'], [1, 510, 'east']]) {
                await moveTo(p, x, 5, n);
                assert.equal(await said(p), word, `picture ${n} pixel (${x}, 5)`);
            }
            assert.deepEqual(p.errors, []);
        } finally {
            await p.context.close();
        }
    });

    it('shows the over effects of a tapped area until the next tap elsewhere', { skip: lacks('touch') }, async () => {
        const p = await visit(edgesPage, { hasTouch: true, isMobile: true });
        try {
            const tap = async (x, y) => {
                const [cx, cy] = await p.evaluate(([x, y]) => {
                    const r = document.images[0].getBoundingClientRect();
                    return [r.left + x + 0.5, r.top + y + 0.5];
                }, [x, y]);
                await p.touchscreen.tap(cx, cy);
            };
            await tap(40, 5);
            await p.waitForTimeout(100);
            assert.equal(await said(p), 'right');
            await tap(5, 40);
            await p.waitForTimeout(100);
            assert.equal(await said(p), 'low');
            await p.touchscreen.tap(5, 590);
            await p.waitForTimeout(100);
            assert.equal(await said(p), '');
        } finally {
            await p.context.close();
        }
    });
});
