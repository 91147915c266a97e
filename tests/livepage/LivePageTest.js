// SPDX-License-Identifier: GPL-3.0-or-later
// The live page's script runs here against a small stand-in for the browser:
// elements that know only text (any use of HTML parsing throws), a socket the
// test opens and drops, and a clock and timers the test moves by hand.
"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");

const html = fs.readFileSync(
  process.argv[2] || path.join(__dirname, "../../resources/live/index.html"), "utf8");
const script = html.match(/<script>([\s\S]*)<\/script>/)[1];

class Element {
  constructor(tag, text = "") {
    Object.assign(this, { tag: tag.toLowerCase(), children: [], text, hidden: false });
  }
  get textContent() {
    return this.children.length ? this.children.map((c) => c.textContent).join("") : this.text;
  }
  set textContent(v) {
    [this.children, this.text] = [[], String(v)];
  }
  set innerHTML(_) {
    throw new Error("data must never be parsed as HTML");
  }
  appendChild(c) {
    return this.children.push(c), c;
  }
  all(tag) {
    return this.children.flatMap((c) => (c.tag === tag ? [c] : []).concat(c.all(tag)));
  }
}

function boot(protocol = "http:") {
  let [now, timers, frames, nextTimer] = [5000, [], [], 1];
  const [sockets, listeners, elements] = [[], [], new Map()];
  for (const m of html.matchAll(/<(\w+) id="([\w-]+)"[^>]*>([^<]*)/g)) {
    elements.set(m[2], new Element(m[1], m[3]));
  }
  class Socket {
    constructor(url) {
      Object.assign(this, { url, readyState: 0, sent: [] });
      sockets.push(this);
    }
    send(data) {
      this.sent.push(data);
    }
    close() {
      this.readyState = 2; // CLOSING: a dead link's close event is long in coming
    }
  }
  const document = {
    visibilityState: "visible",
    getElementById: (id) => elements.get(id) || null,
    createElement: (tag) => new Element(tag),
    addEventListener: (type, f) => listeners.push([type, f]),
  };
  const context = vm.createContext({
    document,
    location: { protocol, host: "10.0.0.2:8080" },
    WebSocket: Socket,
    performance: { now: () => now },
    requestAnimationFrame: (f) => frames.push(f),
    setTimeout: (f, ms) => (timers.push({ f, at: now + ms, id: nextTimer }), nextTimer++),
    clearTimeout: (id) => (timers = timers.filter((t) => t.id !== id)),
  });
  vm.runInContext(script, context);
  const page = {
    context,
    sockets,
    el: (id) => elements.get(id),
    text: (id) => elements.get(id).textContent,
    texts: (...ids) => ids.map((id) => elements.get(id).textContent),
    table: () => page.el("results").all("tr").map((tr) => tr.children.map((c) => c.textContent)),
    get socket() {
      return sockets[sockets.length - 1];
    },
    // Timers fire in order at their own moments; then one animation frame.
    advance(ms) {
      const end = now + ms;
      for (let t; (t = timers.filter((x) => x.at <= end).sort((a, b) => a.at - b.at)[0]); ) {
        timers = timers.filter((x) => x !== t);
        now = t.at;
        t.f();
      }
      now = end;
      const due = frames;
      frames = [];
      due.forEach((f) => f(now));
    },
    open: (s = page.socket) => ((s.readyState = 1), s.onopen()),
    drop: (s = page.socket) => ((s.readyState = 3), s.onclose({ code: 1006 })),
    receive: (m, s = page.socket) =>
      s.onmessage({ data: typeof m === "string" ? m : JSON.stringify(m) }),
    visibility(state) {
      document.visibilityState = state;
      listeners.filter(([t]) => t === "visibilitychange").forEach(([, f]) => f());
    },
  };
  return page;
}

