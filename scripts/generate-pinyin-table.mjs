#!/usr/bin/env node
// Writes forms/patient_index/pinyin_table.cpp: up to three toneless pinyin
// readings of every code of the GB2312 Chinese-character area (first byte
// 0xB0-0xF7, second byte 0xA1-0xFE), taken from the npm package pinyin-pro.
//
// Run by hand when the table is to change, never at build time; the generated
// file is committed. pinyin-pro goes into a scratch folder, not the tree:
//
//   npm install --prefix /tmp/pinyin-pro pinyin-pro@3.29.4
//   node scripts/generate-pinyin-table.mjs /tmp/pinyin-pro
//
// The argument is the folder npm installed into. The script checks the pinned
// version, prints the figures the tests compare against, and lists every row of
// the hand-checked sample below whose first reading differs from the package.

import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const PACKAGE = 'pinyin-pro';
const VERSION = '3.29.4';
const MAX_READINGS = 3;

// Longest first, so that zh/ch/sh are not read as z/c/s.
const INITIALS = ['zh', 'ch', 'sh', 'b', 'p', 'm', 'f', 'd', 't', 'n', 'l', 'g', 'k', 'h',
                  'j', 'q', 'x', 'r', 'z', 'c', 's', 'y', 'w'];

// Radical components and 呒 get no entry although pinyin-pro reads them: they
// are not name characters, and their readings (丶 zhu, 氵 shui) are the
// names of the strokes, which would put a stray letter into the initials.
const NO_ENTRY = '丌丨丿丶匚刂冂亻勹亠冫冖讠卩阝廴艹扌彡犭夂饣忄丬氵宀辶彐纟巛攴攵灬礻肀钅衤呒';

// Common family names, and characters with several readings whose first reading
// decides their letter: character, the reading the initials must use.
const CHECKED = [
    ['张', 'zhang'], ['王', 'wang'], ['李', 'li'], ['赵', 'zhao'], ['陈', 'chen'],
    ['杨', 'yang'], ['黄', 'huang'], ['吴', 'wu'], ['刘', 'liu'], ['安', 'an'], ['欧', 'ou'],
    ['额', 'e'], ['爱', 'ai'], ['儿', 'er'], ['吕', 'lu'], ['长', 'chang'], ['重', 'zhong'],
    ['行', 'xing'], ['乐', 'le'], ['单', 'dan'], ['曾', 'ceng'], ['解', 'jie'], ['区', 'qu'],
    ['仇', 'chou'], ['朴', 'pu'], ['查', 'cha'], ['翟', 'zhai'], ['沈', 'shen'],
    ['种', 'zhong'], ['盖', 'gai'], ['尉', 'wei'], ['宿', 'su'], ['秘', 'mi'], ['员', 'yuan'],
    ['句', 'ju'],
];

function fail(message) {
    console.error(`generate-pinyin-table: ${message}`);
    process.exit(1);
}

const prefix = process.argv[2];
if (!prefix) fail('usage: node scripts/generate-pinyin-table.mjs <folder pinyin-pro is in>');
const require = createRequire(path.join(path.resolve(prefix), 'package.json'));
const packageDir = path.dirname(require.resolve(`${PACKAGE}/package.json`));
const manifest = JSON.parse(readFileSync(path.join(packageDir, 'package.json'), 'utf8'));
if (manifest.version !== VERSION) fail(`${PACKAGE} ${manifest.version} found, ${VERSION} expected`);
const { pinyin } = require(PACKAGE);
const copyright = readFileSync(path.join(packageDir, 'LICENSE'), 'utf8')
    .split('\n').find((line) => line.startsWith('Copyright'));
if (!copyright) fail(`no copyright line in the ${PACKAGE} licence`);

// All 6768 codes in one iconv call; GB18030 rather than GB2312 so that the five
// unassigned codes at the end of row 0xD7 decode too (to private-use points).
const codes = [];
for (let lead = 0xb0; lead <= 0xf7; ++lead)
    for (let trail = 0xa1; trail <= 0xfe; ++trail) codes.push([lead, trail]);
const decoded = [...execFileSync('iconv', ['-f', 'GB18030', '-t', 'UTF-8'],
                                 { input: Buffer.from(codes.flat()) }).toString('utf8')];
if (decoded.length !== codes.length)
    fail(`iconv gave ${decoded.length} characters for ${codes.length} codes`);

const unassigned = (lead, trail) => lead === 0xd7 && trail >= 0xfa;
const noEntry = new Set(NO_ENTRY);
if (noEntry.size !== 38) fail(`${noEntry.size} no-entry characters, 38 expected`);

// The final is the rest as the package spells it: "u" in qu, "ü" in lü, empty in m.
function split(reading) {
    const initial = INITIALS.find((i) => reading.startsWith(i)) ?? '';
    return [initial, reading.slice(initial.length)];
}

// Without tones several readings can fall together (朴 pǔ pò pō piáo); each is kept once.
function readingsOf(ch) {
    const all = pinyin(ch, { multiple: true, toneType: 'none', type: 'array' });
    return [...new Set(all)].slice(0, MAX_READINGS);
}

const table = [];  // per code: list of readings, empty for no entry
let seenNoEntry = 0;
for (let i = 0; i < codes.length; ++i) {
    const [lead, trail] = codes[i];
    const ch = decoded[i];
    const cp = ch.codePointAt(0);
    if (unassigned(lead, trail)) {
        table.push([]);
        continue;
    }
    if (cp < 0x4e00 || cp > 0x9fff)
        fail(`code ${lead.toString(16)}${trail.toString(16)} is U+${cp.toString(16)}`);
    if (noEntry.has(ch)) {
        ++seenNoEntry;
        table.push([]);
        continue;
    }
    const readings = readingsOf(ch);
    for (const r of readings)
        if (!/^[a-zü]+$/.test(r)) fail(`${ch}: unexpected reading "${r}"`);
    if (readings.length === 0) fail(`${ch}: no reading`);
    table.push(readings);
}
if (seenNoEntry !== noEntry.size)
    fail(`only ${seenNoEntry} of the no-entry characters are in the area`);

