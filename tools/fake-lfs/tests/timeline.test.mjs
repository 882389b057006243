// The timeline's lanes, derived from a recorded drive under Wine (key presses
// noted by the driver, light and switch packets as Beaconix sent them).
import assert from 'node:assert/strict';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { deriveLanes, readLog, renderSvg } from '../timeline.mjs';

const log = readLog(path.join(path.dirname(fileURLToPath(import.meta.url)), 'data', 'drive.jsonl'));

test('lanes follow the change bits of the packets of one connection', () => {
  const model = deriveLanes(log, { conn: 2 });
  const lane = (name) => model.lanes.find((l) => l.name === name).changes.map((c) => [c.t, c.value]);
  // Classic with hazards: full beam and the hazards alternate.
  assert.deepEqual(lane('Headlights').slice(0, 3), [[93373, 'full'], [93873, null], [94373, 'full']]);
  assert.deepEqual(lane('Left indicator').slice(0, 2), [[93873, 'on'], [94373, null]]);
  assert.deepEqual(lane('Right indicator').slice(0, 2), [[93873, 'on'], [94373, null]]);
  assert.deepEqual(lane('Siren'), [[96316, 'Wail'], [98571, 'Yelp']]);
  // A press sounds the horn until the tap is recognised; the held key gives the bullhorn.
  assert.deepEqual(lane('Horn'), [[96170, 'horn 1'], [96316, null], [98419, 'horn 1'], [98571, null],
    [101229, 'horn 1'], [101427, 'bullhorn'], [102471, null]]);
  // The other connection's extra light is not this drive's.
  assert.deepEqual(lane('Extra light'), []);
  assert.deepEqual(model.marks.map((m) => m.label), ['PageDown: flashing lights', 'PageUp: Wail', 'PageUp: Yelp',
    'PageUp held: bullhorn', 'chat: bnx lightsmode 1']);
  assert.equal(model.end, 103000);
  assert.match(renderSvg(model), /^<svg[^]*bullhorn[^]*<\/svg>$/);
});
