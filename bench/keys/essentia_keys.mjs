// Runs Essentia's KeyExtractor (npm essentia.js 0.1.3, under node) on audio files, as the
// established detector that our estimator is measured against. Prints the same columns as
// orv_key: path, verdict, tonic, mode, signature, confidence (Essentia's strength), seconds
// (decode + key). Essentia always names a key, so the verdict is always "key".
//
//   node bench/keys/essentia_keys.mjs [--profile bgate[,edma,...]] FILE...
//
// With several profiles each file is decoded once and one line per profile is printed, the
// profile appended as an eighth column. Essentia is loaded from ESSENTIA_NODE (default
// /work/essentia-node, where `npm install essentia.js@0.1.3` put it); it never ships.
import { createRequire } from 'node:module';
import { spawnSync } from 'node:child_process';
import path from 'node:path';

const base = process.env.ESSENTIA_NODE || '/work/essentia-node';
const require = createRequire(path.join(base, 'package.json'));
const esLib = require('essentia.js');
const essentia = new esLib.Essentia(esLib.EssentiaWASM);

const PITCH = { C: 0, 'C#': 1, Db: 1, D: 2, 'D#': 3, Eb: 3, E: 4, F: 5, 'F#': 6, Gb: 6, G: 7, 'G#': 8, Ab: 8, A: 9,
                'A#': 10, Bb: 10, B: 11 };

let profiles = ['bgate'];
const files = [];
const args = process.argv.slice(2);
for (let i = 0; i < args.length; i++) {
    if (args[i] === '--profile') profiles = args[++i].split(',');
    else files.push(args[i]);
}
if (files.length === 0) {
    console.error('usage: node essentia_keys.mjs [--profile bgate[,edma,...]] FILE...');
    process.exit(2);
}

const RATE = 44100;
for (const file of files) {
    const t0 = process.hrtime.bigint();
    const sox = spawnSync('sox', [file, '-t', 'f32', '-c', '1', '-r', String(RATE), '-'],
                          { maxBuffer: 1 << 30 });
    if (sox.status !== 0) {
        console.log([file, 'error', '-', '-', '-', '0', '0'].join('\t'));
        continue;
    }
    const buf = sox.stdout;
    const samples = new Float32Array(buf.buffer, buf.byteOffset, Math.floor(buf.length / 4));
    const decodeNs = process.hrtime.bigint() - t0;
    const vector = essentia.arrayToVector(samples);
    for (const profile of profiles) {
        const t1 = process.hrtime.bigint();
        // The documented defaults, the profile aside.
        const r = essentia.KeyExtractor(vector, true, 4096, 4096, 12, 3500, 60, 25, 0.2, profile, RATE, 0.0001, 440,
                                        'cosine', 'hann');
        const ns = decodeNs + (process.hrtime.bigint() - t1);
        const tonic = PITCH[r.key];
        const minor = r.scale === 'minor';
        const signature = tonic === undefined ? '-' : String(minor ? (tonic + 3) % 12 : tonic);
        const cols = [file, 'key', tonic === undefined ? '-' : String(tonic), minor ? 'minor' : 'major', signature,
                      r.strength.toFixed(3), (Number(ns) / 1e9).toFixed(3)];
        if (profiles.length > 1) cols.push(profile);
        console.log(cols.join('\t'));
    }
    vector.delete();
}
