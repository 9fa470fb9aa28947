// Builds fixture projects with velmora-cli and exports their pages, and drives a browser over
// them: Chromium through playwright-core, or the engine VELMORA_ENGINE names (firefox, webkit)
// through support/engines.mjs. Every page a test opens comes from the real exporter.
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { firefoxPath, launchEngine, removeProfile, webkitDriverPath } from './engines.mjs';
import { encodePng } from './png.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../..');
export const cli = process.env.VELMORA_CLI || path.join(repo, 'build/bin/velmora-cli');
// The bundled example project that the build makes.
export const exampleProject = process.env.VELMORA_EXAMPLE || path.join(repo, 'build/examples/lakeside.vlm');
export const chromiumPath = process.env.VELMORA_CHROMIUM || '/usr/bin/chromium';
export const engine = process.env.VELMORA_ENGINE || 'chromium';

// What each engine's driver cannot do, by the name the tests ask for it with.
const kLacks = {
    chromium: {},
    firefox: {
        ariaSnapshot: 'Firefox is driven through puppeteer-core, and the accessibility tree is read with Playwright\'s ariaSnapshot',
        areaFromPoint: 'Firefox\'s document.elementFromPoint answers with the picture, never an <area> of its image map: ' +
            'the map\'s shapes are checked by the click on the link instead',
    },
    webkit: {
        touch: 'WebKitWebDriver delivers touch actions as mouse events: taps cannot be tested in WebKit',
        ariaSnapshot: 'WebKit is driven over W3C WebDriver, and the accessibility tree is read with Playwright\'s ariaSnapshot',
        deviceScaleFactor: 'W3C WebDriver cannot set the device pixel ratio of WebKit\'s window',
    },
};

// The reason the engine's driver cannot do feature, or false when it can: a test's skip option.
export function lacks(feature) {
    return kLacks[engine]?.[feature] || false;
}

// Why the page tests cannot run here (in engine which), or '' when they can.
export function skipReason(which = engine) {
    const needs = {
        chromium: [[chromiumPath, `no Chromium at ${chromiumPath}`],
            [path.join(repo, 'node_modules/playwright-core'), 'playwright-core is not installed (scripts/setup runs npm ci)']],
        firefox: [[firefoxPath, `no Firefox at ${firefoxPath} (Debian's firefox-esr)`],
            [path.join(repo, 'node_modules/puppeteer-core'), 'puppeteer-core is not installed (scripts/setup runs npm ci)']],
        webkit: [[webkitDriverPath, `no WebKitWebDriver at ${webkitDriverPath} (Debian's webkit2gtk-driver)`]],
    }[which];
    if (!needs) return `unknown engine ${which}`;
    for (const [file, reason] of needs) if (!fs.existsSync(file)) return reason;
    if (which !== 'chromium' && !spawnSync('sh', ['-c', 'command -v Xvfb']).stdout.length) return 'no Xvfb for the browser\'s display';
    if (!fs.existsSync(cli)) return `velmora-cli not built at ${cli}`;
    const help = spawnSync(cli, ['--help'], { encoding: 'utf8' }).stdout || '';
    for (const verb of ['export', 'merge', 'fill']) {
        if (!new RegExp(`^\\s+${verb}\\s`, 'm').test(help)) return `velmora-cli has no ${verb} verb yet`;
    }
    return '';
}

export function tempFolder(prefix) {
    return fs.mkdtempSync(path.join(os.tmpdir(), `velmora-web-${prefix}-`));
}

