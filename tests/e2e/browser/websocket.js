// The little of the WebSocket protocol (RFC 6455) the checks need: the handshake's answer to a
// key, and single-frame messages of either side (a browser masks its frames, a server does not).
'use strict';

const crypto = require('crypto');

// The fixed suffix the handshake hashes after the browser's key.
const HANDSHAKE_GUID = '258EAFA5-E914-47DA-95CA-C5AB0DC85B11';

const OPCODE_TEXT = 0x1;
const OPCODE_CLOSE = 0x8;

// The Sec-WebSocket-Accept value that answers a Sec-WebSocket-Key.
function acceptValue(key) {
  return crypto.createHash('sha1').update(key + HANDSHAKE_GUID).digest('base64');
}

// One final frame of opcode and payload (under 64 KiB), masked with a fresh key when `masked`.
function frame(opcode, payload, masked) {
  const length = payload.length;
  const [first, ...extended] = length < 126 ? [length] : [126, length >> 8, length & 0xff];
  const head = Buffer.from([0x80 | opcode, (masked ? 0x80 : 0) | first, ...extended]);
  if (!masked) return Buffer.concat([head, payload]);
  const mask = crypto.randomBytes(4);
  const body = Buffer.from(payload);
  for (let i = 0; i < body.length; i += 1) body[i] ^= mask[i % 4];
  return Buffer.concat([head, mask, body]);
}

// The next whole frame at the start of bytes as { opcode, masked, payload, size } with the
// payload unmasked and size the bytes it took, or null while the frame is incomplete.
function readFrame(bytes) {
  if (bytes.length < 2) return null;
  const masked = (bytes[1] & 0x80) !== 0;
  let length = bytes[1] & 0x7f;
  let at = 2;
  if (length === 126) {
    if (bytes.length < 4) return null;
    length = bytes.readUInt16BE(2);
    at = 4;
  } else if (length === 127) {
    if (bytes.length < 10) return null;
    length = Number(bytes.readBigUInt64BE(2));
    at = 10;
  }
  const mask = masked ? bytes.subarray(at, at + 4) : null;
  if (masked) at += 4;
  if (bytes.length < at + length) return null;
  const payload = Buffer.from(bytes.subarray(at, at + length));
  if (mask) for (let i = 0; i < payload.length; i += 1) payload[i] ^= mask[i % 4];
  return { opcode: bytes[0] & 0x0f, masked, payload, size: at + length };
}

module.exports = { OPCODE_TEXT, OPCODE_CLOSE, acceptValue, frame, readFrame };
