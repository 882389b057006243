// Packet encoding and decoding for the simulated host, built on node-insim's
// packet classes so that their layouts, not ours, judge what goes over the wire.
//
// node-insim is a client library: its classes pack what a client sends and
// unpack what LFS sends. The host needs the opposite directions:
// - decoding client packets (IS_ISI, IS_TINY, IS_SMALL, IS_MSL, IS_BFN, IS_BTN):
//   every node-insim class carries its field layout for unpack, so these decode
//   with the class's own unpack; IS_BTN's variable text is given its length from
//   the received Size, as node-insim does for IS_MSO.
// - encoding LFS packets that node-insim only receives (IS_VER, IS_STA, IS_NCN,
//   IS_NPL, IS_CPR, IS_MSO, IS_BTC): these classes have no pack of their own, so
//   the generic SendablePacket.pack is applied to the class's field layout;
//   IS_MSO's text field is sized here (8 + text rounded up to 4, at most 136).
import * as P from 'node-insim/packets';

const { PacketType, TinyType, SmallType, ButtonFunction, InSimFlags, LocalCarLights, LocalCarSwitches } = P;

export const TYPE_NAMES = Object.fromEntries(
  Object.entries(PacketType)
    .filter(([, v]) => typeof v === 'number')
    .map(([k, v]) => [v, k.replace(/^ISP_/, 'IS_')]),
);
const TYPE_BY_NAME = Object.fromEntries(Object.entries(TYPE_NAMES).map(([v, k]) => [k, Number(v)]));

// Lengths Beaconix may send; anything else is reported as an error line.
const EXPECTED_LENGTH = { 1: [44], 3: [4], 4: [8], 40: [132], 42: [8] };
const BTN_MIN = 16;
const BTN_MAX = 252;

const SUBTYPE_ENUMS = { 3: TinyType, 4: SmallType, 42: ButtonFunction };

export function typeNumber(name) {
  if (typeof name === 'number') return name;
  const n = TYPE_BY_NAME[name];
  if (n === undefined) throw new Error(`unknown packet type ${name}`);
  return n;
}

export function subTypeNumber(type, name) {
  if (typeof name === 'number') return name;
  const e = SUBTYPE_ENUMS[typeNumber(type)];
  if (!e || e[name] === undefined) throw new Error(`unknown sub-type ${name} for ${type}`);
  return e[name];
}

export function subTypeName(type, value) {
  const e = SUBTYPE_ENUMS[type];
  return e ? (e[value] ?? `unknown(${value})`) : undefined;
}

const hex = (bytes) => Buffer.from(bytes).toString('hex');
const hex32 = (v) => '0x' + (v >>> 0).toString(16).padStart(8, '0');

// Names of the groups set in a SMALL_LCL / SMALL_LCS value: each group has a
// "set" bit in the low byte and a value field above it.
function bitGroups(uval, table) {
  const groups = new Map();
  for (const [name, value] of Object.entries(table)) {
    if (typeof value !== 'number') continue;
    const set = value & 0xff;
    const g = groups.get(set) ?? { mask: 0, names: new Map() };
    g.mask |= value & ~0xff;
    g.names.set(value, name);
    groups.set(set, g);
  }
  const out = [];
  let known = 0;
  for (const [set, g] of groups) {
    known |= set | g.mask;
    if (uval & set) {
      const v = set | (uval & g.mask);
      out.push(g.names.get(v) ?? `set ${hex32(set)} value ${hex32(uval & g.mask)}`);
    }
  }
  const unknown = (uval & ~known) >>> 0;
  if (unknown) out.push(`unknown bits ${hex32(unknown)}`);
  return out;
}

function flagNames(value, table) {
  const out = [];
  let rest = value;
  for (const [name, bit] of Object.entries(table)) {
    if (typeof bit !== 'number' || bit === 0) continue;
    if ((value & bit) === bit) {
      out.push(name);
      rest &= ~bit;
    }
  }
  if (rest) out.push(`unknown ${rest}`);
  return out;
}

