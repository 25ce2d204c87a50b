// @ts-check
// The tools (maker.wasm: intro-pack's own code) in their worker
// (maker-tools-worker.js), so a large or hostile source never freezes the page.
import { MiB } from './limits.js';
import { fetchOnce } from './fetch-once.js';
import { maker } from './maker-state.js';
import { status } from './page-dom.js';

// maker.wasm grows to hold its largest job and never shrinks: past this the
// worker is replaced by a fresh one once it is idle.
const MaxToolsMemory = 64 * MiB;
const tools = {
  worker: /** @type {Worker | null} */ (null), nextId: 0, starts: 0,
  /** @type {Map<number, { job: string, resolve: (answer: any) => void, reject: (error: Error) => void }>} */ answers: new Map(),
  /** @type {{ worker: string, script: string, module: WebAssembly.Module } | null} */ code: null,
};

// The font's characters and fontc's four inks ('.', '#', '+', 'o'), as maker.wasm gives them.
export const toolsData = { charset: '', inks: /** @type {string[]} */ ([]) };

// Starts the tools from maker-tools-worker.js, maker.js and maker.wasm as
// fetched at start-up, so a fresh worker needs no network.
export async function startTools() {
  const [worker, script, wasm] = await Promise.all(['maker-tools-worker.js', 'maker.js', 'maker.wasm'].map(fetchOnce));
  /** @param {Uint8Array} bytes */
  const url = (bytes) => URL.createObjectURL(new Blob([bytes], { type: 'text/javascript' }));
  tools.code = { worker: url(worker), script: url(script), module: await WebAssembly.compile(wasm) };
  return launchTools();
}

// A new worker; resolves once maker.wasm is ready in it.
function launchTools() {
  const code = /** @type {NonNullable<typeof tools.code>} */ (tools.code);
  maker.toolsStarts = ++tools.starts;
  return new Promise((resolve, reject) => {
    const worker = new Worker(code.worker);
    worker.onerror = (event) => reject(new Error(`the tools' worker: ${event.message ?? 'it did not start'}`));
    worker.onmessage = (event) => {
      const answer = event.data;
      if ('ready' in answer) {
        if (!answer.ready) { reject(new Error(`maker.wasm: ${answer.failed}`)); return; }
        toolsData.charset = answer.charset;
        toolsData.inks = answer.inks;
        resolve(undefined);
        return;
      }
      const waiting = tools.answers.get(answer.id);
      tools.answers.delete(answer.id);
      if (waiting) keepTime(waiting.job, answer.took);
      maker.toolsBusy = tools.answers.size;
      if (answer.memory > MaxToolsMemory && tools.answers.size === 0) {
        worker.terminate();
        launchTools().catch((error) => status(`The tools cannot start again: ${error.message}`));
      }
      if (answer.failed) waiting?.reject(new Error(`the tools failed: ${answer.failed}`));
      else waiting?.resolve(answer);
    };
    worker.postMessage({ init: { script: code.script, module: code.module } });
    tools.worker = worker;
  });
}

// The last 100 times each job ran in the worker, in ms (maker.toolTimes).
/** @param {string} job @param {number | undefined} took */
function keepTime(job, took) {
  if (took === undefined) return;
  const times = (maker.toolTimes[job] ??= []);
  times.push(took);
  if (times.length > 100) times.shift();
}

// One job for the tools (see maker-tools-worker.js); the page stays free meanwhile.
/** @param {string} job @param {object} request @returns {Promise<any>} */
export function runTools(job, request = {}) {
  const id = ++tools.nextId;
  return new Promise((resolve, reject) => {
    tools.answers.set(id, { job, resolve, reject });
    maker.toolsBusy = tools.answers.size;
    tools.worker?.postMessage({ id, job, ...request });
  });
}