const whole = (over = {}) => ({
  version: 1,
  title: "Clubslalom Musterstadt",
  resolution: 2,
  race: { state: "bereit", name: "", lapCount: 0 },
  results: {
    columns: ["Platz", "Nr./Name", "Bestzeit"],
    groups: [{ title: "", rows: [["1", "12", "1.02,50"], ["", "<b>7</b>", ""]] }],
    skippedLines: 0,
  },
  lines: ["     Nr.: 12", "H  Start: 00:00.00,00  10:15.03,25"],
  ...over,
});
const running = (elapsedMs, more = {}) =>
  ({ state: "laeuft", name: "12", elapsedMs, lapCount: 0, ...more });

test("race time texts match the program's displays", () => {
  const { raceTime } = boot().context;
  const cases = [
    [0, 2, "0,00"], [19, 2, "0,01"], [2340, 2, "2,34"], [12340, 2, "12,34"], [59999, 2, "59,99"],
    [62500, 2, "1.02,50"], [600000, 2, "10.00,00"], [3723450, 2, "1:02.03,45"],
    [36000000, 2, "10:00.00,00"], [360000000, 2, "0,00"], [0, 1, "0,0"], [62500, 1, "1.02,5"],
    [0, 0, "0"], [1000, 0, "1"], [10000, 0, "10"], [62500, 0, "1.02"], [3600000, 0, "1:00.00"],
  ];
  for (const [ms, res, text] of cases) assert.equal(raceTime(ms, res), text, `${ms} ms at ${res}`);
});

test("the whole state fills the page and later messages change only their own keys", () => {
  const page = boot();
  assert.equal(page.socket.url, "ws://10.0.0.2:8080/live");
  assert.equal(boot("https:").socket.url, "wss://10.0.0.2:8080/live");
  page.open();
  page.receive(whole());
  assert.equal(page.text("title"), "Clubslalom Musterstadt");
  assert.deepEqual(page.texts("track-name", "track-time"), ["–", "0,00"]);
  assert.deepEqual(page.table(), [
    ["Platz", "Nr./Name", "Bestzeit"], ["1", "12", "1.02,50"], ["", "<b>7</b>", ""]]);
  assert.equal(page.text("lines"), "     Nr.: 12\nH  Start: 00:00.00,00  10:15.03,25");

  page.receive({ race: running(12345) });
  assert.deepEqual(page.texts("track-name", "track-time", "track-last"), ["12", "12,34", ""]);
  page.advance(1000);
  assert.equal(page.text("track-time"), "13,34", "the phone ticks on its own");
  assert.equal(page.text("title"), "Clubslalom Musterstadt");
  assert.equal(page.table().length, 3);

  page.receive({ race: running(30200, { lapCount: 2, lastLapMs: 30120 }) });
  assert.deepEqual(page.texts("track-time", "track-last"), ["30,20", "Runde 2: 30,12"]);
  page.advance(200);
  page.receive({ resolution: 1 });
  assert.deepEqual(page.texts("track-time", "track-last"), ["30,4", "Runde 2: 30,1"]);
  page.advance(500);
  assert.equal(page.text("track-time"), "30,9", "a new resolution must not restart the clock");

  page.receive({ race: { state: "gestoppt", name: "12", lapCount: 2, timeMs: 62500 } });
  page.advance(5000);
  assert.deepEqual(page.texts("track-state", "track-time", "track-last"), ["Ziel", "1.02,5", ""]);
  page.receive({ title: "" });
  assert.equal(page.text("title"), "Live-Ergebnisse");
  assert.deepEqual(page.socket.sent, []);
});

