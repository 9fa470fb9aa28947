// Merged pages in the browser: pages from two folders whose files share names, merged, and the
// merged page merged again; every picture must answer with its own areas and files.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { decodePng, encodePng } from './support/png.mjs';
import {
    exportPage, launchBrowser, makeProject, openPage, pixelPoint, run, shown, skipReason, tempFolder,
} from './support/fixture.mjs';

const skip = skipReason();

describe('merging pages', { skip: skip || false }, () => {
    let folder;
    let browser;
    const pages = {};

    // Two projects named alike in two folders: the same picture, overlay and page names, in
    // different colours.
    function scene(where, colour, word) {
        const assets = path.join(folder, where, 'assets');
        fs.mkdirSync(assets, { recursive: true });
        fs.writeFileSync(path.join(assets, 'mark.png'), encodePng(20, 20, () => colour));
        const project = makeProject(path.join(folder, where, 'project'), {
            name: 'scene', width: 120, height: 60, colour: () => colour, rects: { spot: [0, 0, 60, 60] },
            areas: { spot: { over: { message_text: word, overlay_file_name: 'mark.png', overlay_x: 80, overlay_y: 20,
                message_center_x: 20, message_center_y: 10 } } },
            attach: { picture: [path.join(assets, 'mark.png')] },
        });
        return exportPage(project, path.join(folder, where, 'site', 'scene.html'));
    }

    before(async () => {
        folder = tempFolder('merging');
        pages.red = scene('red', [220, 30, 30], 'красный');
        pages.blue = scene('blue', [30, 30, 220], 'синий');
        // Another page beside the red one, whose files the merge must not bring along.
        fs.writeFileSync(path.join(folder, 'red', 'site', 'VLM', 'unrelated.js'), '// another page');
        fs.writeFileSync(path.join(folder, 'red', 'site', 'VLM', 'unrelated.png'), encodePng(2, 2, () => [0, 0, 0]));
        const all = path.join(folder, 'all');
        pages.both = path.join(all, 'both.html');
        run('merge', pages.both, pages.red, pages.blue);
        pages.again = path.join(all, 'again.html');
        run('merge', pages.again, pages.both, pages.red);
        pages.thrice = path.join(folder, 'elsewhere', 'thrice.html');
        run('merge', pages.thrice, pages.again, pages.both);
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    it('brings only the files the merged pages use, under new names where they clash', () => {
        const files = fs.readdirSync(path.join(folder, 'all'), { recursive: true }).sort();
        assert.deepEqual(files, ['VLM', 'VLM/again.js', 'VLM/both.js', 'VLM/mark-2.png', 'VLM/mark.png', 'VLM/vlm4.css',
            'VLM/vlm4.js', 'again.html', 'both.html', 'scene-source-2.png', 'scene-source.png']);
    });

    // [page, words and colours of its pictures in order]
    const cases = [
        ['both', [['красный', [220, 30, 30]], ['синий', [30, 30, 220]]]],
        ['again', [['красный', [220, 30, 30]], ['синий', [30, 30, 220]], ['красный', [220, 30, 30]]]],
        ['thrice', [['красный', [220, 30, 30]], ['синий', [30, 30, 220]], ['красный', [220, 30, 30]],
            ['красный', [220, 30, 30]], ['синий', [30, 30, 220]]]],
    ];
    for (const [name, pictures] of cases) {
        it(`shows each picture of the ${name} page with its own areas and files`, async () => {
            const context = await browser.newContext({ viewport: { width: 400, height: 600 }, reducedMotion: 'reduce' });
            try {
                const p = await openPage(context, pages[name]);
                assert.equal(await p.evaluate(() => window.vlm4.pictures.length), pictures.length);
                for (const [n, [word, colour]] of pictures.entries()) {
                    await p.evaluate((n) => document.images[n].scrollIntoView({ block: 'center' }), n);
                    await p.mouse.move(...await pixelPoint(p, 30, 30, n));
                    const seen = await shown(p);
                    assert.deepEqual(seen.bubbles.map((b) => b.text), [word], `picture ${n}`);
                    assert.equal(seen.overlays.length, 1);
                    // The picture and its overlay in their own colours.
                    const shot = decodePng(await p.screenshot());
                    for (const [x, y] of [[110, 55], [95, 35]]) {
                        const [cx, cy] = (await pixelPoint(p, x, y, n)).map(Math.floor);
                        assert.ok(shot.pixel(cx, cy).every((v, i) => Math.abs(v - colour[i]) <= 3),
                            `picture ${n} pixel (${x}, ${y}): ${shot.pixel(cx, cy)}`);
                    }
                }
                assert.deepEqual(p.errors, []);
            } finally {
                await context.close();
            }
        });
    }
});
