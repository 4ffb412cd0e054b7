#!/usr/bin/env python3
"""Opens the dictionary site in headless Chromium from a local web server.

Writes the sample repository's site and a site of hostile names with
`smutil site`, serves both on 127.0.0.1 with Python's http.server, and loads a
harness page that opens chosen pages one after another in a frame. For each
page it records the title, whether the lineage picture loaded, every link
target, and what markup the page holds; the search page gets a query typed
into it. The harness posts the results back to the server, in real time
rather than Chromium's virtual time, which runs on while a picture loads.
Then every link is fetched from the server (it must answer 200), the hostile
names must be text, and a screenshot of each page is taken.

    browser_test.py --smutil build/smutil --sample samples/sample.rpd.xml \
        --hostile tests/site/hostile.rpd.xml --out build/site-browser-test

Exit code 77 (skipped) when no Chromium is installed.
"""
import argparse
import functools
import http.server
import json
import os
import queue
import shutil
import subprocess
import sys
import threading
import urllib.parse
import urllib.request

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-extensions",
                  "--disable-dev-shm-usage", "--hide-scrollbars", "--user-data-dir={profile}"]

HARNESS = r"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>harness</title></head>
<body>
<iframe id="f" style="width:1200px;height:900px"></iframe>
<script>
var pages = %(pages)s, results = [];
var frame = document.getElementById('f');
function inspect(page) {
  var d = frame.contentDocument, r = {page: page.url};
  r.title = d.title;
  r.h1 = d.querySelector('h1') ? d.querySelector('h1').textContent : null;
  // Pictures are objects, so that their nodes are links; a loaded one has
  // an SVG document, whose links are followed like the page's.
  var pics = Array.prototype.slice.call(d.querySelectorAll('object.picture'));
  r.pictures = pics.length;
  var loaded = pics.filter(function (o) { return o.contentDocument && o.contentDocument.querySelector('svg'); });
  r.picturesLoaded = loaded.length;
  r.pictureLinks = [];
  loaded.forEach(function (o) {
    Array.prototype.forEach.call(o.contentDocument.querySelectorAll('a'), function (a) {
      var h = a.getAttributeNS('http://www.w3.org/1999/xlink', 'href') || a.getAttribute('href');
      if (h) r.pictureLinks.push(new URL(h, o.contentDocument.URL).href);
    });
  });
  r.links = Array.prototype.map.call(d.querySelectorAll('a[href]'), function (a) { return a.href; });
  r.sources = Array.prototype.map.call(d.querySelectorAll('[src]'), function (e) { return e.src; })
      .concat(pics.map(function (o) { return o.data; }));
  r.scripts = d.querySelectorAll('script').length;
  r.foreign = d.querySelectorAll('iframe,svg,object:not(.picture),embed,img,b,[onmouseover],[onerror],[onload]').length;
  r.text = d.body.textContent;
  return r;
}
function post(what) {
  var x = new XMLHttpRequest();
  x.open('POST', '/results');
  x.send(what);
}
// Waits until every picture of the page has its SVG document, for at most
// ten seconds; a picture that never loads is then reported by the check.
function settled(then) {
  var waited = 0;
  (function poll() {
    var d = frame.contentDocument;
    var pics = Array.prototype.slice.call(d.querySelectorAll('object.picture'));
    var pending = pics.filter(function (o) { return !(o.contentDocument && o.contentDocument.querySelector('svg')); });
    if (pending.length === 0 || waited >= 10000) { then(); return; }
    waited += 100;
    setTimeout(poll, 100);
  })();
}
window.onerror = function (message) { post(JSON.stringify({harnessError: String(message)})); };
function next(i) {
  if (i >= pages.length) {
    post(JSON.stringify(results));
    return;
  }
  var page = pages[i];
  frame.onload = function () {
    settled(function () {
      if (page.query) {
        var q = frame.contentDocument.getElementById('q');
        q.value = page.query;
        q.dispatchEvent(new Event('input'));
        setTimeout(function () {
          var r = inspect(page);
          r.results = Array.prototype.map.call(frame.contentDocument.querySelectorAll('#results a'),
                                               function (a) { return a.textContent; });
          results.push(r);
          next(i + 1);
        }, 1500);
        return;
      }
      var r;
      try { r = inspect(page); } catch (e) { r = {page: page.url, error: String(e)}; }
      results.push(r);
      next(i + 1);
    });
  };
  frame.src = page.url;
}
next(0);
</script></body></html>
"""


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    """Serves the sites; the harness posts its results to /results."""

    def __init__(self, *args, posted, **kw):
        self.posted = posted
        super().__init__(*args, **kw)

    def do_POST(self):  # noqa: N802 - the name http.server calls
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        self.send_response(204)
        self.end_headers()
        if self.path == "/results":
            self.posted.put(body.decode("utf-8"))

    def log_message(self, *args):
        pass


def harness_results(chromium, flags, url, posted, log_path, seconds=180):
    """Runs the harness in Chromium until it posts its results."""
    # Chromium's output goes to a file: a pipe nobody reads would stall it
    # once full.
    with open(log_path, "wb") as log:
        browser = subprocess.Popen([chromium] + flags + [url], stdout=log, stderr=subprocess.STDOUT)
        try:
            try:
                body = posted.get(timeout=seconds)
            except queue.Empty:
                sys.exit("the harness posted nothing in %d seconds (Chromium's output: %s)" % (seconds, log_path))
        finally:
            browser.kill()
            browser.wait()
    results = json.loads(body)
    if isinstance(results, dict):
        sys.exit("the harness failed: " + results["harnessError"])
    return results


def run(cmd, **kw):
    result = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=180, **kw)
    if result.returncode != 0:
        sys.exit("command failed: %s\n%s%s" % (" ".join(cmd), result.stdout, result.stderr))
    return result.stdout


def dictionary_paths(smutil, repo):
    """(type, name) -> page path of the first such object."""
    listing = json.loads(run([smutil, "--repo", repo, "dict", "--format", "json"]))
    paths = {}
    for e in listing:
        if e["path"] and not e["path"].startswith("/"):
            paths.setdefault((e["type"], e["name"]), e["path"][:-4] + ".html")
    return paths


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--smutil", required=True)
    ap.add_argument("--sample", required=True)
    ap.add_argument("--hostile", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    chromium = find_chromium()
    if not chromium:
        print("no Chromium installed: the browser test is skipped (scripts/install-deps.sh installs it)")
        return 77

    out = os.path.abspath(args.out)
    shutil.rmtree(out, ignore_errors=True)
    www = os.path.join(out, "www")
    shots = os.path.join(out, "screenshots")
    os.makedirs(shots)
    for name, repo in (("sample", args.sample), ("hostile", args.hostile)):
        run([args.smutil, "--repo", repo, "site", os.path.join(www, name)])

    sample = dictionary_paths(args.smutil, args.sample)
    hostile = dictionary_paths(args.smutil, args.hostile)
    # (site, path, expects a lineage picture, query for the search page)
    chosen = [
        ("sample", "index.html", False, None),
        ("sample", sample[(2000, "Sales")], True, None),       # business model: its joins
        ("sample", sample[(3023, "Sales DW")], True, None),    # database: its joins
        ("sample", sample[(4010, "Revenue")], True, None),     # presentation column: lineage
        ("sample", sample[(2006, "Revenue")], True, None),     # derived logical column: lineage
        ("sample", sample[(2006, "Region")], True, None),
        ("sample", sample[(3003, "QUANTITY")], False, None),
        ("sample", "search.html", False, "w_ord"),
        ("sample", "search.html", False, "orders"),            # a word inside W_ORDERS_F
        ("sample", "search.html", False, "kunden"),            # a display name
        ("hostile", hostile[(4010, "<script>alert(6)</script>")], True, None),
        ("hostile", hostile[(2006, "<script>")], True, None),
        ("hostile", hostile[(3003, "a\"b'c&d #?%")], False, None),
        ("hostile", hostile[(3023, "<script>alert(1)</script>")], True, None),
        ("hostile", "search.html", False, "<scr"),
    ]

    posted = queue.Queue()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                             functools.partial(QuietHandler, directory=www, posted=posted))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = "http://127.0.0.1:%d/" % server.server_address[1]
    failures = []
    try:
        pages = [{"url": base + site + "/" + urllib.parse.quote(path), "query": query}
                 for site, path, _, query in chosen]
        with open(os.path.join(www, "harness.html"), "w", encoding="utf-8") as f:
            f.write(HARNESS % {"pages": json.dumps(pages)})
        profile = os.path.join(out, "profile")
        flags = [f.format(profile=profile) for f in CHROMIUM_FLAGS]
        results = harness_results(chromium, flags, base + "harness.html", posted, os.path.join(out, "chromium.log"))

        checked_links = {}
        for (site, path, wants_picture, query), r in zip(chosen, results):
            where = site + "/" + path
            if "error" in r:
                failures.append("%s: the page could not be inspected: %s" % (where, r["error"]))
                continue
            if not r["title"].strip():
                failures.append(where + ": no title")
            if wants_picture and (r["pictures"] == 0 or r["picturesLoaded"] != r["pictures"]):
                failures.append("%s: pictures %d, loaded %d" % (where, r["pictures"], r["picturesLoaded"]))
            if wants_picture and not r["pictureLinks"]:
                failures.append("%s: the picture's nodes are no links" % where)
            for link in r["links"] + r["sources"] + r["pictureLinks"]:
                if not link.startswith(base):
                    failures.append("%s: link outside the site: %s" % (where, link))
                    continue
                if link not in checked_links:
                    try:
                        with urllib.request.urlopen(link.split("#")[0], timeout=10) as resp:
                            checked_links[link] = resp.status
                    except Exception as e:  # noqa: BLE001 - any failure is the answer
                        checked_links[link] = str(e)
                if checked_links[link] != 200:
                    failures.append("%s: link %s gave %s" % (where, link, checked_links[link]))
            if query and not r.get("results"):
                failures.append("%s: searching %r found nothing" % (where, query))
            if site == "hostile":
                if r["foreign"]:
                    failures.append("%s: %d elements came from names" % (where, r["foreign"]))
                if query is None and r["scripts"]:
                    failures.append("%s: %d script elements" % (where, r["scripts"]))
            print("%-8s %-70s title %-45.45r pictures %d/%d links %d (%d in pictures)%s" % (
                site, path[:70], r["title"], r["picturesLoaded"], r["pictures"], len(r["links"]),
                len(r["pictureLinks"]),
                " results %d" % len(r["results"]) if query else ""))
        # The hostile names are on their pages as text.
        texts = {site + "/" + path: r for (site, path, _, _), r in zip(chosen, results)}
        expected_h1 = {
            hostile[(4010, "<script>alert(6)</script>")]: "<script>alert(6)</script>",
            hostile[(2006, "<script>")]: "<script>",
            hostile[(3003, "a\"b'c&d #?%")]: "a\"b'c&d #?%",
            hostile[(3023, "<script>alert(1)</script>")]: "<script>alert(1)</script>",
        }
        for path, name in expected_h1.items():
            r = texts["hostile/" + path]
            if r["h1"] != name:
                failures.append("hostile/%s: heading %r, expected the name %r as text" % (path, r["h1"], name))
        # Words inside names and display names are found.
        by_query = {q: r.get("results", []) for (site, _, _, q), r in zip(chosen, results) if site == "sample" and q}
        if "W_ORDERS_F" not in by_query.get("orders", []):
            failures.append("search 'orders': %r lacks W_ORDERS_F" % by_query.get("orders"))
        if "Customers" not in by_query.get("kunden", []):
            failures.append("search 'kunden': %r lacks Customers (displayed as Kunden & Märkte)" % by_query.get("kunden"))
        search = texts["hostile/search.html"]
        if "<script>alert(6)</script>" not in search.get("results", []):
            failures.append("hostile search: results %r lack the name as text" % search.get("results"))

        for i, page in enumerate(pages):
            shot = os.path.join(shots, "%02d-%s.png" % (i, chosen[i][0]))
            run([chromium] + flags + ["--window-size=1280,1000", "--virtual-time-budget=5000",
                                      "--screenshot=" + shot, page["url"]])
            if not os.path.exists(shot) or os.path.getsize(shot) < 2000:
                failures.append("no screenshot of " + page["url"])
    finally:
        server.shutdown()
        shutil.rmtree(os.path.join(out, "profile"), ignore_errors=True)

    if failures:
        print("\n".join(failures))
        return 1
    print("%d pages opened, %d links followed, screenshots in %s" % (len(chosen), len(checked_links), shots))
    return 0


if __name__ == "__main__":
    sys.exit(main())