export function run(...args) {
    return execFileSync(cli, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
}

// A tone file for sound effects, made with sox.
export function makeTone(file, seconds = 1) {
    execFileSync('sox', ['-n', '-r', '44100', '-c', '2', file, 'synth', String(seconds), 'sine', '440', 'vol', '0.5']);
    return file;
}

export function writePicture(file, width, height, colour) {
    fs.writeFileSync(file, encodePng(width, height, colour));
    return file;
}

// A project folder with one picture, its areas and the fields of each area's records:
// areas = { name: { over: { field: value }, click: {...} } }; areas are numbered from 1 in the
// order given. The map is painted with the fill verb from rects = { name: [left, top, width,
// height] }, or, for maps no verb paints quickly, written as the grey PNG whose value is the
// area number that areaAt(x, y) gives. Files in attach ({ picture: [...], sound: [...] }) are
// copied in as the effect pages do. Returns the project path.
export function makeProject(folder, { name = 'project', width, height, colour, areas, rects, areaAt,
    attach = {}, music }) {
    fs.mkdirSync(folder, { recursive: true });
    const project = path.join(folder, `${name}.vlm`);
    run('new', project);
    const picture = writePicture(path.join(folder, `${name}-source.png`), width, height,
        colour || ((x, y) => [(x * 7) & 255, (y * 5) & 255, ((x + y) * 3) & 255]));
    run('picture', project, picture);
    run('area', 'add', project, ...Object.keys(areas));
    for (const [area, rect] of Object.entries(rects || {})) run('fill', project, area, '--rect', rect.join(), '--overwrite');
    if (areaAt) {
        const info = JSON.parse(run('info', project));
        fs.writeFileSync(path.join(folder, 'Maps', info.map), encodePng(width, height, (x, y) => {
            const v = areaAt(x, y);
            return [v, v, v];
        }));
    }
    for (const [kind, files] of Object.entries(attach)) {
        for (const file of files) run('attach', project, kind, file);
    }
    if (music) run('music', project, music.file, '--volume', String(music.volume ?? 100));
    for (const [area, events] of Object.entries(areas)) {
        for (const [event, fields] of Object.entries(events)) {
            run('set', project, area, event, ...Object.entries(fields).map(([k, v]) => `${k}=${v}`));
        }
    }
    return project;
}

export function exportPage(project, page) {
    run('export', project, page);
    return page;
}

// A host name the browsers resolve to the loopback address: a page from it is not a secure
// context, as a page on a plain http site is not (127.0.0.1 counts as secure).
export const kTestHost = 'pages.velmora.test';
const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.png': 'image/png',
    '.jpg': 'image/jpeg', '.webp': 'image/webp', '.ogg': 'audio/ogg' };

