// The editor's effect preview shows the pixels the page shows: a page exported by velmora-cli
// is hovered in the browser, and its screenshot is held against the editor's own composition of
// the same picture with the same effects (the program effect_pixels, built from the editor's
// core).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, it } from 'node:test';
import { decodePng } from './support/png.mjs';
import {
    exportPage, launchBrowser, makeProject, moveTo, openPage, run, skipReason, tempFolder,
} from './support/fixture.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const effectPixels = process.env.VELMORA_EFFECT_PIXELS || path.join(repo, 'build/bin/effect_pixels');
const skip = skipReason() || (!fs.existsSync(effectPixels) && `effect_pixels not built at ${effectPixels}`);

const kWidth = 240;
const kHeight = 160;
// Every level of each channel turns up somewhere.
const colour = (x, y) => [(x * 5 + y) & 255, (y * 7 + x * 2) & 255, ((x + y) * 3 + 40) & 255];
// Areas on even pixels: the page's map has one sample per 2 x 2 pixels, so these edges are
// exact in both.
const kRects = { soft: [20, 20, 80, 60], hard: [140, 80, 80, 60] };
// The effects of "over", as record fields; the third case reaches the ends of every range.
const kEffects = {
    soft: { area: [60, 40, 150, 0], background: [-40, 0, 100, 1] },
    hard: { area: [0, -80, 50, 1], background: [127, 127, 0, 0] },
};
const fields = (side, [brightness, contrast, gamma, grayscale]) => ({
    [`${side}_brightness`]: brightness, [`${side}_contrast`]: contrast, [`${side}_gamma`]: gamma,
    [`${side}_grayscale`]: grayscale,
});
// Browsers work the filter on whole levels as the editor does, yet round some levels their own
// way where a step lands near a half (the grey weights in single precision, Firefox's tables):
// Chromium and WebKit come within 2 levels, Firefox within 3, most pixels exactly.
const kTolerance = 3;

describe('the editor\'s effect preview and the page', { skip: skip || false }, () => {
    let folder;
    let page;
    let browser;
    let picture;
    let map;

    before(async () => {
        folder = tempFolder('preview');
        const areas = Object.fromEntries(Object.entries(kEffects).map(([name, e]) => [name,
            { over: { ...fields('area', e.area), ...fields('background', e.background) } }]));
        const project = makeProject(path.join(folder, 'project'), {
            width: kWidth, height: kHeight, colour, rects: kRects, areas,
        });
        const info = JSON.parse(run('info', project));
        picture = path.join(folder, 'project', 'Images', info.picture);
        map = path.join(folder, 'project', 'Maps', info.map);
        page = exportPage(project, path.join(folder, 'site', 'preview.html'));
        browser = await launchBrowser();
    });

    after(async () => {
        await browser?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    Object.entries(kEffects).forEach(([name, effect], i) => {
        it(`shows the effects of "${name}" on the area and on the rest as the editor does`, async () => {
            const expectedFile = path.join(folder, `${name}.png`);
            execFileSync(effectPixels, [picture, map, String(i + 1), effect.area.join(), effect.background.join(),
                expectedFile]);
            const expected = decodePng(fs.readFileSync(expectedFile));
            const context = await browser.newContext({ viewport: { width: 600, height: 400 }, reducedMotion: 'reduce' });
            try {
                const p = await openPage(context, page);
                const clip = await p.evaluate(([w, h]) => {
                    const r = document.images[0].getBoundingClientRect();
                    return { x: Math.round(r.left), y: Math.round(r.top), width: w, height: h };
                }, [kWidth, kHeight]);
                const [left, top, w, h] = kRects[name];
                const tip = [left + 4, top + 4];
                await moveTo(p, ...tip);
                const shown = decodePng(await p.screenshot({ clip }));
                let wrong = 0;
                let compared = 0;
                let worst = 0;
                let first = '';
                for (let y = 0; y < kHeight; y++) {
                    for (let x = 0; x < kWidth; x++) {
                        // The pointer may hide a few pixels around its tip.
                        if (x >= tip[0] - 4 && x < tip[0] + 16 && y >= tip[1] - 4 && y < tip[1] + 24) continue;
                        const want = expected.pixel(x, y);
                        const got = shown.pixel(x, y);
                        compared++;
                        const off = Math.max(...got.map((v, c) => Math.abs(v - want[c])));
                        worst = Math.max(worst, off);
                        if (off > kTolerance) {
                            wrong++;
                            const where = x >= left && x < left + w && y >= top && y < top + h ? 'area' : 'background';
                            first = first || `(${x}, ${y}) of the ${where}: editor ${want}, page ${got}`;
                        }
                    }
                }
                assert.ok(compared > kWidth * kHeight * 0.9);
                assert.equal(wrong, 0, `${first}; at most ${worst} levels apart`);
                assert.deepEqual(p.errors, []);
            } finally {
                await context.close();
            }
        });
    });
});
