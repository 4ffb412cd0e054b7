// The site's style sheet and search script. Both are written into the site
// itself so that the pages work from disk with no network.
#include "SiteFiles.h"

namespace smutil_site {

const std::string& StyleSheet() {
  static const std::string css = R"(body{font-family:sans-serif;margin:1.5em;color:#1d2530;max-width:70em}
nav{font-size:90%;margin-bottom:1em;color:#555}
nav a{margin-right:.3em}
h1{font-size:150%;margin:.2em 0 .6em;word-break:break-all}
h2{font-size:115%;margin-top:1.4em;border-bottom:1px solid #d0d7de}
table.facts th{text-align:left;vertical-align:top;padding-right:1em;color:#555;font-weight:normal}
table.facts td{word-break:break-all}
pre{background:#f4f6f8;padding:.6em;white-space:pre-wrap;word-break:break-all}
ul.children{columns:3 18em}
.kind{color:#777;font-size:85%}
.msg-2{color:#a40000}.msg-1{color:#8a5a00}.msg-3{color:#245}
figure{margin:0}object.picture{display:block;max-width:100%;height:auto;border:1px solid #e1e4e8}
ul.joins li{margin:.1em 0}
figcaption{font-size:85%;color:#555}
#results li{margin:.15em 0}
)";
  return css;
}

const std::string& SearchScript() {
  // Loads search/shards.js, then for a query only the shards whose key could
  // hold a match, each once; results are built with textContent, never as
  // markup, so names stay text. A query is found at the start of any word of
  // a name or display name (SearchKeys).
  static const std::string js = R"('use strict';
var smutilSearch = (function () {
  var shardKeys = null, loaded = {}, entries = [], pending = 0;
  // As SearchKey folds: ASCII letters lower-cased, digits kept, anything else
  // "_" (one for one, so positions stay those of the name).
  function fold(s) { return s.replace(/[^A-Za-z0-9]/g, '_').toLowerCase(); }
  function load(src) {
    var s = document.createElement('script');
    s.src = src;
    document.head.appendChild(s);
  }
  function wanted(q) {
    return shardKeys.filter(function (k) {
      var base = k.replace(/~[0-9]+$/, '').replace(/-$/, '');
      return base === '' ? q === '' : (q.indexOf(base) === 0 || base.indexOf(q) === 0);
    });
  }
  // The keys a name is filed under, as SearchKeys makes them: the whole
  // folded name, and the folded name from each later start of a word on.
  function keys(s) {
    var f = fold(s), out = [f];
    for (var i = 1; i < s.length; i++) {
      if (f[i] === '_') continue;
      if (f[i - 1] === '_' || (/[A-Z]/.test(s[i]) && /[a-z]/.test(s[i - 1]))) out.push(f.substring(i));
    }
    return out;
  }
  function matches(e, q) {
    var names = e.length > 4 ? [e[0], e[4]] : [e[0]];
    return names.some(function (n) { return keys(n).some(function (k) { return k.indexOf(q) === 0; }); });
  }
  function show() {
    var input = document.getElementById('q'), list = document.getElementById('results');
    var status = document.getElementById('status');
    var q = fold(input.value.trim());
    while (list.firstChild) list.removeChild(list.firstChild);
    if (!shardKeys) { status.textContent = 'Loading the index…'; return; }
    if (q.length === 0) { status.textContent = 'Type a name or a word of one.'; return; }
    var wantedKeys = wanted(q);
    if (wantedKeys.length > 40) { status.textContent = 'Type more letters (' + wantedKeys.length + ' index parts match).'; return; }
    wantedKeys.forEach(function (k) { if (!loaded[k]) { loaded[k] = 'loading'; pending++; load('search/' + k + '.js'); } });
    var shown = 0, seen = {};
    entries.forEach(function (e) {
      // An object filed under several keys is listed once.
      if (shown >= 200 || seen[e[3]] || !matches(e, q)) return;
      seen[e[3]] = true;
      var li = document.createElement('li'), a = document.createElement('a');
      a.href = e[3];
      a.textContent = e[0];
      var kind = document.createElement('span');
      kind.className = 'kind';
      kind.textContent = (e.length > 4 ? ' \u201c' + e[4] + '\u201d' : '') + ' ' + e[1] + (e[2] ? ' in ' + e[2] : '');
      li.appendChild(a);
      li.appendChild(kind);
      list.appendChild(li);
      shown++;
    });
    status.textContent = pending ? 'Loading…' : shown + (shown === 200 ? '+' : '') + ' found.';
  }
  return {
    shards: function (keys) { shardKeys = keys; show(); },
    add: function (key, list) {
      if (loaded[key] !== 'done') { loaded[key] = 'done'; pending--; entries = entries.concat(list); }
      show();
    },
    start: function () {
      document.getElementById('q').addEventListener('input', show);
      load('search/shards.js');
    }
  };
})();
)";
  return js;
}

}  // namespace smutil_site
