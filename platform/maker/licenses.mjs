// Writes the licences of the npm packages esbuild put into the maker's page
// code, from its metafile: each package's name, version and LICENSE text.
//   node licenses.mjs <esbuild metafile> <output text file>
import { existsSync, readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';

const [metafile, output] = process.argv.slice(2);
if (!metafile || !output) {
  console.error('usage: node licenses.mjs <esbuild metafile> <output text file>');
  process.exit(2);
}
const meta = JSON.parse(readFileSync(metafile, 'utf8'));
const packages = new Set();
for (const built of Object.values(meta.outputs)) {
  for (const input of Object.keys(built.inputs)) {
    const found = input.match(/node_modules\/((?:@[^/]+\/)?[^/]+)\//);
    if (found) packages.add(found[1]);
  }
}
const parts = ['The intro maker\'s page code (maker-page.js) includes these packages, under their licences:\n'];
for (const name of [...packages].sort()) {
  const folder = path.join(path.dirname(new URL(import.meta.url).pathname), 'node_modules', name);
  const { version } = JSON.parse(readFileSync(path.join(folder, 'package.json'), 'utf8'));
  const licence = ['LICENSE', 'LICENSE.md', 'LICENSE.txt'].map((file) => path.join(folder, file)).find(existsSync);
  if (!licence) {
    console.error(`licenses.mjs: ${name} ${version} has no LICENSE file in ${folder}`);
    process.exit(1);
  }
  parts.push(`==== ${name} ${version}\n\n${readFileSync(licence, 'utf8').trim()}\n`);
}
writeFileSync(output, parts.join('\n'));
