// Firefox (puppeteer-core over WebDriver BiDi) and WebKitGTK (W3C WebDriver over HTTP) behind
// the part of Playwright's browser, context and page interface that the page tests use, so
// that the same cases run in every engine. Each browser runs on a display of its own, and
// reaches the network through the loopback server (support/loopback.mjs) as its proxy.
import { spawn } from 'node:child_process';
import { EventEmitter } from 'node:events';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { decodePng, encodePng } from './png.mjs';
import { startDisplay, startLoopback } from './loopback.mjs';

export const firefoxPath = process.env.VELMORA_FIREFOX || '/usr/bin/firefox-esr';
export const webkitDriverPath = process.env.VELMORA_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function freePort() {
    return new Promise((resolve) => {
        const server = net.createServer().listen(0, '127.0.0.1', () => {
            const { port } = server.address();
            server.close(() => resolve(port));
        });
    });
}

// A home of the browser's own; its ALSA default is the null device, as the machine may have no
// sound card and media must still play.
function browserHome() {
    const home = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-web-browser-'));
    fs.writeFileSync(path.join(home, '.asoundrc'), 'pcm.!default { type null }\n');
    return home;
}

// The parts of a page the tests reach through locators, built on evaluate.
class Locator {
    constructor(page, selector, index = 0) {
        this.page = page;
        this.selector = selector;
        this.index = index;
    }

    count() {
        return this.page.evaluate((s) => document.querySelectorAll(s).length, this.selector);
    }

    async all() {
        return Array.from({ length: await this.count() }, (_, i) => new Locator(this.page, this.selector, i));
    }

    boundingBox() {
        return this.page.evaluate(([s, i]) => {
            const e = document.querySelectorAll(s)[i];
            if (!e) return null;
            const r = e.getBoundingClientRect();
            return { x: r.left, y: r.top, width: r.width, height: r.height };
        }, [this.selector, this.index]);
    }

    getAttribute(name) {
        return this.page.evaluate(([s, i, n]) => document.querySelectorAll(s)[i]?.getAttribute(n) ?? null,
            [this.selector, this.index, name]);
    }

    evaluate(fn, arg) {
        return this.page.evaluate(([s, i, source, a]) => (0, eval)(`(${source})`)(document.querySelectorAll(s)[i], a),
            [this.selector, this.index, String(fn), arg]);
    }

    ariaSnapshot() {
        throw new Error('unsupported: the accessibility tree is read through Playwright, which drives only Chromium');
    }
}

// What every driver's page shares: polling waits, locators, style tags.
class PageBase extends EventEmitter {
    constructor() {
        super();
        this.errors = [];
    }

    locator(selector) {
        return new Locator(this, selector);
    }

    async waitForFunction(fn, arg, { timeout = 15000 } = {}) {
        const end = Date.now() + timeout;
        for (;;) {
            // Only whether it holds comes back: a page's objects do not cross every driver.
            const value = await this.evaluate(([source, a]) => Promise.resolve((0, eval)(`(${source})`)(a)).then(Boolean),
                [String(fn), arg]).catch((e) => (Date.now() > end ? Promise.reject(e) : false));
            if (value) return value;
            if (Date.now() > end) throw new Error(`timed out waiting for ${String(fn).slice(0, 200)}`);
            await sleep(50);
        }
    }

    waitForSelector(selector, options) {
        return this.waitForFunction((s) => !!document.querySelector(s), selector, options);
    }

    waitForTimeout(ms) {
        return sleep(ms);
    }

    // A new window starts on about:blank before the address it was opened with.
    async waitForLoadState() {
        const end = Date.now() + 5000;
        while ((await this.currentUrl()) === 'about:blank' && Date.now() < end) await sleep(50);
        await this.waitForFunction(() => document.readyState === 'complete');
    }

    title() {
        return this.evaluate(() => document.title);
    }

    async currentUrl() {
        return this.url();
    }

    addStyleTag({ content }) {
        return this.evaluate((css) => {
            document.head.appendChild(Object.assign(document.createElement('style'), { textContent: css }));
        }, content);
    }

    // A console line or an uncaught exception, told to the listeners and kept as Playwright's
    // fixture keeps them.
    report(type, text) {
        if (type === 'pageerror') return this.emit('pageerror', new Error(text));
        this.emit('console', { type: () => type, text: () => text });
    }
}