test("groups get headings and say so when they are empty", () => {
  const page = boot();
  page.open();
  page.receive(whole({ results: { columns: ["Nr./Name"], groups: [{ title: "", rows: [] }] } }));
  assert.equal(page.text("results"), "Noch keine Ergebnisse");
  assert.equal(page.el("results").all("table").length, 0);
  const groups = [{ title: "Klasse A", rows: [["1", "A", "12"]] }, { title: "Klasse B", rows: [] }];
  page.receive({ results: { columns: ["Platz", "Klasse", "Nr./Name"], groups, skippedLines: 0 } });
  const headings = page.el("results").all("h3").map((h) => h.textContent);
  assert.deepEqual(headings, ["Klasse A", "Klasse B"]);
  assert.deepEqual(page.table(), [["Platz", "Klasse", "Nr./Name"], ["1", "A", "12"]]);
  assert.match(page.text("results"), /Klasse BNoch keine Ergebnisse$/);
});

test("a lost connection shows the banner and comes back with growing pauses", () => {
  const page = boot();
  const banner = page.el("status");
  assert.equal(banner.textContent, "Verbindung unterbrochen – neuer Versuch …");
  assert.equal(banner.hidden, false);
  page.open();
  assert.equal(banner.hidden, true);
  page.receive(whole({ race: running(1000) }));
  page.receive("kein JSON");
  page.receive("[1, 2]");
  const first = page.socket;
  page.drop();
  assert.equal(banner.hidden, false);
  const pauses = [];
  for (let i = 0; i < 6; i++) {
    const before = page.sockets.length;
    let waited = 0;
    while (page.sockets.length === before) {
      page.advance(250);
      waited += 250;
    }
    pauses.push(waited);
    if (i < 5) page.drop();
  }
  assert.deepEqual(pauses, [1000, 2000, 3000, 4000, 5000, 5000]);

  page.open();
  page.receive(whole({ title: "Neu", results: { columns: ["Nr./Name"], groups: [] } }));
  page.advance(1000);
  assert.deepEqual(page.texts("title", "track-time", "results"),
    ["Neu", "0,00", "Noch keine Ergebnisse"]);
  first.onclose({ code: 1006 });
  page.advance(10000);
  assert.equal(page.sockets.length, 7, "a late close of an old socket is not this one's");
  assert.equal(banner.hidden, true);

  page.drop();
  page.advance(999);
  assert.equal(page.sockets.length, 7);
  page.advance(1);
  assert.equal(page.sockets.length, 8, "a good connection starts the pauses over");

  page.drop();
  page.visibility("hidden");
  assert.equal(page.sockets.length, 8);
  page.visibility("visible");
  assert.equal(page.sockets.length, 9, "a woken phone does not wait out the pause");
  page.advance(10000);
  page.visibility("visible");
  assert.equal(page.sockets.length, 9);
  assert.ok(page.sockets.every((s) => s.sent.length === 0));
});

test("a connection that falls silent counts as lost, though it never closed", () => {
  const page = boot();
  const banner = page.el("status");
  page.open();
  page.receive(whole({ race: running(1000) }));
  page.advance(14999);
  page.receive("kein JSON");
  page.advance(14999);
  page.receive({ version: 1 });
  page.advance(14999);
  assert.equal(page.sockets.length, 1, "any message, even a heartbeat, is a sign of life");
  assert.equal(page.text("track-name"), "12", "the heartbeat changes nothing shown");
  const silent = page.socket;
  page.advance(1);
  assert.equal(silent.readyState, 2);
  assert.equal(banner.hidden, false);
  page.advance(1000);
  assert.equal(page.sockets.length, 2, "no waiting for the dead link's close event");
  page.receive({ title: "Alt" }, silent);
  silent.onclose({ code: 1006 });
  assert.equal(page.text("title"), "Clubslalom Musterstadt");
  assert.equal(page.sockets.length, 2);

  // While the next one connects, timing it out is the browser's business.
  page.advance(20000);
  assert.equal(page.sockets.length, 2);
  page.open();
  page.advance(14999);
  assert.equal(banner.hidden, true);
  page.advance(1);
  assert.equal(banner.hidden, false, "a socket that opened but never spoke is silent too");
  page.advance(2000);
  assert.equal(page.sockets.length, 3, "and without a message the pauses keep growing");
});
