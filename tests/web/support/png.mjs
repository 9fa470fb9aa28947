// Reads and writes 8-bit RGB/RGBA PNG files: fixture pictures for the exporter and the
// screenshots that Chromium takes.
import zlib from 'node:zlib';

const kSignature = Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]);

const crcTable = new Int32Array(256).map((_, n) => {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c;
});

function crc32(bytes) {
    let c = -1;
    for (const b of bytes) c = crcTable[(c ^ b) & 255] ^ (c >>> 8);
    return (c ^ -1) >>> 0;
}

function chunk(type, data) {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length, 0);
    head.write(type, 4, 'latin1');
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
    return Buffer.concat([head, data, crc]);
}

// pixel(x, y) returns [r, g, b]; the file is RGB without filtering.
export function encodePng(width, height, pixel) {
    const raw = Buffer.alloc((width * 3 + 1) * height);
    for (let y = 0; y < height; y++) {
        const row = y * (width * 3 + 1);
        for (let x = 0; x < width; x++) raw.set(pixel(x, y), row + 1 + x * 3);
    }
    const header = Buffer.alloc(13);
    header.writeUInt32BE(width, 0);
    header.writeUInt32BE(height, 4);
    header.set([8, 2, 0, 0, 0], 8);
    return Buffer.concat([kSignature, chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(raw)),
        chunk('IEND', Buffer.alloc(0))]);
}

// Returns { width, height, pixel(x, y) -> [r, g, b] } for 8-bit RGB or RGBA, not interlaced.
export function decodePng(file) {
    if (!file.subarray(0, 8).equals(kSignature)) throw new Error('not a PNG file');
    let at = 8;
    let width = 0;
    let height = 0;
    let channels = 0;
    const idat = [];
    while (at < file.length) {
        const length = file.readUInt32BE(at);
        const type = file.toString('latin1', at + 4, at + 8);
        const data = file.subarray(at + 8, at + 8 + length);
        if (type === 'IHDR') {
            width = data.readUInt32BE(0);
            height = data.readUInt32BE(4);
            if (data[8] !== 8 || data[12] !== 0) throw new Error('unsupported PNG layout');
            channels = { 2: 3, 6: 4 }[data[9]];
            if (!channels) throw new Error(`unsupported PNG colour type ${data[9]}`);
        } else if (type === 'IDAT') {
            idat.push(data);
        }
        at += 12 + length;
    }
    const raw = zlib.inflateSync(Buffer.concat(idat));
    const stride = width * channels;
    const out = Buffer.alloc(stride * height);
    for (let y = 0; y < height; y++) {
        const filter = raw[y * (stride + 1)];
        const src = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        const row = out.subarray(y * stride, (y + 1) * stride);
        const up = y ? out.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
        for (let i = 0; i < stride; i++) {
            const a = i >= channels ? row[i - channels] : 0;
            const b = up[i];
            const c = i >= channels ? up[i - channels] : 0;
            let v = src[i];
            if (filter === 1) v += a;
            else if (filter === 2) v += b;
            else if (filter === 3) v += (a + b) >> 1;
            else if (filter === 4) {
                const p = a + b - c;
                const pa = Math.abs(p - a);
                const pb = Math.abs(p - b);
                const pc = Math.abs(p - c);
                v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            }
            row[i] = v & 255;
        }
    }
    return {
        width,
        height,
        pixel(x, y) {
            const i = y * stride + x * channels;
            return [out[i], out[i + 1], out[i + 2]];
        },
    };
}