// Splits "Shift+Tab" into its modifiers and key.
function chord(keys) {
    const parts = keys.split('+');
    return { modifiers: parts.slice(0, -1), key: parts.at(-1) === 'Space' ? ' ' : parts.at(-1) };
}

// ---------------------------------------------------------------------------------------------
// Firefox

class GeckoPage extends PageBase {
    constructor(context, inner) {
        super();
        this.context = () => context;
        this.inner = inner;
        inner.on('console', (m) => this.report(m.type(), m.text()));
        inner.on('pageerror', (e) => this.report('pageerror', e.message));
        inner.on('close', () => this.emit('close'));
        // The driver takes whole CSS pixels: a point goes to the pixel it lies in.
        const [X, Y] = [Math.floor, Math.floor];
        this.mouse = {
            move: (x, y) => inner.mouse.move(X(x), Y(y)),
            click: (x, y) => inner.mouse.click(X(x), Y(y)),
            dblclick: (x, y) => inner.mouse.click(X(x), Y(y), { count: 2 }),
            wheel: (deltaX, deltaY) => inner.mouse.wheel({ deltaX, deltaY }),
        };
        this.keyboard = {
            press: async (keys) => {
                const { modifiers, key } = chord(keys);
                for (const m of modifiers) await inner.keyboard.down(m);
                await inner.keyboard.press(key);
                for (const m of modifiers.reverse()) await inner.keyboard.up(m);
            },
        };
        this.touchscreen = { tap: (x, y) => inner.touchscreen.tap(X(x), Y(y)) };
    }

    goto(url) {
        return this.inner.goto(url, { waitUntil: 'load' });
    }

    evaluate(fn, arg) {
        return typeof fn === 'string' ? this.inner.evaluate(fn) : this.inner.evaluate(fn, arg);
    }

    url() {
        return this.inner.url();
    }

    // A clip in viewport coordinates, as in Playwright; Puppeteer's default is the document's.
    async screenshot({ clip } = {}) {
        return Buffer.from(await this.inner.screenshot(clip ? { clip, captureBeyondViewport: false } : {}));
    }

    // Firefox with scripts off never answers a script call in a window the page opened: the
    // address alone tells that such a window has loaded.
    async waitForLoadState() {
        const end = Date.now() + 5000;
        while (this.inner.url() === 'about:blank' && Date.now() < end) await sleep(50);
        await Promise.race([this.waitForFunction(() => document.readyState === 'complete'), sleep(3000)]).catch(() => {});
    }

    close() {
        return this.inner.close();
    }
}

class GeckoContext extends EventEmitter {
    constructor(browser, options) {
        super();
        this.browser = browser;
        this.options = options;
        this.initScripts = [];
        this.id = ++browser.contexts;
        this.creating = 0;
    }

    async inner() {
        if (!this.ready) {
            this.ready = (async () => {
                const instance = await this.browser.instance(this.options);
                const inner = await instance.createBrowserContext();
                // Pages the page opens itself (window.open, links to new windows).
                inner.on('targetcreated', async (target) => {
                    if (target.type() !== 'page' || this.creating) return;
                    const page = await target.page();
                    if (page) this.emit('page', new GeckoPage(this, page));
                });
                return inner;
            })();
        }
        return this.ready;
    }

    async newPage() {
        const inner = await this.inner();
        this.creating++;
        let page;
        try {
            page = await inner.newPage();
        } finally {
            this.creating--;
        }
        const { viewport = { width: 1280, height: 720 }, deviceScaleFactor, hasTouch, isMobile } = this.options;
        await page.setViewport({ ...viewport, deviceScaleFactor: deviceScaleFactor || 1, hasTouch: !!hasTouch,
            isMobile: !!isMobile });
        for (const source of this.initScripts) await page.evaluateOnNewDocument(source);
        return new GeckoPage(this, page);
    }

    async addInitScript(fn) {
        this.initScripts.push(`(${fn})()`);
    }

    // The clipboard is open to pages by the testing preference the browser starts with.
    async grantPermissions() {}

    async route(glob, handler) {
        this.browser.loopback.route(this.id, glob, handler);
    }

