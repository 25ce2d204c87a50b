// maker.wasm's checking and building, off the page's main thread, so a large
// or hostile source never freezes the page. The page first posts { init:
// { script, module } } (maker.js's address and maker.wasm compiled), is
// answered { ready, charset, inks } (the font's characters, fontc's inks), then
// { id, job, ... }; each answer is { id, memory, ... } in the same order,
// `memory` being the bytes maker.wasm has grown to. Jobs:
//   build        { pages, font, song }  -> { ok, messages, problems, hidden, pack }
//   exe          the same and { shell }  -> { ok, messages, ..., exe, sizes }
//   sizes        the same as exe         -> { ok, messages, ..., sizes } (intro.exe measured, not sent)
//   html         the same and { webFiles } (the web folder's files by name)
//                                        -> { ok, messages, ..., html } (intro.html, one file)
//   disassemble  { module, maxSourceBytes } -> { ok, messages, source | sourceBytes }
//   songView     { song }                -> { ok, view } (the song with where each part is written)
//   songCheck    { song }                -> { ok } (the song assembles; else its problems)
// Each answer also says how long its job ran in the worker (`took`, ms).
// `sizes` is intro.exe's size and parts as _MakerExeSizes gives them:
// { file, code, pages, font, song, rest, limit, left, text }.
// Messages and problems come at most MaxMessagesPerFile per file; `hidden`
// counts the rest per file.
'use strict';

const MaxMessagesPerFile = 200;
const Files = ['pages.txt', 'font.txt', 'song.fcs'];

let toolsReady = null;
function startTools({ script, module }) {
  importScripts(script);
  toolsReady = MakerTools({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module));
      return {};
    },
  });
  // With the font's characters and fontc's inks ("#rrggbb" four times), the page's only copy of them.
  toolsReady.then((tools) => self.postMessage({ ready: true, charset: tools.UTF8ToString(tools._MakerCharset()),
    inks: tools.UTF8ToString(tools._MakerInks()).match(/#[0-9a-f]{6}/g) }),
    (error) => self.postMessage({ ready: false, failed: String(error?.message ?? error) }));
}

// Whose message it is: the file it starts with (song.mod is the song's editor), else pages.txt.
function fileOf(message) {
  for (const file of Files) if (message.startsWith(`${file}:`)) return file;
  return message.startsWith('song.mod:') ? 'song.fcs' : 'pages.txt';
}

// The first MaxMessagesPerFile of each file's entries, and how many more each has.
function capPerFile(entries, fileOfEntry) {
  const kept = [], hidden = { 'pages.txt': 0, 'font.txt': 0, 'song.fcs': 0 }, shown = { ...hidden };
  for (const entry of entries) {
    const file = fileOfEntry(entry);
    if (shown[file] < MaxMessagesPerFile) { ++shown[file]; kept.push(entry); } else ++hidden[file];
  }
  return { kept, hidden };
}

function withBytes(tools, bytes, use) {
  const at = tools._MakerAlloc(bytes.length);
  tools.HEAPU8.set(bytes, at);
  try { return use(at, bytes.length); } finally { tools._MakerFree(at); }
}

// The tools' problems as data (_MakerProblems: a JSON array of {file, line,
// column, reason, message}), capped per file, and their messages as the tools
// word them.
function report(tools) {
  const all = JSON.parse(tools.UTF8ToString(tools._MakerProblems()));
  const { kept: problems, hidden } = capPerFile(all, (problem) => fileOf(`${problem.file}:`));
  return { messages: problems.map((problem) => problem.message), problems, hidden };
}

function build(tools, { pages, font, song }) {
  const ok = withBytes(tools, pages, (p, pn) => withBytes(tools, font, (f, fn) => withBytes(tools, song, (s, sn) =>
    tools._MakerBuild(p, pn, f, fn, s, sn, 0))));
  if (!ok) return { ok: false, ...report(tools) };
  const at = tools._MakerPack();
  return { ok: true, ...report(tools), pack: tools.HEAPU8.slice(at, at + tools._MakerPackSize()) };
}

function exe(tools, request) {
  const built = build(tools, request);
  if (!built.ok) return built;
  const size = withBytes(tools, request.shell, (at, length) => tools._MakerBuildExe(at, length));
  if (!size) return { ...report(tools), ok: false, exeFailed: true };
  const at = tools._MakerExe();
  // "" when the exe written could not be measured: then no sizes.
  const sizes = tools.UTF8ToString(tools._MakerExeSizes());
  return { ...built, exe: tools.HEAPU8.slice(at, at + size), sizes: sizes ? JSON.parse(sizes) : null };
}

function sizes(tools, request) {
  const measured = exe(tools, request);
  delete measured.exe;
  return measured;
}

// The web folder's files handed over by name, then the page as one file.
function html(tools, request) {
  const built = build(tools, request);
  if (!built.ok) return built;
  for (const [name, bytes] of Object.entries(request.webFiles)) {
    const named = new TextEncoder().encode(`${name}\0`);
    if (!withBytes(tools, named, (at) => withBytes(tools, bytes, (b, length) => tools._MakerAddWebFile(at, b, length)))) {
      throw new Error(`${name} is not a file of the web page`);
    }
  }
  // The address is read after the size: composing the page may grow the memory.
  const size = tools._MakerSingleHtml();
  if (!size) return { ...report(tools), ok: false, htmlFailed: true };
  const at = tools._MakerHtml();
  return { ...built, html: tools.HEAPU8.slice(at, at + size) };
}

// The module's song source; past maxSourceBytes only its size comes back.
function disassemble(tools, { module, maxSourceBytes }) {
  if (!withBytes(tools, module, (at, length) => tools._MakerDisassemble(at, length))) return { ok: false, ...report(tools) };
  const at = tools._MakerSource(), end = tools.HEAPU8.indexOf(0, at);
  if (end - at > maxSourceBytes) return { ok: true, messages: [], sourceBytes: end - at };
  return { ok: true, messages: [], source: tools.UTF8ToString(at) };
}

// The song source as the tracker sees it (MakerSongView's JSON), or its problems.
function songView(tools, { song }) {
  const json = withBytes(tools, song, (at, length) => tools.UTF8ToString(tools._MakerSongView(at, length)));
  return json ? { ok: true, view: JSON.parse(json) } : { ok: false, ...report(tools) };
}

function songCheck(tools, { song }) {
  return withBytes(tools, song, (at, length) => tools._MakerSongCheck(at, length)) ? { ok: true } : { ok: false, ...report(tools) };
}

const jobs = { build, exe, sizes, html, disassemble, songView, songCheck };
let queue = Promise.resolve();
self.onmessage = (event) => {
  if (event.data.init) { startTools(event.data.init); return; }
  const { id, job } = event.data;
  queue = queue.then(() => toolsReady).then((tools) => {
    const started = performance.now();
    const answer = jobs[job](tools, event.data);
    answer.took = performance.now() - started;
    const transfer = [answer.pack, answer.exe, answer.html].filter(Boolean).map((bytes) => bytes.buffer);
    self.postMessage({ id, memory: tools.HEAPU8.length, ...answer }, transfer);
  }).catch((error) => self.postMessage({ id, failed: String(error?.message ?? error) }));
};
