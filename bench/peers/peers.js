// Runs one npm AAMVA parser on one kind of scan `count` times in one node process, or writes the same
// scans NUL-separated for `kestrin-decode --batch`. The parsers are loaded from NODE_PATH (run-peers.sh
// installs them outside the source tree).
//
// usage: node peers.js <aamva|parse-usdl|aamvajs|aamva-parser> <stripe|barcode|v10> <count>
//        node peers.js --write <stripe|barcode|v10> <count>
'use strict';

const scans = {
    stripe: '%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#0295814      C' +
        '               1508150BRNBLU?',
    barcode: '@\nANSI 636014DLDAQD1234567\nDAADOE,JOHN,Q\nDAG123 MAIN ST\nDAHAPT 5\nDAISACRAMENTO\nDAJCA\n' +
        'DAK95814\nDARC\nDASNONE\nDATNONE\nDAU508\nDAW150\nDBA20081215\nDBB19800615\nDBC1\nDBD20040115\n' +
        'DBHN\nDBJ00001\nDBK000000000\n',
    v10: '@\n\x1e\rANSI 636014100102DL00410325ZC03660007DLDAQM4821-5567-0093\nDCSMORALES\nDDEN\nDACISABEL\n' +
        'DDFN\nDADMARIA,LUZ\nDDGN\nDCU\nDCAC\nDCBNONE\nDCDNONE\nDBD03152022\nDBB07041999\nDBA07042030\nDBC2\n' +
        'DAU064 in\nDAYBRO\nDAG1450 OAK GROVE AVE\nDAIFRESNO\nDAJCA\nDAK937040000  \nDCF22A7Q91KD0H4\nDCGUSA\n' +
        'DAW130\nDAZBLK\nDCK22074M48215567009301\nDDAF\nDDB08292017\nDDD0\nDDH07042017\nDDI07042018\n' +
        'DDJ07042020\rZCZCAX\r',
};

function parser(name, kind) {
    switch (name) {
    case 'aamva': {
        const aamva = require('aamva');
        return kind === 'stripe' ? (s) => aamva.stripe(s) : (s) => aamva.pdf417(s);
    }
    case 'parse-usdl':
        return require('parse-usdl').parse;
    case 'aamvajs': {
        const AAMVA = require('aamvajs');
        return (s) => AAMVA.raw(s);
    }
    case 'aamva-parser':
        return require('aamva-parser').parse;
    default:
        throw new Error('no such parser: ' + name);
    }
}

const [what, kind, countText] = process.argv.slice(2);
const count = Number(countText);
const scan = scans[kind];
if (scan === undefined || !(count > 0)) {
    console.error('usage: node peers.js <parser>|--write <stripe|barcode|v10> <count>');
    process.exit(2);
}
if (what === '--write') {
    process.stdout.write((scan + '\0').repeat(count));
} else {
    const parse = parser(what, kind);
    let parsed = 0;
    let failed = 0;
    for (let i = 0; i < count; ++i) {
        try {
            if (parse(scan)) ++parsed;
        } catch (e) {
            ++failed;
        }
    }
    console.log(`${what} ${kind}: ${parsed} parsed, ${failed} failed`);
}
