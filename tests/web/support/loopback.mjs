// The loopback pieces the Firefox and WebKit drivers share: a virtual display per browser, and
// one server on 127.0.0.1 that is the browsers' HTTP proxy and a file server at once. As the
// proxy it answers the routes the tests set, passes requests for the test host name and the
// loopback address to 127.0.0.1 and refuses every other address; as the file server it serves
// the test's temporary folders (a file:// page of a test, for engines whose driver cannot add
// scripts to a page, with byte ranges as a local file reads, is visited at http://127.0.0.1:PORT/c<context>/<path>). Into every page it
// serves for a context it puts that context's init scripts first, as Playwright would.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

// An Xvfb server on a free display; resolves to { display (":N"), close() }. Its pointer waits
// in the far corner, away from every window: a window that opens under it would otherwise
// get the pointer's own moves besides the driver's.
export async function startDisplay() {
    const server = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '2560x1600x24', '-nolisten', 'tcp'],
        { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
    let stderr = '';
    server.stderr.on('data', (d) => (stderr += d));
    const number = await new Promise((resolve, reject) => {
        server.stdio[3].once('data', (d) => resolve(String(d).trim()));
        server.once('exit', (code) => reject(new Error(`Xvfb ended with ${code}: ${stderr}`)));
    });
    const park = spawnSync('xdotool', ['mousemove', '2559', '1599'], { env: { ...process.env, DISPLAY: `:${number}` } });
    if (park.status !== 0) throw new Error(`xdotool could not move the display's pointer: ${park.stderr}`);
    return { display: `:${number}`, close: () => server.kill() };
}

// Playwright's URL globs: "**" any text, "*" any text without "/".
function globToRegExp(glob) {
    const parts = glob.split(/(\*\*|\*)/).map((p) => (p === '**' ? '.*' : p === '*' ? '[^/]*'
        : p.replace(/[.+?^${}()|[\]\\]/g, '\\$&')));
    return new RegExp(`^${parts.join('')}$`);
}

const kTypes = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.png': 'image/png',
    '.jpg': 'image/jpeg', '.webp': 'image/webp', '.gif': 'image/gif', '.ogg': 'audio/ogg', '.mp3': 'audio/mpeg' };

function injected(html, scripts) {
    if (!scripts.length) return html;
    const tags = scripts.map((s) => `<script>${s.replace(/<\/script/gi, '<\\/script')}</script>`).join('');
    const head = /<head[^>]*>/i.exec(html);
    return head ? html.slice(0, head.index + head[0].length) + tags + html.slice(head.index + head[0].length) : tags + html;
}

export async function startLoopback(testHost) {
    const routes = []; // { context, pattern, handler }
    const initScripts = new Map(); // context id -> [source]
    let lastContext = 0;
    const fileRoot = fs.realpathSync(os.tmpdir());

    const scriptsOf = (id) => initScripts.get(id) || initScripts.get(lastContext) || [];
    const sendHtml = (response, status, headers, body, id) => {
        const text = injected(body.toString('utf8'), scriptsOf(id));
        const out = { ...headers, 'content-type': 'text/html; charset=utf-8', 'content-length': Buffer.byteLength(text) };
        delete out['transfer-encoding'];
        response.writeHead(status, out).end(text);
    };

    const server = http.createServer(async (request, response) => {
        const absolute = /^https?:\/\//.test(request.url);
        const url = new URL(request.url, `http://127.0.0.1:${server.address().port}`);
        const own = !absolute || (url.hostname === '127.0.0.1' && Number(url.port) === server.address().port);
        const route = routes.find((r) => r.pattern.test(url.href));
        if (route) {
            return route.handler({ request: { url: () => url.href },
                fulfill: ({ status = 200, body = '', contentType = 'text/html' }) => {
                    if (/html/.test(contentType)) return sendHtml(response, status, {}, Buffer.from(body), route.context);
                    return response.writeHead(status, { 'content-type': contentType }).end(body);
                } });
        }
        if (own) {
            const [, id, rest] = /^\/c(\d+)(\/.*)$/.exec(url.pathname) || [];
            const file = rest && path.resolve(decodeURIComponent(rest));
            if (!file || !file.startsWith(fileRoot + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
                return response.writeHead(404).end();
            }
            const type = kTypes[path.extname(file)] || 'application/octet-stream';
            if (type.startsWith('text/html')) return sendHtml(response, 200, {}, fs.readFileSync(file), Number(id));
            // Byte ranges, as a browser reads a local file: media stream from it as from file://.
            const size = fs.statSync(file).size;
            const range = /^bytes=(\d*)-(\d*)$/.exec(request.headers.range || '');
            if (!range || (!range[1] && !range[2])) {
                response.writeHead(200, { 'content-type': type, 'content-length': size, 'accept-ranges': 'bytes' });
                return fs.createReadStream(file).pipe(response);
            }
            const start = range[1] ? Number(range[1]) : Math.max(0, size - Number(range[2]));
            const end = range[1] && range[2] ? Math.min(Number(range[2]), size - 1) : size - 1;
            if (start >= size || start > end) return response.writeHead(416, { 'content-range': `bytes */${size}` }).end();
            response.writeHead(206, { 'content-type': type, 'content-length': end - start + 1, 'accept-ranges': 'bytes',
                'content-range': `bytes ${start}-${end}/${size}` });
            return fs.createReadStream(file, { start, end }).pipe(response);
        }
        if (url.hostname !== testHost && url.hostname !== '127.0.0.1') {
            return response.writeHead(502, { 'content-type': 'text/plain' }).end(`${url.hostname} is not on this machine`);
        }
        // The test host and other loopback servers: passed on to 127.0.0.1.
        const headers = { ...request.headers };
        delete headers['proxy-connection'];
        const forward = http.request({ host: '127.0.0.1', port: url.port || 80, path: url.pathname + url.search,
            method: request.method, headers }, (answer) => {
            if (!/text\/html/.test(answer.headers['content-type'] || '')) {
                response.writeHead(answer.statusCode, answer.headers);
                return answer.pipe(response);
            }
            const chunks = [];
            answer.on('data', (c) => chunks.push(c));
            answer.on('end', () => sendHtml(response, answer.statusCode, answer.headers, Buffer.concat(chunks), lastContext));
        });
        forward.on('error', (e) => response.writeHead(502).end(String(e)));
        request.pipe(forward);
    });
    // A tunnel (https) is refused: nothing the tests visit needs one.
    server.on('connect', (request, socket) => socket.end('HTTP/1.1 502 Bad Gateway\r\n\r\n'));
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    const port = server.address().port;
    return {
        port,
        // The address at which a context's driver visits a local file.
        fileUrl: (context, file) => `http://127.0.0.1:${port}/c${context}${fs.realpathSync(file)}`,
        setInitScripts(context, scripts) {
            initScripts.set(context, scripts);
            lastContext = context;
        },
        route: (context, glob, handler) => routes.push({ context, pattern: globToRegExp(glob), handler }),
        forget(context) {
            initScripts.delete(context);
            for (let i = routes.length - 1; i >= 0; i--) if (routes[i].context === context) routes.splice(i, 1);
        },
        close: () => new Promise((resolve) => {
            server.closeAllConnections();
            server.close(resolve);
        }),
    };
}