// Bytes of a text field up to its first zero, as a string of chars 0..255.
function rawText(raw) {
  if (typeof raw !== 'string') return raw;
  const z = raw.indexOf('\0');
  return z < 0 ? raw : raw.slice(0, z);
}

// IS_BTN text: with TypeIn set and a leading zero, a caption comes first.
export function splitButtonText(textBytes, typeIn) {
  const b = Buffer.from(textBytes);
  const zeroAt = (from) => {
    const i = b.indexOf(0, from);
    return i < 0 ? b.length : i;
  };
  let p = 0;
  let caption;
  if (typeIn !== 0 && b.length > 0 && b[0] === 0) {
    const end = zeroAt(1);
    caption = b.subarray(1, end).toString('latin1');
    p = Math.min(end + 1, b.length);
  }
  const text = b.subarray(p, zeroAt(p)).toString('latin1');
  return { caption, text };
}

// The header fields and the bytes of a packet, as the log shows them.
function describeHeader(buf) {
  const type = buf[1];
  const out = {
    type: TYPE_NAMES[type] ?? `unknown(${type})`,
    typeNum: type,
    ReqI: buf[2],
    size: buf.length,
    sizeByte: buf[0],
    hex: hex(buf),
  };
  const st = subTypeName(type, buf[3]);
  if (st !== undefined) {
    out.subT = st;
    out.subTNum = buf[3];
  }
  return out;
}

// Decodes one framed packet that the client sent. Never throws: problems are
// returned in `errors`.
export function decodeClientPacket(bytes, unit) {
  const buf = new Uint8Array(bytes); // node-insim unpacks from .buffer: needs its own
  const type = buf[1];
  const out = describeHeader(buf);
  const errors = [];

  if (unit === 1 && buf.length % 4 !== 0) errors.push(`length ${buf.length} is not a multiple of 4`);
  const exp = EXPECTED_LENGTH[type];
  if (exp && !exp.includes(buf.length)) errors.push(`${out.type} length ${buf.length}, expected ${exp.join(' or ')}`);
  if (type === PacketType.ISP_BTN && (buf.length < BTN_MIN || buf.length > BTN_MAX || buf.length % 4 !== 0)) {
    errors.push(`IS_BTN length ${buf.length} outside 16..252 or not a multiple of 4`);
  }

  const Cls = P.packetTypeToClass[type];
  if (!Cls) {
    errors.push(`no layout for packet type ${type}`);
    out.errors = errors;
    return out;
  }
  try {
    const pkt = new Cls();
    pkt.SIZE_MULTIPLIER = unit;
    let overrides;
    let full = buf;
    if (type === PacketType.ISP_BTN) {
      overrides = { Text: `${Math.max(0, buf.length - 12)}s` };
      if (buf.length < 12) full = padTo(buf, 12);
    } else {
      const need = pkt.getFormatSize();
      if (buf.length < need) full = padTo(buf, need); // missing fields read as zero
    }
    if (Cls === P.IS_MSO) pkt.unpack(full);
    else P.Struct.prototype.unpack.call(pkt, full, overrides);
    out.fields = fieldsOf(pkt);
  } catch (e) {
    errors.push(`decode failed: ${e.message}`);
  }

  if (out.fields) annotate(out, buf);
  if (errors.length) out.errors = errors;
  return out;
}

function padTo(buf, n) {
  const b = new Uint8Array(n);
  b.set(buf);
  return b;
}

function fieldsOf(pkt) {
  const f = {};
  for (const name of pkt.getValidPropertyNames()) {
    if (name === 'Size' || name === 'Type' || name === 'ReqI') continue;
    let v = pkt[name];
    if (typeof v === 'string') v = rawText(v);
    f[name] = v;
    if (typeof v === 'string' && pkt._raw && pkt._raw[name] !== undefined) {
      const r = rawText(pkt._raw[name]);
      if (r !== v) f[`${name}Bytes`] = r; // the bytes as chars 0..255 when decoding changed them
    }
  }
  return f;
}

