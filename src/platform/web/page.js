// The page side of the browser build (prepended to the generated JavaScript).
//
// WHAT IT DOES
//   Everything the web platform asks of the page, on one object, window.vessmark:
//   - standard output and error: shown in the page's log and written to its console;
//   - message boxes: a message over the page that waits for its OK button;
//   - the setup dialog: an HTML panel of the template's controls at their dialog-unit places;
//   - the window: the canvas at the chosen resolution, scaled to fit and letterboxed, full screen
//     on request; the cursor; the keys pressed, as Windows messages;
//   - audio: an AudioContext at 44100 Hz, the browser's own MP3 decoding, one source node per
//     playing stream, and the context's clock;
//   - the frame pace: the demo waits for the browser's next animation frame once a frame.
//   Tests and benchmarks read what it records (lines, messages, frame times, the exit code) and
//   use its transport (seek, pause) and frame grab.
//
// WHAT IT DOES NOT DO
//   No drawing (WebGL belongs to the graphics device), no decisions of the demo's own.
//
// STEP BY STEP (what the page sees)
//   1. load: the runtime starts, main() runs up to the setup dialog: the panel appears
//   2. click Run: the audio context opens (a click is what lets it play), the show starts
//   3. the show ends (or Escape): vessmark.exitCode is set and the page says so
var vessmark = (function () {
  'use strict';
  const WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_QUIT = 0x0012;
  const UNIT = 2;  // pixels per dialog unit
  const LOG_LINES = 40;
  const byId = (id) => document.getElementById(id);

  const page = {
    lines: [],          // every standard output line, in order
    errors: [],         // every standard error line
    messages: [],       // every message box: {caption, text}
    exitCode: null,     // set when the demo's entry function has returned
    clickedAt: null,    // performance.now() of the click that started the show
    firstFrameAt: null, // ... and of the first frame after it
    frameTimes: [],     // performance.now() of each frame after the start
    grabbed: null,      // the last frame grabbed: {width, height, rgba}
    grabWanted: false,
    windowOpen: false,
  };

  // ---- standard output and error
  function logLine(text, isError) {
    const log = byId('log');
    if (!log) return;
    const line = document.createElement('div');
    line.textContent = text;
    if (isError) line.className = 'err';
    log.appendChild(line);
    while (log.childNodes.length > LOG_LINES) log.removeChild(log.firstChild);
  }
  page.print = function (text) {
    page.lines.push(text);
    console.log(text);
    logLine(text, false);
  };
  page.printErr = function (text) {
    page.errors.push(text);
    console.warn(text);
    logLine(text, true);
  };
  function status(text) {
    const s = byId('status');
    if (s) s.textContent = text;
  }

  // ---- message boxes
  page.showMessage = function (caption, text, warning) {
    page.messages.push({caption, text});
    return new Promise((resolve) => {
      const layer = byId('messages');
      const box = document.createElement('div');
      box.className = 'dialog message' + (warning ? ' warning' : '');
      box.setAttribute('role', 'alertdialog');
      const title = document.createElement('div');
      title.className = 'caption';
      title.textContent = caption;
      const body = document.createElement('pre');
      body.textContent = text;
      const buttons = document.createElement('div');
      buttons.className = 'buttons';
      const ok = document.createElement('button');
      ok.textContent = 'OK';
      ok.onclick = () => {
        layer.removeChild(box);
        if (!layer.firstChild) layer.classList.remove('open');
        resolve();
      };
      buttons.appendChild(ok);
      box.append(title, body, buttons);
      layer.appendChild(box);
      layer.classList.add('open');
      ok.focus();
    });
  };

  // ---- the setup dialog as a panel
  const KIND = ['defbutton', 'button', 'check', 'combo', 'picture', 'group'];
  page.panel = {
    controls: new Map(),  // id -> element
    pending: null,        // resolves waitCommand
    open(caption, cx, cy) {
      const root = byId('panel');
      root.textContent = '';
      root.className = 'dialog';
      const title = document.createElement('div');
      title.className = 'caption';
      title.textContent = caption;
      const body = document.createElement('div');
      body.className = 'body';
      body.style.width = cx * UNIT + 'px';
      body.style.height = cy * UNIT + 'px';
      root.append(title, body);
      this.body = body;
      this.controls.clear();
      root.onkeydown = (e) => {
        if (e.key === 'Escape') this.finish(0);
        if (e.key === 'Enter' && e.target.tagName !== 'BUTTON') this.finish(this.defaultId);
      };
      status('');
    },
    add(id, kind, text, x, y, cx, cy) {
      let el;
      switch (KIND[kind]) {
        case 'defbutton':
        case 'button':
          el = document.createElement('button');
          el.textContent = text;
          el.onclick = () => this.finish(id);
          if (KIND[kind] === 'defbutton') this.defaultId = id;
          break;
        case 'check': {
          el = document.createElement('label');
          const box = document.createElement('input');
          box.type = 'checkbox';
          el.append(box, text);
          el.input = box;
          break;
        }
        case 'combo':
          el = document.createElement('select');
          cy = 12;  // the template's height is the open list's; the closed box is one line
          break;
        case 'picture':
          el = document.createElement('canvas');
          this.pictureBox = el;
          break;
        default:
          el = document.createElement('fieldset');
          el.appendChild(document.createElement('legend')).textContent = text;
          break;
      }
      el.style.left = x * UNIT + 'px';
      el.style.top = y * UNIT + 'px';
      el.style.width = cx * UNIT + 'px';
      el.style.height = cy * UNIT + 'px';
      if (id >= 0) {
        el.dataset.id = id;
        this.controls.set(id, el);
      }
      if (KIND[kind] === 'group') this.body.prepend(el);
      else this.body.appendChild(el);
    },
    picture(rgb, width, height) {
      const canvas = this.pictureBox;
      if (!canvas) return;
      canvas.width = width;
      canvas.height = height;
      const image = new ImageData(width, height);
      for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) {
        image.data[j] = rgb[i];
        image.data[j + 1] = rgb[i + 1];
        image.data[j + 2] = rgb[i + 2];
        image.data[j + 3] = 255;
      }
      canvas.getContext('2d').putImageData(image, 0, 0);
    },
    setItems(id, lines, selection) {
      const select = this.controls.get(id);
      if (!select) return;
      const items = lines.split('\n').slice(0, -1);
      select.textContent = '';
      // No-break spaces keep the columns the lines are padded to (HTML collapses spaces).
      items.forEach((text, i) => select.add(new Option(text.replace(/ /g, '\u00a0'), String(i))));
      select.selectedIndex = selection;
    },
    setCheck(id, checked) {
      const label = this.controls.get(id);
      if (label && label.input) label.input.checked = checked;
    },
    check(id) {
      const label = this.controls.get(id);
      return !!(label && label.input && label.input.checked);
    },
    selection(id) {
      const select = this.controls.get(id);
      return select ? select.selectedIndex : -1;
    },
    // A button's id, or 0 when the panel is closed (Escape).
    waitCommand() {
      const first = this.body.querySelector('select, input, button');
      if (first) first.focus();
      return new Promise((resolve) => (this.pending = resolve));
    },
    finish(command) {
      // A click is the gesture a page needs before it may play sound or go full screen.
      page.audio.openContext();
      if (command !== 0) page.clickedAt = performance.now();
      const resolve = this.pending;
      this.pending = null;
      if (resolve) resolve(command);
    },
    close() {
      const root = byId('panel');
      root.textContent = '';
      root.className = '';
    },
  };

  // ---- the window
  page.openWindow = function (title, width, height, fullscreen) {
    const canvas = byId('canvas');
    canvas.width = width;
    canvas.height = height;
    document.title = title;
    page.windowOpen = true;
    status('');
    canvas.focus();
    if (fullscreen && document.fullscreenEnabled && !document.fullscreenElement) {
      byId('stage').requestFullscreen().catch(() => {});
    }
  };
  page.showCursor = function (visible) {
    byId('stage').classList.toggle('nocursor', !visible);
  };

  // ---- keys and the pump
  const queue = [];
  function onKey(e, message) {
    if (!page.windowOpen || page.exitCode !== null) return;
    if (byId('messages').classList.contains('open')) return;
    if (e.key === 'l' || e.key === 'L') {
      if (message === WM_KEYDOWN) byId('log').classList.toggle('hidden');
    }
    const vk = e.keyCode;
    if (!vk) return;
    // lParam as Windows fills it: repeat count 1; bit 30 previous state; bit 31 transition.
    let bits = 1;
    if (message === WM_KEYUP || e.repeat) bits |= 1 << 30;
    if (message === WM_KEYUP) bits |= 1 << 31;
    queue.push([message, vk, bits >>> 0]);
    // The demo's keys are its own; the browser's shortcuts (with Ctrl, F-keys) stay the browser's.
    if (!e.ctrlKey && !e.metaKey && !(vk >= 0x70 && vk <= 0x7B)) e.preventDefault();
  }
  if (typeof window !== 'undefined') {
    window.addEventListener('keydown', (e) => onKey(e, WM_KEYDOWN));
    window.addEventListener('keyup', (e) => onKey(e, WM_KEYUP));
  }
  page.quit = function () {
    queue.push([WM_QUIT, 0, 0]);
  };
  page.nextMessage = function (out) {
    const msg = queue.shift();
    if (!msg) return false;
    HEAPU32[out >> 2] = msg[0];
    HEAPU32[(out >> 2) + 1] = msg[1];
    HEAPU32[(out >> 2) + 2] = msg[2];
    return true;
  };
  page.nextFrame = function () {
    return new Promise((resolve) =>
      requestAnimationFrame(() => {
        const now = performance.now();
        if (page.clickedAt !== null) {
          if (page.firstFrameAt === null) page.firstFrameAt = now;
          page.frameTimes.push(now);
        }
        resolve();
      }));
  };

  // ---- frames for tests: the next presented back buffer, top row first, RGBA
  page.grab = function () {
    page.grabbed = null;
    page.grabWanted = true;
    return new Promise((resolve) => (page.grabResolve = resolve));
  };
  page.takeFrame = function (rgba, width, height) {
    page.grabWanted = false;
    page.grabbed = {width, height, rgba: HEAPU8.slice(rgba, rgba + width * height * 4)};
    if (page.grabResolve) page.grabResolve(page.grabbed);
    page.grabResolve = null;
  };

  // ---- transport (tests, benchmarks): music time of every stream, pause and resume
  page.seek = (seconds) => Module._vm_web_seek(seconds);
  page.pause = (paused) => Module._vm_web_pause(paused ? 1 : 0);
  page.musicSeconds = () => Module._vm_web_music_seconds();

  // ---- audio
  page.audio = {
    context: null,
    buffers: new Map(),  // id -> AudioBuffer
    nodes: new Map(),    // id -> the playing AudioBufferSourceNode
    nextId: 1,
    openContext() {
      if (!this.context) {
        try {
          this.context = new AudioContext({sampleRate: 44100, latencyHint: 'interactive'});
        } catch (e) {
          page.printErr('audio: no audio context: ' + e.message);
          return false;
        }
      }
      if (this.context.state === 'suspended') this.context.resume().catch(() => {});
      return true;
    },
    async decode(bytes, why, whySize) {
      try {
        const buffer = await this.context.decodeAudioData(bytes.buffer);
        const id = this.nextId++;
        this.buffers.set(id, buffer);
        return id;
      } catch (e) {
        stringToUTF8('the browser cannot decode it (' + (e && e.message ? e.message : e) + ')',
                     why, whySize);
        return 0;
      }
    },
    length(id) {
      const buffer = this.buffers.get(id);
      return buffer ? buffer.length : 0;
    },
    start(id, frame) {
      this.stop(id);
      const buffer = this.buffers.get(id);
      if (!buffer) return;
      const node = this.context.createBufferSource();
      node.buffer = buffer;
      node.connect(this.context.destination);
      node.start(0, frame / buffer.sampleRate);
      this.nodes.set(id, node);
    },
    stop(id) {
      const node = this.nodes.get(id);
      if (!node) return;
      node.stop();
      node.disconnect();
      this.nodes.delete(id);
    },
    release(id) {
      this.stop(id);
      this.buffers.delete(id);
    },
    // [heard, heardAt, scheduled, now] in seconds (see ContextTime).
    time(out) {
      const context = this.context;
      const now = performance.now() / 1000;
      let heard = context.currentTime, heardAt = now;
      const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
      if (stamp && stamp.performanceTime > 0 && stamp.contextTime > 0) {
        heard = stamp.contextTime;
        heardAt = stamp.performanceTime / 1000;
      }
      const at = out >> 3;
      HEAPF64[at] = heard;
      HEAPF64[at + 1] = heardAt;
      HEAPF64[at + 2] = context.currentTime;
      HEAPF64[at + 3] = now;
    },
  };

  // ---- the end
  page.ended = function (code) {
    page.exitCode = code;
    page.windowOpen = false;
    for (const id of page.audio.nodes.keys()) page.audio.stop(id);
    status(code === 0 ? 'The show has ended. Reload the page to watch it again.'
                      : 'The demo stopped (exit code ' + code + ').');
  };

  if (typeof window !== 'undefined') window.vessmark = page;
  return page;
})();

Module['print'] = vessmark.print;
Module['printErr'] = vessmark.printErr;
Module['canvas'] = document.getElementById('canvas');
Module['onExit'] = vessmark.ended;
Module['onAbort'] = (what) => vessmark.ended('aborted: ' + what);
Module['setStatus'] = (text) => {
  const s = document.getElementById('status');
  if (s && text) s.textContent = text;
};
