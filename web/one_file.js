// Finishes a built web folder: index.html takes the book's title (from the app manifest
// qh-webart wrote), so the page is named for the book while it loads; then writes the
// one-file edition: index.html with the module's code, the module itself, the pictures
// of every scale and the icon inlined, so the single file opens from a disk (file://) as
// well as from any static host.
//
// usage: node one_file.js WEB_FOLDER OUTPUT.html
'use strict';
const fs = require('fs');
const path = require('path');

const [folder, output] = process.argv.slice(2);
if (!folder || !output) {
  console.error('usage: node one_file.js WEB_FOLDER OUTPUT.html');
  process.exit(2);
}
const read = (name) => fs.readFileSync(path.join(folder, name));
// Nothing inlined may end the script element it stands in.
const inScript = (text) => text.replace(/<\/(script)/gi, '<\\/$1');

const escaped = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
let html = read('index.html').toString('utf8');
const title = JSON.parse(read('app.webmanifest').toString('utf8')).name;
html = html.replace(/<title>[^<]*<\/title>/, () => '<title>' + escaped(title) + '</title>');
fs.writeFileSync(path.join(folder, 'index.html'), html);
const tag = /<script[^>]*src="index\.js"[^>]*><\/script>/;
if (!tag.test(html)) {
  console.error(`one_file.js: ${path.join(folder, 'index.html')} does not load index.js; nothing written`);
  process.exit(1);
}
const inline = {};
for (const name of fs.readdirSync(folder).sort())
  if (name === 'index.wasm' || /^pictures-\d\.bin$/.test(name)) inline[name] = read(name).toString('base64');
const code = '<script>window.qhInline = ' + JSON.stringify(inline) + ';</script>\n<script>' +
             inScript(read('index.js').toString('utf8')) + '</script>';
html = html.replace(tag, () => code);
// Installing and offline reading belong to the served edition; a file is already both.
html = html.replace(/<link rel="manifest"[^>]*>\n?/, '');
if (fs.existsSync(path.join(folder, 'icon-192.png')))
  html = html.replace('href="icon-192.png"', () => 'href="data:image/png;base64,' + read('icon-192.png').toString('base64') + '"');

const temporary = output + '.tmp';
fs.writeFileSync(temporary, html);
fs.renameSync(temporary, output);
const size = fs.statSync(output).size;
console.log(`the one-file edition: ${output}, ${size} bytes (${(size / 1048576).toFixed(2)} MB)`);
