// Lighthouse (mobile preset, one run) on the web export of a generated 6000 x 4000 photo,
// served over loopback HTTP: the page must stay fast, accessible and sound on phones.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { promisify } from 'node:util';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, it } from 'node:test';
import { chromiumPath, makeProject, run, serveFolder, skipReason, tempFolder } from './support/fixture.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const lighthouse = path.join(repo, 'node_modules/lighthouse/cli/index.js');
const skip = skipReason() || (fs.existsSync(lighthouse) ? '' : 'lighthouse is not installed (scripts/setup runs npm ci)');

const kWidth = 6000;
const kHeight = 4000;

// A photo's mix of broad shading and fine texture, the same on every run.
function photo(x, y) {
    const hash = (((x * 73856093) ^ (y * 19349663)) >>> 0) % 23;
    const shade = (v) => Math.max(0, Math.min(255, Math.round(v + hash - 11)));
    return [shade(120 + 70 * Math.sin(x / 530) + 25 * Math.sin((x + y) / 37)),
        shade(110 + 60 * Math.cos(y / 410) + 20 * Math.sin(x / 29)),
        shade(100 + 50 * Math.sin((x - y) / 700) + 15 * Math.cos(y / 17))];
}

describe('Lighthouse on the web export of a 24-megapixel photo', { skip: skip || false }, () => {
    let folder;
    let server;
    let report;

    before(async () => {
        folder = tempFolder('lighthouse');
        const site = path.join(folder, 'site');
        const project = makeProject(path.join(folder, 'project'), {
            width: kWidth, height: kHeight, colour: photo,
            rects: { tower: [900, 600, 1400, 2200], boat: [3600, 2500, 1500, 900] },
            areas: {
                tower: { over: { message_text: 'Башня', area_brightness: 40 } },
                boat: { over: { message_text: 'Лодка', background_grayscale: 1 } },
            },
        });
        run('export', project, path.join(site, 'photo.html'), '--web-images', '--title', 'Гавань');
        server = await serveFolder(site);
        const home = tempFolder('lighthouse-home');
        const out = path.join(folder, 'report.json');
        // Asynchronously: the page's server runs in this process.
        await promisify(execFile)(process.execPath, [lighthouse, `${server.loopback}/photo.html`, '--quiet', '--output=json',
            `--output-path=${out}`, '--only-categories=performance,accessibility,best-practices',
            '--chrome-flags=--headless=new --no-sandbox'], {
            env: { ...process.env, CHROME_PATH: chromiumPath, HOME: home, TMPDIR: home, XDG_CONFIG_HOME: home, XDG_CACHE_HOME: home },
            timeout: 240000,
        });
        fs.rmSync(home, { recursive: true, force: true });
        report = JSON.parse(fs.readFileSync(out, 'utf8'));
    });

    after(async () => {
        await server?.close();
        if (folder) fs.rmSync(folder, { recursive: true, force: true });
    });

    it('meets the mobile targets', () => {
        const score = (c) => report.categories[c].score;
        const audit = (a) => report.audits[a].numericValue;
        const figures = {
            performance: score('performance'), accessibility: score('accessibility'),
            bestPractices: score('best-practices'), lcpMs: Math.round(audit('largest-contentful-paint')),
            cls: audit('cumulative-layout-shift'), bytes: audit('total-byte-weight'),
            fcpMs: Math.round(audit('first-contentful-paint')), speedIndexMs: Math.round(audit('speed-index')),
            tbtMs: Math.round(audit('total-blocking-time')), cpuBenchmark: report.environment.benchmarkIndex,
        };
        const failing = (c) => report.categories[c].auditRefs.map((r) => report.audits[r.id])
            .filter((a) => a.score !== null && a.score < 1 && a.scoreDisplayMode === 'binary').map((a) => a.id);
        console.log(`lighthouse ${report.lighthouseVersion} mobile: ${JSON.stringify(figures)}; `
            + `best practices missed: ${failing('best-practices').join(', ') || 'none'}`);
        assert.ok(figures.performance >= 0.95, JSON.stringify(figures));
        assert.equal(figures.accessibility, 1, `failing: ${failing('accessibility')}`);
        assert.ok(figures.bestPractices >= 0.95, `failing: ${failing('best-practices')}`);
        assert.ok(figures.lcpMs <= 2500, JSON.stringify(figures));
        assert.equal(figures.cls, 0);
    });
});
