// The search page's script on a written site, in node with the few page
// elements it uses: queries typed into the box, the shards it loads run as
// the browser would run them, the names it lists compared with what a
// reader expects of the sample repository.
//
//   node search_script_test.js SITE_DIR
'use strict';
const fs = require('fs');
const path = require('path');
const vm = require('vm');

const site = process.argv[2];
const queue = [];

function element(tag) {
  return {
    tag: tag, children: [], textContent: '', className: '', href: '',
    appendChild(child) { this.children.push(child); },
    get firstChild() { return this.children[0]; },
    removeChild(child) { this.children.splice(this.children.indexOf(child), 1); },
  };
}
const box = { value: '', listeners: [], addEventListener(type, f) { this.listeners.push(f); } };
const page = { q: box, results: element('ul'), status: element('span') };
const document = {
  getElementById: (id) => page[id],
  createElement: (tag) => element(tag),
  head: { appendChild: (script) => queue.push(script.src) },
};
const context = vm.createContext({ document: document });
function run(file) { vm.runInContext(fs.readFileSync(path.join(site, file), 'utf8'), context, { filename: file }); }
function drain() { while (queue.length) run(queue.shift()); }

run('search.js');
vm.runInContext('smutilSearch.start();', context);
drain();

function search(query) {
  box.value = query;
  box.listeners.forEach((f) => f());
  drain();
  return page.results.children.map((li) => li.children[0].textContent);
}

// [query, names that must be listed, names that must not]
const cases = [
  ['w_ord', ['W_ORDERS_F'], []],
  ['orders', ['W_ORDERS_F', 'Orders'], []],      // a word inside a name
  ['ORDERS_F', ['W_ORDERS_F'], []],
  ['rders', [], ['W_ORDERS_F']],                  // not the start of a word
  ['kunden', ['Customers'], []],                  // its display name is Kunden & Märkte
  ['Märkte', ['Customers'], []],
  ['customer', ['Customers', 'W_CUSTOMER_D'], []],
];
let failures = 0;
for (const [query, wanted, unwanted] of cases) {
  const found = search(query);
  const missing = wanted.filter((n) => !found.includes(n));
  const extra = unwanted.filter((n) => found.includes(n));
  const twice = found.filter((n, i) => found.indexOf(n) !== i && found.lastIndexOf(n) === i);
  const paths = page.results.children.map((li) => li.children[0].href);
  const twicePaths = paths.filter((p, i) => paths.indexOf(p) !== i);
  if (missing.length || extra.length || twicePaths.length) {
    failures++;
    console.log('query ' + JSON.stringify(query) + ': missing ' + JSON.stringify(missing) + ', unexpected ' +
                JSON.stringify(extra) + ', listed twice ' + JSON.stringify(twicePaths) + '; found ' +
                JSON.stringify(found.slice(0, 20)));
  } else {
    console.log('query ' + JSON.stringify(query) + ': ' + found.length + ' found' +
                (twice.length ? ' (names shared by several objects: ' + twice.join(', ') + ')' : ''));
  }
}
process.exit(failures ? 1 : 0);