const charIndex = new Map(decoded.map((ch, i) => [ch, i]));
const differences = [];
for (const [ch, expected] of CHECKED) {
    const got = table[charIndex.get(ch)][0];
    if (got === expected) continue;
    const letter = got[0] === expected[0] ? 'same letter' : 'LETTER DIFFERS';
    differences.push(`${ch}: package ${got}, checked ${expected} (${letter})`);
}

// Interned readings, sorted so the list reads like a syllable chart; 0 means none.
const syllables = [...new Set(table.flat())].sort();
const syllableIndex = new Map(syllables.map((s, i) => [s, i + 1]));
const multiReadingCount = table.filter((r) => r.length > 1).length;
const letters = new Set(table.filter((r) => r.length).map((r) => r[0][0]));

// ---- output ----------------------------------------------------------------
const out = [];
const wrap = (items, indent, width = 100) => {
    const lines = [];
    let line = indent;
    for (const item of items) {
        if (line.length + item.length + 1 > width && line.trim()) {
            lines.push(line.trimEnd());
            line = indent;
        }
        line += item + ' ';
    }
    if (line.trim()) lines.push(line.trimEnd());
    return lines;
};

out.push('// Generated by scripts/generate-pinyin-table.mjs from the npm package',
         `// ${PACKAGE} ${manifest.version}, ${manifest.license} licence, ${copyright}.`,
         '// Do not edit; run the script again.',
         '//',
         `// Up to ${MAX_READINGS} toneless readings of each code of the GB2312 Chinese-character`,
         '// area, in the package\'s order, first reading first. No entry for the five unassigned codes',
         `// 0xD7FA-0xD7FE and for ${NO_ENTRY}.`,
         `// ${syllables.length} distinct readings; ${multiReadingCount} codes have more than one.`,
         '',
         '#include "forms/patient_index/pinyin_table.h"',
         '',
         '#include <algorithm>',
         '#include <cstdint>',
         '#include <iterator>',
         '',
         'namespace rx::patient_index {',
         '',
         `extern const int kMultiReadingCodeCount = ${multiReadingCount};`,
         '',
         'namespace {',
         '',
         '// Reading n is kReadings[n - 1].',
         'constexpr PinyinReading kReadings[] = {');
out.push(...wrap(syllables.map((s) => {
    const [i, f] = split(s);
    return `{"${i}", "${f}"},`;
}), '    '));
out.push('};',
         '',
         '// First reading of each code, 94 to a row; 0 is no entry.',
         `constexpr std::uint16_t kFirstReading[${codes.length}] = {`);
for (let row = 0; row < codes.length / 94; ++row) {
    const slice = table.slice(row * 94, row * 94 + 94);
    const lead = (0xb0 + row).toString(16).toUpperCase();
    out.push(`    // 0x${lead}: ${decoded[row * 94]} … ${decoded[row * 94 + 93]}`);
    out.push(...wrap(slice.map((r) => `${r.length ? syllableIndex.get(r[0]) : 0},`), '    '));
}
out.push('};',
         '',
         '// The further readings of the codes that have them, by code.',
         'struct FurtherReadings {',
         '    std::uint16_t code;  // (lead - 0xB0) * 94 + (trail - 0xA1)',
         '    std::uint16_t second;',
         '    std::uint16_t third;  // 0 when there is none',
         '};',
         'constexpr FurtherReadings kFurther[] = {');
out.push(...wrap(table.flatMap((r, code) => r.length > 1
    ? [`{${code}, ${syllableIndex.get(r[1])}, ${r.length > 2 ? syllableIndex.get(r[2]) : 0}},`]
    : []), '    '));
out.push('};',
         '',
         '}  // namespace',
         '',
         'CodeReadings gb2312Readings(unsigned char lead, unsigned char trail) {',
         '    CodeReadings result;',
         '    if (!isGb2312HanziCode(lead, trail)) return result;',
         '    const auto code = std::uint16_t((lead - 0xB0) * 94 + (trail - 0xA1));',
         '    const auto add = [&](std::uint16_t n) {',
         '        if (n != 0) result.readings[std::size_t(result.count++)] = kReadings[n - 1];',
         '    };',
         '    add(kFirstReading[code]);',
         '    const auto* further = std::lower_bound(',
         '        std::begin(kFurther), std::end(kFurther), code,',
         '        [](const FurtherReadings& f, std::uint16_t c) { return f.code < c; });',
         '    if (further != std::end(kFurther) && further->code == code) {',
         '        add(further->second);',
         '        add(further->third);',
         '    }',
         '    return result;',
         '}',
         '',
         '}  // namespace rx::patient_index',
         '');

const here = path.dirname(fileURLToPath(import.meta.url));
const target = path.join(here, '..', 'forms', 'patient_index', 'pinyin_table.cpp');
writeFileSync(target, out.join('\n'));

console.log(`wrote ${path.relative(process.cwd(), target)} from ${PACKAGE} ${manifest.version}`);
console.log(`codes with an entry: ${table.filter((r) => r.length).length} of ${codes.length}`);
console.log(`distinct readings: ${syllables.length}`);
console.log(`codes with more than one reading: ${multiReadingCount}`);
console.log(`first letters: ${[...letters].sort().join('')} (${letters.size})`);
console.log(differences.length ? `checked rows that differ:\n  ${differences.join('\n  ')}`
                               : 'every checked row matches');