function annotate(out, buf) {
  const f = out.fields;
  switch (out.typeNum) {
    case PacketType.ISP_ISI:
      f.FlagNames = flagNames(f.Flags, InSimFlags);
      break;
    case PacketType.ISP_SMALL:
      f.UValHex = hex32(f.UVal);
      if (f.SubT === SmallType.SMALL_LCL) f.UValNames = bitGroups(f.UVal, LocalCarLights);
      if (f.SubT === SmallType.SMALL_LCS) f.UValNames = bitGroups(f.UVal, LocalCarSwitches);
      out.UVal = f.UVal;
      out.UValHex = f.UValHex;
      break;
    case PacketType.ISP_MSL:
      f.MsgDecoded = f.Msg; // node-insim's reading, codepages turned into Unicode
      f.Msg = rawText(Buffer.from(buf.subarray(4)).toString('latin1'));
      f.MsgBytes = undefined;
      break;
    case PacketType.ISP_BTN: {
      const { caption, text } = splitButtonText(buf.subarray(12), f.TypeIn);
      f.TextDecoded = f.Text; // node-insim's reading of the whole field
      f.Text = text; // the bytes as chars 0..255, colour codes kept
      if (caption !== undefined) f.Caption = caption;
      f.TextBytes = undefined;
      break;
    }
    default:
  }
  for (const k of Object.keys(f)) if (f[k] === undefined) delete f[k];
}

// Encodes a packet that LFS would send, sized for `unit`. `desc` names the type
// and node-insim field names; the rest default to zero/empty.
export function encodeHostPacket(desc, unit) {
  if (desc.hex !== undefined) return Buffer.from(String(desc.hex).replace(/\s+/g, ''), 'hex');
  const type = typeNumber(desc.type);
  const Cls = P.packetTypeToClass[type];
  if (!Cls) throw new Error(`no layout for ${desc.type}`);
  const fields = { ...desc };
  delete fields.type;
  if (fields.SubT !== undefined) fields.SubT = subTypeNumber(type, fields.SubT);
  const pkt = new Cls();
  Object.assign(pkt, defaultsFor(type), fields);
  pkt.SIZE_MULTIPLIER = unit;
  let overrides;
  if (type === PacketType.ISP_MSO) {
    const textLen = Buffer.byteLength(String(pkt.Msg ?? ''), 'latin1');
    const msgSize = Math.min(128, (Math.floor(textLen / 4) + 1) * 4);
    pkt.Size = 8 + msgSize;
    overrides = { Msg: `${msgSize}S` };
  }
  const bytes = typeof Cls.prototype.pack === 'function' && type !== PacketType.ISP_MSO
    ? pkt.pack()
    : P.SendablePacket.prototype.pack.call(pkt, overrides);
  return Buffer.from(bytes);
}

function defaultsFor(type) {
  switch (type) {
    case PacketType.ISP_MSO:
      return { UserType: P.UserType.MSO_O, Msg: '' };
    case PacketType.ISP_BFN:
      return { SubT: ButtonFunction.BFN_USER_CLEAR };
    case PacketType.ISP_NPL:
      return { PLID: 1, CName: 'XRT' };
    case PacketType.ISP_BTC:
      return { ReqI: 1 };
    default:
      return {};
  }
}

// Decodes a packet the host itself sent, for the log: the host's bytes read
// back through node-insim's receive layouts.
export function decodeHostPacket(bytes, unit) {
  const buf = new Uint8Array(bytes);
  const type = buf[1];
  const out = describeHeader(buf);
  const Cls = P.packetTypeToClass[type];
  if (!Cls || buf.length < 4) return out;
  try {
    const pkt = new Cls();
    pkt.SIZE_MULTIPLIER = unit;
    const need = type === PacketType.ISP_MSO ? 8 : pkt.getFormatSize();
    const full = buf.length < need ? padTo(buf, need) : buf;
    if (Cls === P.IS_MSO) {
      P.Struct.prototype.unpack.call(pkt, full, { Msg: `${Math.max(0, full.length - 8)}s` });
    } else {
      P.Struct.prototype.unpack.call(pkt, full);
    }
    out.fields = fieldsOf(pkt);
  } catch (e) {
    out.decodeError = e.message;
  }
  return out;
}
