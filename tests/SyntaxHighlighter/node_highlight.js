// Runs the bundled highlight.js under Node.js the way the engine calls it, for the differential
// tests. Usage: node node_highlight.js <highlight.min.js> <input> <output>
// Input lines: "<language or -> <UTF-8 code in hex>". Output lines: the HTML in hex, or "-".
'use strict';
const fs = require('fs');
const vm = require('vm');

for (const name of ['log', 'info', 'warn', 'error', 'debug', 'trace'])
    console[name] = () => {};
vm.runInThisContext(fs.readFileSync(process.argv[2], 'utf8'));

const lines = fs.readFileSync(process.argv[3], 'utf8').split('\n').filter((line) => line.length > 0);
const results = lines.map((line) => {
    const [language, hex] = line.split(' ');
    const code = Buffer.from(hex || '', 'hex').toString('utf8');
    let result;
    if (language !== '-') {
        try {
            result = hljs.highlight(language, code, false);
        } catch (error) {
            result = undefined;
        }
    }
    if (result === undefined)
        result = hljs.highlightAuto(code);
    return result && typeof result.value === 'string' ? Buffer.from(result.value, 'utf8').toString('hex') : '-';
});
fs.writeFileSync(process.argv[4], results.join('\n') + '\n');