// A plain file server of folder on the loopback address, whole files only (no byte ranges), as
// `python3 -m http.server` serves. answer(request, response) may answer a request itself and
// return true. Returns { origin (on kTestHost), loopback (on 127.0.0.1), close() }.
export async function serveFolder(folder, answer = () => false) {
    const server = http.createServer((request, response) => {
        if (answer(request, response)) return;
        const file = path.join(folder, decodeURIComponent(new URL(request.url, 'http://x').pathname));
        if (!file.startsWith(folder + path.sep) || !fs.existsSync(file)) return response.writeHead(404).end();
        response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream' });
        fs.createReadStream(file).pipe(response);
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    const port = server.address().port;
    return { origin: `http://${kTestHost}:${port}`, loopback: `http://127.0.0.1:${port}`,
        close: () => new Promise((resolve) => server.close(resolve)) };
}

// The engine's browser (which, by default the tests' engine) with its home and temporary files
// in a folder of their own. Sound plays without a gesture unless autoplay is false.
export async function launchBrowser({ autoplay = true, which = engine } = {}) {
    if (which !== 'chromium') return launchEngine(which, { autoplay, testHost: kTestHost });
    const { chromium } = await import('playwright-core');
    const home = tempFolder('browser');
    const browser = await chromium.launch({
        executablePath: chromiumPath,
        args: [autoplay ? '--autoplay-policy=no-user-gesture-required' : '--autoplay-policy=document-user-activation-required',
            `--host-resolver-rules=MAP ${kTestHost} 127.0.0.1`],
        env: { ...process.env, HOME: home, TMPDIR: home, XDG_CONFIG_HOME: home, XDG_CACHE_HOME: home },
    });
    const close = browser.close.bind(browser);
    browser.close = async () => {
        await close();
        removeProfile(home);
    };
    return browser;
}

// Opens a page (a file or an http address) and collects its console errors and uncaught
// exceptions.
export async function openPage(context, file) {
    const page = await context.newPage();
    page.errors = [];
    page.on('console', (m) => m.type() === 'error' && page.errors.push(m.text()));
    page.on('pageerror', (e) => page.errors.push(`uncaught: ${e.message}`));
    await page.goto(/^https?:/.test(file) ? file : `file://${file}`);
    await page.waitForFunction(() => window.vlm4 && [...document.images].every((i) => i.complete));
    return page;
}

// The viewport position of picture pixel (x, y) of the n-th picture, at the pixel's centre.
// The runtime's own images (overlays, popups) sit beside the pictures and are not counted.
// Page-side source of an element's box in the viewport where the pointer meets it. WebKit
// before its standard CSS zoom gives getBoundingClientRect divided by the element's zoom.
const kTrueRect = `(e) => {
    const r = e.getBoundingClientRect();
    const probe = document.documentElement.appendChild(document.createElement('div'));
    probe.style.cssText = 'position:absolute;left:0;top:0;width:10px;height:10px;zoom:2;visibility:hidden';
    const leftOut = probe.getBoundingClientRect().width < 15;
    probe.remove();
    let z = 1;
    for (let a = e; leftOut && a; a = a.parentElement) z *= parseFloat(getComputedStyle(a).zoom) || 1;
    return { left: r.left * z, top: r.top * z, right: r.right * z, bottom: r.bottom * z, width: r.width * z, height: r.height * z };
}`;

export async function pixelPoint(page, x, y, n = 0) {
    return page.evaluate(([x, y, n, trueRect]) => {
        const img = [...document.images].filter((i) => !i.closest('.vlm4-anchor'))[n];
        const r = (0, eval)(trueRect)(img);
        const cs = getComputedStyle(img);
        const side = (s) => parseFloat(cs[`border${s}Width`]) + parseFloat(cs[`padding${s}`]);
        const w = r.width - side('Left') - side('Right');
        const h = r.height - side('Top') - side('Bottom');
        return [r.left + side('Left') + ((x + 0.5) * w) / img.naturalWidth,
            r.top + side('Top') + ((y + 0.5) * h) / img.naturalHeight];
    }, [x, y, n, kTrueRect]);
}

export async function moveTo(page, x, y, n = 0) {
    const [cx, cy] = await pixelPoint(page, x, y, n);
    await page.mouse.move(cx, cy);
}

// What the visitor sees of the effects: bubbles' texts and boxes, popups, overlays, filters.
export async function shown(page) {
    return page.evaluate((trueRect) => {
        const box = (e) => {
            const r = (0, eval)(trueRect)(e);
            return { x: r.left, y: r.top, w: r.width, h: r.height, cx: r.left + r.width / 2, cy: r.top + r.height / 2 };
        };
        return {
            bubbles: [...document.querySelectorAll('.vlm4-bubble')].map((b) => ({
                text: b.querySelector('.vlm4-text').innerText, role: b.getAttribute('role'),
                className: b.className, box: box(b.querySelector('.vlm4-text')),
                html: b.querySelector('.vlm4-text').innerHTML,
            })),
            popups: [...document.querySelectorAll('.vlm4-popup.vlm4-ready img')].map((i) => ({
                src: i.getAttribute('src'), box: box(i), width: i.naturalWidth })),
            overlays: [...document.querySelectorAll('.vlm4-overlay.vlm4-ready')].map((i) => ({
                src: i.getAttribute('src'), box: box(i) })),
            pixels: document.querySelectorAll('.vlm4-pixels').length,
            live: document.querySelector('.vlm4-live')?.textContent ?? '',
        };
    }, kTrueRect);
}

// axe-core's rule violations on the page, every rule but those named, as lines that name the
// rule and the offending elements' markup. axe-core's own script runs in the page, so that
// every engine is checked alike.
export async function axeViolations(page, disabled = []) {
    const source = fs.readFileSync(path.join(repo, 'node_modules/axe-core/axe.min.js'), 'utf8');
    await page.evaluate((text) => {
        if (!window.axe) (0, eval)(text);
    }, source);
    return page.evaluate(async (off) => {
        const rules = Object.fromEntries(off.map((id) => [id, { enabled: false }]));
        const { violations } = await window.axe.run(document, { rules });
        return violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.html).join(' | ')}`);
    }, disabled);
}