    waitForEvent(event, { timeout = 15000 } = {}) {
        return new Promise((resolve, reject) => {
            const timer = setTimeout(() => reject(new Error(`no ${event} within ${timeout} ms`)), timeout);
            this.once(event, (value) => {
                clearTimeout(timer);
                resolve(value);
            });
        });
    }

    async close() {
        this.browser.loopback.forget(this.id);
        if (this.ready) await (await this.ready).close().catch(() => {});
    }
}

class GeckoBrowser {
    static async launch({ autoplay }) {
        const browser = new GeckoBrowser();
        browser.autoplay = autoplay;
        browser.contexts = 0;
        browser.instances = new Map();
        browser.home = browserHome();
        browser.screen = await startDisplay();
        browser.loopback = await startLoopback(GeckoBrowser.testHost);
        return browser;
    }

    // One Firefox per kind of visit: reduced motion and scripts are preferences fixed at start.
    instance({ reducedMotion = 'no-preference', javaScriptEnabled = true }) {
        const key = `${reducedMotion}/${javaScriptEnabled}`;
        if (!this.instances.has(key)) {
            this.instances.set(key, (async () => {
                const { default: puppeteer } = await import('puppeteer-core');
                const profileHome = fs.mkdtempSync(path.join(this.home, 'firefox-'));
                return puppeteer.launch({
                    browser: 'firefox', executablePath: firefoxPath, headless: false,
                    env: { ...process.env, DISPLAY: this.screen.display, HOME: this.home, TMPDIR: profileHome,
                        XDG_CONFIG_HOME: this.home, XDG_CACHE_HOME: this.home },
                    extraPrefsFirefox: {
                        'ui.prefersReducedMotion': reducedMotion === 'reduce' ? 1 : 0,
                        'javascript.enabled': javaScriptEnabled,
                        // 0 plays sound without a gesture, 1 blocks audible sound until one.
                        'media.autoplay.default': this.autoplay ? 0 : 1,
                        'media.autoplay.blocking_policy': 0,
                        // Every address but loopback goes to the loopback server.
                        'network.proxy.type': 1,
                        'network.proxy.http': '127.0.0.1',
                        'network.proxy.http_port': this.loopback.port,
                        'network.proxy.ssl': '127.0.0.1',
                        'network.proxy.ssl_port': this.loopback.port,
                        'network.proxy.no_proxies_on': '',
                        'network.proxy.allow_hijacking_localhost': false,
                        'dom.events.testing.asyncClipboard': true,
                        'dom.w3c_touch_events.enabled': 1,
                        'dom.disable_open_during_load': false,
                    },
                });
            })());
        }
        return this.instances.get(key);
    }

    async newContext(options = {}) {
        return new GeckoContext(this, options);
    }

    async close() {
        for (const instance of this.instances.values()) await (await instance.catch(() => null))?.close().catch(() => {});
        await this.loopback.close();
        this.screen.close();
        removeProfile(this.home);
    }
}

// ---------------------------------------------------------------------------------------------
// WebKit

