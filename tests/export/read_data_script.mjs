// Loads a data script the way a page does and prints every entry of VLM_DATA, each parsed
// with JSON.parse, as one JSON array.
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const source = readFileSync(process.argv[2], 'utf8').replace(/^\uFEFF/, '');
const context = {};
vm.runInNewContext(`${source}\nglobalThis.entries = VLM_DATA;`, context);
process.stdout.write(JSON.stringify(context.entries.map((entry) => JSON.parse(entry))));
