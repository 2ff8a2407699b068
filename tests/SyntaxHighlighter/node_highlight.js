// Runs the bundled highlight.js under Node.js the way the engine calls it, for the differential
// tests, and styles its output with the CSS cascade of the given stylesheets as a reference.
// Usage: node node_highlight.js <highlight.min.js> <input> <output> [<stylesheet.css>...]
// Input lines: "<language or -> <UTF-8 code in hex>". Output lines: the HTML in hex, or "-"; then,
// for each stylesheet, a blank and the style of every UTF-16 unit of the highlighted text as runs
// "<units>:<colour>:<background>:<b|i|bi|n>" joined by ",", colours as six hex digits or "-".
'use strict';
const fs = require('fs');
const vm = require('vm');

for (const name of ['log', 'info', 'warn', 'error', 'debug', 'trace'])
    console[name] = () => {};
vm.runInThisContext(fs.readFileSync(process.argv[2], 'utf8'));

// The reference reads only what the compared stylesheets use and throws on anything else, so that
// it never agrees with the engine by sharing a guess: rules of selector lists, each selector made of
// compounds (an optional type and classes) joined by blanks, and plain declarations.
function readStylesheet(css) {
    const rules = [];
    let order = 0;
    const text = css.replace(/\/\*[\s\S]*?\*\//g, '');
    for (const match of text.matchAll(/([^{}]*)\{([^{}]*)\}/g)) {
        const prelude = match[1].trim();
        if (prelude.startsWith('@'))
            throw new Error(`at-rule not supported by the reference: ${prelude}`);
        const selectors = prelude.split(',').map(readSelector);
        const declarations = [];
        for (const declaration of match[2].split(';')) {
            if (declaration.trim() === '')
                continue;
            const colon = declaration.indexOf(':');
            if (colon < 0)
                throw new Error(`unreadable declaration: ${declaration}`);
            const name = declaration.slice(0, colon).trim().toLowerCase();
            const value = declaration.slice(colon + 1).trim();
            if (value.includes('!'))
                throw new Error(`!important not supported by the reference: ${declaration}`);
            declarations.push({ name, value, order: order++ });
        }
        rules.push({ selectors, declarations });
    }
    if (text.replace(/([^{}]*)\{([^{}]*)\}/g, '').trim() !== '')
        throw new Error('stylesheet text outside plain rules');
    return rules;
}

function readSelector(text) {
    const compounds = text.trim().split(/\s+/).map((compound) => {
        const match = /^([a-z]+)?((?:\.[A-Za-z0-9_-]+)*)$/.exec(compound);
        if (!match || compound === '')
            throw new Error(`selector not supported by the reference: ${text}`);
        return { type: match[1], classes: match[2].split('.').slice(1) };
    });
    const classes = compounds.reduce((sum, c) => sum + c.classes.length, 0);
    const types = compounds.filter((c) => c.type).length;
    return { compounds, specificity: [0, classes, types] };
}

function compoundMatches(compound, element) {
    return (!compound.type || compound.type === element.type) &&
        compound.classes.every((name) => element.classes.includes(name));
}

// Whether compounds[0..last] match with compounds[last] on element and the earlier ones on its
// ancestors, in order (the descendant combinator).
function selectorMatches(compounds, last, element) {
    if (!compoundMatches(compounds[last], element))
        return false;
    if (last === 0)
        return true;
    for (let ancestor = element.parent; ancestor; ancestor = ancestor.parent)
        if (selectorMatches(compounds, last - 1, ancestor))
            return true;
    return false;
}

function compareSpecificity(a, b) {
    for (let i = 0; i < 3; ++i)
        if (a[i] !== b[i])
            return a[i] - b[i];
    return 0;
}

// The declared value of each property on one element: of all matching declarations, the one with
// the most specific selector, the later one on a tie.
function cascadedValues(rules, element) {
    const winners = new Map();
    for (const rule of rules) {
        for (const selector of rule.selectors) {
            if (!selectorMatches(selector.compounds, selector.compounds.length - 1, element))
                continue;
            for (const declaration of rule.declarations) {
                for (const [name, value] of longhands(declaration)) {
                    const best = winners.get(name);
                    const order = compareSpecificity(selector.specificity, best ? best.specificity : [-1, 0, 0]);
                    if (!best || order > 0 || (order === 0 && declaration.order > best.order))
                        winners.set(name, { value, specificity: selector.specificity, order: declaration.order });
                }
            }
        }
    }
    return new Map([...winners].map(([name, winner]) => [name, winner.value]));
}

function longhands(declaration) {
    if (declaration.name !== 'background')
        return [[declaration.name, declaration.value]];
    const colours = declaration.value.split(/\s+/).filter((token) => token.startsWith('#'));
    if (colours.length !== 1)
        throw new Error(`background not supported by the reference: ${declaration.value}`);
    return [['background-color', colours[0]]];
}

function hexColour(value) {
    if (/^#[0-9a-fA-F]{6}$/.test(value))
        return value.slice(1).toLowerCase();
    if (/^#[0-9a-fA-F]{3}$/.test(value))
        return [...value.slice(1).toLowerCase()].map((digit) => digit + digit).join('');
    throw new Error(`colour not supported by the reference: ${value}`);
}

// The computed style of an element: colour and font inherit, the background shows through from
// the nearest element that has one.
function computedStyle(rules, element, parentStyle) {
    const values = cascadedValues(rules, element);
    const weight = values.get('font-weight');
    const style = values.get('font-style');
    const background = values.get('background-color');
    return {
        colour: values.has('color') ? hexColour(values.get('color')) : parentStyle.colour,
        background: background ? hexColour(background) : parentStyle.background,
        bold: weight ? weight === 'bold' || weight === 'bolder' || Number(weight) >= 600 : parentStyle.bold,
        italic: style ? style === 'italic' || style === 'oblique' : parentStyle.italic,
    };
}

const entities = { '&amp;': '&', '&lt;': '<', '&gt;': '>', '&quot;': '"', '&#x27;': "'" };

// The script's HTML inside <pre><code class="hljs">, each UTF-16 unit of its text with the style
// of its element.
function styleUnits(html, rules) {
    const pre = { type: 'pre', classes: [], parent: null };
    const code = { type: 'code', classes: ['hljs'], parent: pre };
    const root = { colour: '-', background: '-', bold: false, italic: false };
    const stack = [{ element: code, style: computedStyle(rules, code, computedStyle(rules, pre, root)) }];
    const units = [];
    const token = /<span class="([^"]*)">|<\/span>|(&[#a-z0-9]+;)|([^<&]+)/gy;
    let match;
    while (token.lastIndex < html.length && (match = token.exec(html))) {
        const top = stack[stack.length - 1];
        if (match[1] !== undefined) {
            const element = { type: 'span', classes: match[1].split(/\s+/), parent: top.element };
            stack.push({ element, style: computedStyle(rules, element, top.style) });
        } else if (match[0] === '</span>') {
            stack.pop();
        } else {
            const text = match[2] !== undefined ? entities[match[2]] : match[3];
            if (text === undefined)
                throw new Error(`entity not expected in the script's output: ${match[2]}`);
            for (let i = 0; i < text.length; ++i)
                units.push(top.style);
        }
    }
    if (token.lastIndex !== html.length)
        throw new Error(`unexpected HTML at ${token.lastIndex}`);
    return units;
}

function runs(units) {
    const out = [];
    let previous = null;
    for (const style of units) {
        const face = (style.bold ? 'b' : '') + (style.italic ? 'i' : '') || 'n';
        const key = `${style.colour}:${style.background}:${face}`;
        if (previous && previous.key === key)
            ++previous.count;
        else
            out.push(previous = { key, count: 1 });
    }
    return out.map((run) => `${run.count}:${run.key}`).join(',');
}

const stylesheets = process.argv.slice(5).map((path) => readStylesheet(fs.readFileSync(path, 'utf8')));
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
    if (!result || typeof result.value !== 'string')
        return '-';
    const styled = stylesheets.map((rules) => ' ' + (runs(styleUnits(result.value, rules)) || '-'));
    return Buffer.from(result.value, 'utf8').toString('hex') + styled.join('');
});
fs.writeFileSync(process.argv[4], results.join('\n') + '\n');