const kKeys = { Tab: '\uE004', Enter: '\uE007', Escape: '\uE00C', Shift: '\uE008', Control: '\uE009', Alt: '\uE00A',
    ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', ' ': ' ' };

// The page's console and uncaught errors, recorded by a script the loopback server puts first
// into every page, as the driver reports neither.
const kRecorder = `(() => {
    if (window.__vlmLog) return;
    const log = window.__vlmLog = [];
    const text = (args) => args.map((a) => (a instanceof Error ? a.message : typeof a === 'string' ? a : String(a))).join(' ');
    for (const type of ['log', 'info', 'warn', 'error', 'debug']) {
        const original = console[type];
        console[type] = function (...args) {
            log.push([type === 'warn' ? 'warning' : type, text(args)]);
            return original.apply(this, args);
        };
    }
    addEventListener('error', (e) => log.push(['pageerror', e.error ? e.error.message : e.message]));
    addEventListener('unhandledrejection', (e) => log.push(['pageerror', String(e.reason && e.reason.message || e.reason)]));
})();`;

// One WebDriver session; its commands run one at a time, in the window they are for.
class WebDriverSession {
    constructor(base, id) {
        this.base = `${base}/session/${id}`;
        this.queue = Promise.resolve();
        this.window = null;
    }

    async raw(method, route, body) {
        const response = await fetch(this.base + route, { method, headers: { 'Content-Type': 'application/json' },
            body: body === undefined ? undefined : JSON.stringify(body) });
        const { value } = await response.json();
        if (value && value.error) throw new Error(`${route}: ${value.error}: ${value.message}`);
        return value;
    }

    // Runs work(command) alone, with window (a handle) as the current window.
    run(window, work) {
        const next = this.queue.then(async () => {
            // Without a window of its own, a command runs in the session's first window.
            const target = window || this.home;
            if (target && this.window !== target) {
                await this.raw('POST', '/window', { handle: target });
                this.window = target;
            }
            return work((method, route, body) => this.raw(method, route, body));
        });
        this.queue = next.catch(() => {});
        return next;
    }
}

class WebKitPage extends PageBase {
    constructor(context, handle) {
        super();
        this.owner = context;
        this.context = () => context;
        this.session = context.session;
        this.handle = handle;
        this.seen = 0;
        this.closed = false;
        const actions = (list) => this.command('POST', '/actions', { actions: list });
        // The session's pointer stays where it was in the last window, and a move to the same
        // point is no move: in a new window it starts from a corner, as Playwright's does.
        const pointer = (steps) => {
            if (this.session.pointerWindow !== this.handle) {
                this.session.pointerWindow = this.handle;
                steps = [{ ...steps[0], x: steps[0].x === 0 ? 1 : 0, y: 0 }, ...steps];
            }
            return actions([{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: steps }]);
        };
        // The driver takes whole CSS pixels: a point goes to the pixel it lies in.
        const at = (x, y) => ({ type: 'pointerMove', x: Math.floor(x), y: Math.floor(y), origin: 'viewport', duration: 0 });
        const press = [{ type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }];
        this.mouse = {
            move: (x, y) => {
                this.pointer = [Math.floor(x), Math.floor(y)];
                return pointer([at(x, y)]).then(() => this.sync());
            },
            click: (x, y) => pointer([at(x, y), ...press]).then(() => this.sync()),
            dblclick: (x, y) => pointer([at(x, y), ...press, ...press]).then(() => this.sync()),
            // The wheel turns where the pointer last went.
            wheel: (deltaX, deltaY) => actions([{ type: 'wheel', id: 'wheel', actions: [{ type: 'scroll',
                x: this.pointer?.[0] ?? 0, y: this.pointer?.[1] ?? 0, deltaX, deltaY, origin: 'viewport' }] }]),
        };
        this.keyboard = {
            press: async (keys) => {
                const { modifiers, key } = chord(keys);
                const code = (k) => kKeys[k] ?? k;
                await actions([{ type: 'key', id: 'keys', actions: [
                    ...modifiers.map((m) => ({ type: 'keyDown', value: code(m) })),
                    { type: 'keyDown', value: code(key) }, { type: 'keyUp', value: code(key) },
                    ...modifiers.reverse().map((m) => ({ type: 'keyUp', value: code(m) }))] }]);
                await this.sync();
            },
        };
    }

    command(method, route, body) {
        if (this.closed) return Promise.reject(new Error('the page is closed'));
        return this.session.run(this.handle, (send) => send(method, route, body));
    }

    // Passes on what the page logged since the last look, and notes where it is.
    async sync() {
        const [address, log] = await this.command('POST', '/execute/sync', {
            script: 'return [location.href, window.__vlmLog ? window.__vlmLog.slice(arguments[0]) : null]',
            args: [this.seen] }).catch(() => [this.address, null]);
        this.address = address;
        if (!log) return;
        this.seen += log.length;
        for (const [type, text] of log) this.report(type, text);
    }

    // The address as of the last command, as Playwright answers at once.
    url() {
        return this.address || 'about:blank';
    }

    async currentUrl() {
        await this.sync();
        return this.url();
    }

    async goto(url) {
        const address = /^https?:/.test(url) ? url : this.owner.loopback.fileUrl(this.owner.id, url.replace(/^file:\/\//, ''));
        await this.owner.publishScripts();
        await this.command('POST', '/url', { url: address });
        this.seen = 0;
        await this.sync();
    }

    async evaluate(fn, arg) {
        const source = typeof fn === 'string' ? `() => (0, eval)(${JSON.stringify(fn)})` : String(fn);
        const [missing, value, error] = await this.command('POST', '/execute/async', {
            script: `const done = arguments[arguments.length - 1];
                Promise.resolve().then(() => (${source})(arguments[0]))
                    .then((v) => done([v === undefined, v === undefined ? null : v]), (e) => done([false, null, String(e && e.message || e)]));`,
            args: [arg === undefined ? null : arg] });
        await this.sync();
        if (error !== undefined && error !== null) throw new Error(error);
        return missing ? undefined : value;
    }

    // WebKit's driver takes the last painted frame: a scroll or hover just made may not be in it
    // yet, so the picture waits for two frames to be painted.
    async screenshot({ clip } = {}) {
        await this.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
        const png = Buffer.from(await this.command('GET', '/screenshot'), 'base64');
        if (!clip) return png;
        const whole = decodePng(png);
        const x0 = Math.round(clip.x);
        const y0 = Math.round(clip.y);
        return encodePng(Math.round(clip.width), Math.round(clip.height), (x, y) => whole.pixel(x0 + x, y0 + y));
    }

    async close() {
        if (this.closed) return;
        await this.command('DELETE', '/window').catch(() => {});
        this.session.window = null;
        this.closed = true;
        this.emit('close');
    }
}

class WebKitContext extends EventEmitter {
    constructor(browser, options) {
        super();
        this.browser = browser;
        this.options = options;
        this.loopback = browser.loopback;
        this.id = ++browser.contexts;
        this.initScripts = [kRecorder];
        this.pages = [];
        this.known = new Set();
    }

    async publishScripts() {
        this.loopback.setInitScripts(this.id, this.initScripts);
    }

    async newPage() {
        this.session = await this.browser.session(this.options);
        const { handle } = await this.session.run(null, (send) => send('POST', '/window/new', { type: 'window' }));
        await this.watchWindows();
        const page = this.adopt(handle);
        // The window's outer size is set so that its viewport has the size asked for.
        const { width = 1280, height = 720 } = this.options.viewport || {};
        await page.command('POST', '/window/rect', { width, height });
        const [innerW, innerH] = await page.evaluate(() => [innerWidth, innerHeight]);
        await page.command('POST', '/window/rect', { width: 2 * width - innerW, height: 2 * height - innerH });
        // The window takes its size later, and may pass through others: a resize during the
        // test would move what it shows. Its size must hold for a while.
        const end = Date.now() + 5000;
        for (let held = 0; held < 4 && Date.now() < end; await sleep(100)) {
            const [w, h] = await page.evaluate(() => [innerWidth, innerHeight]);
            held = w === width && h === height ? held + 1 : 0;
        }
        return page;
    }

    adopt(handle) {
        const page = new WebKitPage(this, handle);
        this.known.add(handle);
        this.pages.push(page);
        return page;
    }

    // New windows the pages open are told as "page" events.
    async watchWindows() {
        if (this.watching) return;
        this.watching = setInterval(async () => {
            if (this.busy) return;
            this.busy = true;
            try {
                const handles = await this.session.run(null, (send) => send('GET', '/window/handles'));
                for (const handle of handles) {
                    if (this.known.has(handle) || this.browser.owned.has(handle)) continue;
                    this.emit('page', this.adopt(handle));
                }
            } catch {
                // The session is going away.
            } finally {
                this.busy = false;
            }
        }, 100);
    }

    async addInitScript(fn) {
        this.initScripts.push(`(${fn})()`);
    }

    // The pages' clipboard access is a switch the browser starts with.
    async grantPermissions() {}

    async route(glob, handler) {
        this.loopback.route(this.id, glob, handler);
    }

    waitForEvent(event, { timeout = 15000 } = {}) {
        return new Promise((resolve, reject) => {
            const timer = setTimeout(() => reject(new Error(`no ${event} within ${timeout} ms`)), timeout);
            this.once(event, (value) => {
                clearTimeout(timer);
                resolve(value);
            });
        });
    }

    async close() {
        clearInterval(this.watching);
        for (const page of this.pages) await page.close();
        this.loopback.forget(this.id);
    }
}

class WebKitBrowser {
    static async launch({ autoplay }) {
        const browser = new WebKitBrowser();
        browser.autoplay = autoplay;
        browser.contexts = 0;
        browser.sessions = new Map();
        browser.owned = new Set();
        browser.drivers = [];
        browser.home = browserHome();
        browser.screen = await startDisplay();
        browser.loopback = await startLoopback(WebKitBrowser.testHost);
        return browser;
    }

    // One driver and MiniBrowser per kind of visit: reduced motion follows the GTK setting of
    // animations, scripts are a switch of the browser.
    session({ reducedMotion = 'no-preference', javaScriptEnabled = true }) {
        const key = `${reducedMotion}/${javaScriptEnabled}`;
        if (!this.sessions.has(key)) {
            this.sessions.set(key, (async () => {
                const config = fs.mkdtempSync(path.join(this.home, 'config-'));
                fs.mkdirSync(path.join(config, 'gtk-3.0'));
                fs.writeFileSync(path.join(config, 'gtk-3.0', 'settings.ini'),
                    `[Settings]\ngtk-enable-animations=${reducedMotion === 'reduce' ? 0 : 1}\n`);
                const port = await freePort();
                const driver = spawn(webkitDriverPath, [`--port=${port}`, '--host=127.0.0.1'], {
                    env: { ...process.env, DISPLAY: this.screen.display, HOME: this.home, TMPDIR: config,
                        XDG_CONFIG_HOME: config, XDG_CACHE_HOME: config, XDG_DATA_HOME: config },
                    stdio: 'ignore', detached: true });
                this.drivers.push(driver);
                const base = `http://127.0.0.1:${port}`;
                let created;
                for (let i = 0; i < 100 && !created; i++) {
                    await sleep(100);
                    created = await fetch(`${base}/session`, { method: 'POST', headers: { 'Content-Type': 'application/json' },
                        body: JSON.stringify({ capabilities: { alwaysMatch: {
                            'webkitgtk:browserOptions': { args: ['--automation', `--enable-javascript=${javaScriptEnabled}`,
                                '--javascript-can-access-clipboard=true', '--javascript-can-open-windows-automatically=true',
                                `--autoplay-policy=${this.autoplay ? 'allow' : 'deny'}`] },
                            proxy: { proxyType: 'manual', httpProxy: `127.0.0.1:${this.loopback.port}`, noProxy: [] },
                        } } }) }).then((r) => r.json()).catch(() => null);
                }
                if (!created?.value?.sessionId) throw new Error(`WebKitWebDriver gave no session: ${JSON.stringify(created)}`);
                const session = new WebDriverSession(base, created.value.sessionId);
                // The session's first window stays open and unused, so that closing a page
                // never ends the session.
                const [first] = await session.run(null, (send) => send('GET', '/window/handles'));
                session.home = session.window = first;
                this.owned.add(first);
                return session;
            })());
        }
        return this.sessions.get(key);
    }

    async newContext(options = {}) {
        return new WebKitContext(this, options);
    }

    async close() {
        // A browser that does not quit within a few seconds is not waited for: the driver and
        // its browser are killed, so a suite never hangs after its last case.
        for (const session of this.sessions.values()) {
            const s = await session.catch(() => null);
            if (s) await Promise.race([s.raw('DELETE', '').catch(() => {}), sleep(5000)]);
        }
        // The driver leads its own process group, so its browser and the browser's helper
        // processes go with it and stop writing into the profile before it is removed.
        await Promise.all(this.drivers.map(killGroup));
        await this.loopback.close();
        this.screen.close();
        removeProfile(this.home);
    }
}

// Kills a detached child and every process of its group; resolves once the child has exited.
function killGroup(child) {
    if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve();
    const exited = new Promise((resolve) => child.once('exit', resolve));
    try {
        process.kill(-child.pid, 'SIGKILL');
    } catch {
        child.kill('SIGKILL');
    }
    return Promise.race([exited, sleep(5000)]);
}

// A browser's helper processes may still be finishing a cache write while the profile goes;
// the removal retries instead of failing the suite over a folder that empties a moment later.
export function removeProfile(folder) {
    fs.rmSync(folder, { recursive: true, force: true, maxRetries: 10, retryDelay: 200 });
}

// Launches the engine's browser; testHost is the made-up host name that must reach 127.0.0.1.
export async function launchEngine(engine, { autoplay = true, testHost }) {
    const kind = { firefox: GeckoBrowser, webkit: WebKitBrowser }[engine];
    if (!kind) throw new Error(`unknown engine ${engine}`);
    kind.testHost = testHost;
    return kind.launch({ autoplay });
}
