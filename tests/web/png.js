// PNG reading and writing for the browser tests, with node's own zlib: 8-bit
// greyscale, RGB and RGBA images without interlacing, which is what the
// capture tool and a canvas write. Images are { width, height, rgba }.
'use strict';

const zlib = require('zlib');

const Signature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
const Channels = { 0: 1, 2: 3, 4: 2, 6: 4 };

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a);
  const pb = Math.abs(p - b);
  const pc = Math.abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes each row's filter in place; rows follow their filter byte.
function unfilter(data, width, height, bpp) {
  const stride = width * bpp;
  const out = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = data[y * (stride + 1)];
    const row = data.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const at = y * stride;
    for (let x = 0; x < stride; ++x) {
      const left = x >= bpp ? out[at + x - bpp] : 0;
      const up = y > 0 ? out[at - stride + x] : 0;
      const upLeft = y > 0 && x >= bpp ? out[at - stride + x - bpp] : 0;
      let value = row[x];
      if (filter === 1) value += left;
      else if (filter === 2) value += up;
      else if (filter === 3) value += (left + up) >> 1;
      else if (filter === 4) value += paeth(left, up, upLeft);
      else if (filter !== 0) throw new Error('png: unknown filter ' + filter);
      out[at + x] = value & 0xff;
    }
  }
  return out;
}

function decodePng(buffer) {
  if (!buffer.subarray(0, 8).equals(Signature)) throw new Error('png: not a PNG file');
  let width = 0;
  let height = 0;
  let colourType = 0;
  const parts = [];
  for (let at = 8; at < buffer.length;) {
    const length = buffer.readUInt32BE(at);
    const type = buffer.toString('ascii', at + 4, at + 8);
    const body = buffer.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      colourType = body[9];
      if (body[8] !== 8 || body[12] !== 0 || !(colourType in Channels)) {
        throw new Error('png: only 8-bit, non-interlaced grey, RGB and RGBA images are read');
      }
    } else if (type === 'IDAT') {
      parts.push(body);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  const bpp = Channels[colourType];
  const pixels = unfilter(zlib.inflateSync(Buffer.concat(parts)), width, height, bpp);
  const rgba = Buffer.alloc(width * height * 4);
  for (let i = 0; i < width * height; ++i) {
    const p = pixels.subarray(i * bpp, i * bpp + bpp);
    const grey = bpp <= 2;
    rgba[i * 4] = p[0];
    rgba[i * 4 + 1] = grey ? p[0] : p[1];
    rgba[i * 4 + 2] = grey ? p[0] : p[2];
    rgba[i * 4 + 3] = bpp === 4 ? p[3] : bpp === 2 ? p[1] : 255;
  }
  return { width, height, rgba };
}

const CrcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = CrcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, body) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(body.length, 0);
  head.write(type, 4, 'ascii');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), body])), 0);
  return Buffer.concat([head, body, crc]);
}

function encodePng({ width, height, rgba }) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;
  header[9] = 6;
  const raw = Buffer.alloc((width * 4 + 1) * height);
  for (let y = 0; y < height; ++y) rgba.copy(raw, y * (width * 4 + 1) + 1, y * width * 4, (y + 1) * width * 4);
  return Buffer.concat([Signature, chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(raw)),
    chunk('IEND', Buffer.alloc(0))]);
}

// The share of pixels whose red, green or blue differs by more than the
// tolerance (a fraction of full scale), and the largest difference seen.
function compareImages(a, b, tolerance = 0.1) {
  if (a.width !== b.width || a.height !== b.height) {
    throw new Error(`images differ in size: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  }
  const limit = tolerance * 255;
  let differing = 0;
  let largest = 0;
  for (let i = 0; i < a.width * a.height; ++i) {
    let worst = 0;
    for (let c = 0; c < 3; ++c) worst = Math.max(worst, Math.abs(a.rgba[i * 4 + c] - b.rgba[i * 4 + c]));
    if (worst > limit) ++differing;
    largest = Math.max(largest, worst);
  }
  return { differingShare: differing / (a.width * a.height), largest };
}

module.exports = { decodePng, encodePng, compareImages };
