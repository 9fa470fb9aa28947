// Renders every bubble (18 styles x 6 message types) and every popup frame (18 styles x 2
// picture types) through the real exporter and runtime, and puts them together into one PNG
// for people to look at:  node tests/web/gallery.mjs [out.png]   (default build/gallery.png)
// One row per style; columns: speech, think, simple, rectangle, pointer, circle, then the
// popup picture as circle and as pointer.
import fs from 'node:fs';
import path from 'node:path';
import { decodePng, encodePng } from './support/png.mjs';
import { exportPage, launchBrowser, makeProject, openPage, skipReason, tempFolder } from './support/fixture.mjs';

const reason = skipReason();
if (reason) {
    console.error(`gallery: cannot run: ${reason}`);
    process.exit(1);
}

const out = path.resolve(process.argv[2] || 'build/gallery.png');
const styles = [];
for (const size of ['small', 'middle', 'big']) {
    for (const colour of ['blue', 'yellow', 'gray', 'black', 'green', 'red']) styles.push(`${colour}_${size}`);
}
const types = ['speech', 'think', 'simple', 'rectangle', 'pointer', 'circle'];
const columns = [...types.map((t) => ['message', t]), ['picture', 'circle'], ['picture', 'pointer']];
const kCellW = 250;
const kCellH = 190;
const width = kCellW * columns.length;
const height = kCellH * styles.length;

// Cell (column, row) is area 1 + column + row * columns.length; the map is written at once,
// as filling 144 cells one by one would rewrite it 144 times.
const areaAt = (x, y) => 1 + Math.floor(x / kCellW) + columns.length * Math.floor(y / kCellH);
const areas = {};
styles.forEach((style, row) => {
    columns.forEach(([kind, type], column) => {
        const cx = column * kCellW + kCellW / 2 - 14;
        const cy = row * kCellH + kCellH / 2 - 24;
        const at = { x1: cx, y1: cy, x2: cx + 84, y2: cy + 88 };
        areas[`${style} ${kind} ${type}`] = {
            over: kind === 'message'
                ? { message_text: `${style.replace('_', ' ')}|${type}`, message_style: style, message_type: type,
                    message_center_x: at.x1, message_center_y: at.y1, message_pointer_x: at.x2, message_pointer_y: at.y2 }
                : { picture_file_name: 'view.png', picture_style: style, picture_type: type,
                    picture_center_x: at.x1, picture_center_y: at.y1, picture_pointer_x: at.x2, picture_pointer_y: at.y2 },
        };
    });
});

// A calm backdrop: a soft diagonal gradient with a faint grid line between cells.
const backdrop = (x, y) => {
    if (x % kCellW === 0 || y % kCellH === 0) return [205, 210, 218];
    const t = ((x % kCellW) + (y % kCellH)) / (kCellW + kCellH);
    return [Math.round(236 - 30 * t), Math.round(240 - 18 * t), Math.round(246 - 6 * t)];
};
// The popup: a small landscape of sky, sun and hills.
const view = (x, y) => {
    if ((x - 88) ** 2 + (y - 24) ** 2 < 150) return [255, 206, 84];
    if (y > 52 + 10 * Math.sin(x / 14)) return [76, 150 - (y - 52), 88];
    return [120 + y, 178 + y / 2, 236];
};

const folder = tempFolder('gallery');
try {
    const viewFile = path.join(folder, 'view.png');
    fs.writeFileSync(viewFile, encodePng(120, 80, view));
    const project = makeProject(path.join(folder, 'project'), {
        name: 'gallery', width, height, colour: backdrop, areaAt, areas, attach: { picture: [viewFile] },
    });
    const page = exportPage(project, path.join(folder, 'site', 'gallery.html'));
    const browser = await launchBrowser();
    const context = await browser.newContext({ viewport: { width: width + 200, height: height + 300 }, reducedMotion: 'reduce' });
    const p = await openPage(context, page);
    const origin = await p.evaluate(() => {
        const r = document.images[0].getBoundingClientRect();
        return [Math.round(r.left), Math.round(r.top)];
    });
    const sheet = Buffer.alloc(width * height * 3);
    for (let row = 0; row < styles.length; row++) {
        for (let column = 0; column < columns.length; column++) {
            const x = column * kCellW;
            const y = row * kCellH;
            await p.mouse.move(origin[0] + x + kCellW - 8, origin[1] + y + 8);
            await p.waitForFunction(() => document.querySelector('.vlm4-bubble, .vlm4-popup.vlm4-ready'));
            const tile = decodePng(await p.screenshot({ clip: { x: origin[0] + x, y: origin[1] + y, width: kCellW, height: kCellH } }));
            for (let ty = 0; ty < kCellH; ty++) {
                for (let tx = 0; tx < kCellW; tx++) sheet.set(tile.pixel(tx, ty), ((y + ty) * width + x + tx) * 3);
            }
        }
    }
    if (p.errors.length) console.error(p.errors.join('\n'));
    await browser.close();
    fs.mkdirSync(path.dirname(out), { recursive: true });
    fs.writeFileSync(out, encodePng(width, height, (x, y) => sheet.subarray((y * width + x) * 3, (y * width + x) * 3 + 3)));
    console.log(out);
} finally {
    fs.rmSync(folder, { recursive: true, force: true });
}
