// The page's side of the browser layer (loaded before the program's own
// script): the queue of page events the layer turns into window messages,
// the windows' canvases in the page's screen element, the message-box
// dialog, the Fullscreen API, and the frame clock SwapBuffers waits on.
//
// Implements: keydown/keyup (with repeats) as Windows virtual-key codes for
// letters, digits, F1 to F12, arrows and the editing block, Esc, Return,
// Space, Tab, Backspace, Shift, Ctrl and Alt, with the browser's own use of F1,
// the arrows, Space and Backspace prevented; the page hidden and shown again;
// a window's canvas resized by its frame; the page being closed
// (beforeunload, which lets the program end before the page goes).
// Leaves out: mouse input, text input, keys Windows has no code for (they are
// dropped), and the browser's own shortcuts (Ctrl+W, F5, F11 ... keep their
// meaning).
var HaldenPage = (function () {
  'use strict';

  var queue = [];          // page events waiting for PeekMessageA: [kind, a, b, c]
  var frameWaiter = null;  // resolves SwapBuffers' wait
  var frameRequest = 0;
  var resumedAt = null;    // when the program last went on after a frame
  var openBox = null;      // the dialog while a message box is up
  var windows = {};        // window id -> {frame, canvas, observer}

  // What the benchmark and the tests read.
  var stats = {
    frames: 0,            // buffers presented
    runtimeReadyAt: null, // performance.now() when the program's code was ready to run
    firstFrameAt: null,   // performance.now() of the first present
    boxMilliseconds: 0,   // time spent waiting for message-box answers
    busyMilliseconds: 0,  // time the program ran between one frame and the next
    busyFrames: 0,        // frames that busyMilliseconds covers
    boxes: [],            // [{caption, text, type, answer}] in order
    messages: [],         // the last window messages the program dispatched:
                          // [message, wParam, lParam]
    status: null          // the exit status once the program has ended
  };

  var EVENT_KEY = 1, EVENT_VISIBILITY = 2, EVENT_RESIZE = 3, EVENT_CLOSE = 4;

  // Keys by position (KeyboardEvent.code) whose meaning does not depend on
  // the layout: [virtual-key code, extended key].
  var keysByCode = {
    Escape: [0x1B, 0], Enter: [0x0D, 0], NumpadEnter: [0x0D, 1], Space: [0x20, 0],
    Tab: [0x09, 0], Backspace: [0x08, 0],
    ShiftLeft: [0x10, 0], ShiftRight: [0x10, 0], ControlLeft: [0x11, 0],
    ControlRight: [0x11, 1], AltLeft: [0x12, 0], AltRight: [0x12, 1],
    CapsLock: [0x14, 0], Pause: [0x13, 0],
    PageUp: [0x21, 1], PageDown: [0x22, 1], End: [0x23, 1], Home: [0x24, 1],
    ArrowLeft: [0x25, 1], ArrowUp: [0x26, 1], ArrowRight: [0x27, 1], ArrowDown: [0x28, 1],
    Insert: [0x2D, 1], Delete: [0x2E, 1]
  };
  for (var f = 1; f <= 12; ++f) keysByCode['F' + f] = [0x6F + f, 0];
  for (var d = 0; d <= 9; ++d) {
    keysByCode['Digit' + d] = [0x30 + d, 0];
    keysByCode['Numpad' + d] = [0x60 + d, 0];
  }

  // Keys whose default action in the browser would get in the way: F1 opens
  // help, the arrows, Space and Backspace scroll or navigate.
  var preventedCodes = { F1: 1, ArrowLeft: 1, ArrowUp: 1, ArrowRight: 1, ArrowDown: 1,
                         Space: 1, Backspace: 1 };

  function virtualKey(event) {
    // Letters follow the layout, as on Windows; elsewhere the position.
    if (typeof event.key === 'string' && /^[a-zA-Z]$/.test(event.key)) {
      return [event.key.toUpperCase().charCodeAt(0), 0];
    }
    if (/^Key[A-Z]$/.test(event.code)) return [event.code.charCodeAt(3), 0];
    return keysByCode[event.code] || null;
  }

  function post(kind, a, b, c) {
    queue.push([kind, a | 0, b | 0, c | 0]);
  }

  function onKey(event) {
    if (openBox !== null || stats.status !== null) return;  // the box has the keyboard
    var key = virtualKey(event);
    if (key === null) return;
    if (preventedCodes[event.code]) event.preventDefault();
    var up = event.type === 'keyup';
    post(EVENT_KEY, up ? 1 : 0, key[0], (key[1] ? 1 : 0) | (event.repeat ? 2 : 0));
  }

  window.addEventListener('keydown', onKey, true);
  window.addEventListener('keyup', onKey, true);
  document.addEventListener('visibilitychange', function () {
    post(EVENT_VISIBILITY, document.hidden ? 1 : 0);
  });
  window.addEventListener('beforeunload', function () {
    if (stats.status !== null) return;
    post(EVENT_CLOSE);
    // The program runs on at once, so that it can end while the page is
    // still here.
    wakeFrame();
  });

  function wakeFrame() {
    if (frameWaiter === null) return;
    var resolve = frameWaiter;
    frameWaiter = null;
    if (frameRequest !== 0) cancelAnimationFrame(frameRequest);
    frameRequest = 0;
    resumedAt = performance.now();
    resolve();
  }

  // Text the program passes through the "A" functions: the Windows code page.
  var decoder = new TextDecoder('windows-1252');
  function ansiString(pointer) {
    var end = pointer;
    while (HEAPU8[end] !== 0) ++end;
    return decoder.decode(HEAPU8.subarray(pointer, end));
  }

  function statusLine(text) {
    var status = document.getElementById('halden-status');
    if (status) status.textContent = text;
  }

  // A sizing grip just outside the window's bottom-right corner, so that it
  // never covers what the program draws.
  function addGrip(frame) {
    var grip = document.createElement('div');
    grip.className = 'halden-grip';
    grip.title = 'Drag to resize';
    var start = null;
    grip.addEventListener('pointerdown', function (event) {
      start = { x: event.clientX, y: event.clientY,
                width: frame.clientWidth, height: frame.clientHeight };
      grip.setPointerCapture(event.pointerId);
      event.preventDefault();
    });
    grip.addEventListener('pointermove', function (event) {
      if (start === null) return;
      frame.style.width = Math.max(1, start.width + event.clientX - start.x) + 'px';
      frame.style.height = Math.max(1, start.height + event.clientY - start.y) + 'px';
    });
    grip.addEventListener('pointerup', function () { start = null; });
    frame.appendChild(grip);
  }

  function screenElement() {
    return document.getElementById('halden-screen') || document.body;
  }

  var iconClasses = { 0x10: 'stop', 0x20: 'question', 0x30: 'exclamation', 0x40: 'information' };
  var iconGlyphs = { stop: '\u00D7', question: '?', exclamation: '!', information: 'i' };

  return {
    stats: stats,
    printed: [],  // the program's standard output, line by line

    // Writes the next page event as four ints (kind, a, b, c) at `pointer`
    // in the program's memory; 0 when none is waiting.
    takeEventInto: function (pointer) {
      if (queue.length === 0) return 0;
      var next = queue.shift();
      for (var i = 0; i < 4; ++i) HEAP32[(pointer >> 2) + i] = next[i];
      return 1;
    },

    // Called with the number of frames presented so far, each time the
    // program presents one and waits (the benchmark and the tests use it).
    frameListeners: [],

    // Waits for the display's next frame (or a close request).
    nextFrame: function () {
      var now = performance.now();
      stats.frames += 1;
      if (stats.firstFrameAt === null) stats.firstFrameAt = now;
      if (resumedAt !== null) {
        stats.busyMilliseconds += now - resumedAt;
        stats.busyFrames += 1;
        resumedAt = null;
      }
      var listeners = this.frameListeners.slice();
      for (var i = 0; i < listeners.length; ++i) {
        try { listeners[i](stats.frames); } catch (error) { console.error(error); }
      }
      return new Promise(function (resolve) {
        frameWaiter = resolve;
        frameRequest = requestAnimationFrame(function () {
          frameRequest = 0;
          wakeFrame();
        });
      });
    },

    // The NUL-terminated text at a pointer into the program's memory.
    ansiString: ansiString,

    noteMessage: function (message, wParam, lParam) {
      stats.messages.push([message, wParam, lParam]);
      if (stats.messages.length > 256) stats.messages.shift();
    },

    createWindow: function (id, title, width, height, popup, resizable) {
      var frame = document.createElement('div');
      frame.className = 'halden-window' + (popup ? ' popup' : '') + (resizable ? ' resizable' : '');
      frame.style.width = width + 'px';
      frame.style.height = height + 'px';
      var canvas = document.createElement('canvas');
      canvas.id = 'halden-window-' + id;
      canvas.width = width;
      canvas.height = height;
      canvas.tabIndex = 0;
      frame.appendChild(canvas);
      screenElement().appendChild(frame);
      var record = { frame: frame, canvas: canvas, observer: null };
      if (resizable) addGrip(frame);
      if (resizable && typeof ResizeObserver === 'function') {
        // The frame's size is the client area: the drawing buffer follows it.
        record.observer = new ResizeObserver(function () {
          var w = Math.max(0, Math.round(frame.clientWidth));
          var h = Math.max(0, Math.round(frame.clientHeight));
          if (w === canvas.width && h === canvas.height) return;
          canvas.width = w;
          canvas.height = h;
          post(EVENT_RESIZE, id, w, h);
        });
        record.observer.observe(frame);
      }
      windows[id] = record;
      document.title = title;
      return canvas.id;
    },

    destroyWindow: function (id) {
      var record = windows[id];
      if (!record) return;
      if (record.observer) record.observer.disconnect();
      record.frame.remove();
      delete windows[id];
    },

    showWindow: function (id, shown) {
      var record = windows[id];
      if (record) record.frame.classList.toggle('shown', !!shown);
    },

    focusWindow: function (id) {
      var record = windows[id];
      if (record) record.canvas.focus({ preventScroll: true });
    },

    clientSize: function (id) {
      var record = windows[id];
      return record ? [record.canvas.width, record.canvas.height] : [0, 0];
    },

    setCursorShown: function (shown) {
      Object.keys(windows).forEach(function (id) {
        windows[id].frame.classList.toggle('no-cursor', !shown);
      });
    },

    // The display mode: the screen element goes fullscreen. Resolves true
    // when the browser agreed.
    enterFullscreen: function () {
      var screen = screenElement();
      if (!document.fullscreenEnabled || typeof screen.requestFullscreen !== 'function') {
        return Promise.resolve(false);
      }
      if (document.fullscreenElement === screen) return Promise.resolve(true);
      return screen.requestFullscreen({ navigationUI: 'hide' }).then(
        function () { return true; }, function () { return false; });
    },

    leaveFullscreen: function () {
      if (document.fullscreenElement && document.exitFullscreen) {
        document.exitFullscreen().catch(function () {});
      }
    },

    // A modal dialog in the page; resolves with the answer (IDOK 1, IDYES 6,
    // IDNO 7). Return picks the focused button, the default one unless the
    // user moved the focus; Escape picks No, or OK when it is the only one.
    messageBox: function (text, caption, type) {
      var yesNo = (type & 0x0F) === 4;
      var escapeAnswer = yesNo ? 7 : 1;
      var started = performance.now();
      resumedAt = null;  // waiting for a person is not frame work
      var record = { caption: caption, text: text, type: type, answer: null };
      stats.boxes.push(record);
      return new Promise(function (resolve) {
        var dialog = document.createElement('dialog');
        dialog.className = 'halden-box';
        dialog.setAttribute('aria-label', caption);
        var title = document.createElement('div');
        title.className = 'caption';
        title.textContent = caption;
        var body = document.createElement('div');
        body.className = 'body';
        var icon = document.createElement('div');
        var iconClass = iconClasses[type & 0xF0] || 'none';
        icon.className = 'icon ' + iconClass;
        icon.textContent = iconGlyphs[iconClass] || '';
        icon.setAttribute('aria-hidden', 'true');
        var message = document.createElement('div');
        message.className = 'text';
        message.textContent = text;
        body.appendChild(icon);
        body.appendChild(message);
        var buttons = document.createElement('div');
        buttons.className = 'buttons';
        var answers = yesNo ? [[6, 'Yes'], [7, 'No']] : [[1, 'OK']];
        var first = null;
        answers.forEach(function (entry) {
          var button = document.createElement('button');
          button.type = 'button';
          button.textContent = entry[1];
          button.dataset.answer = String(entry[0]);
          button.addEventListener('click', function () { finish(entry[0]); });
          buttons.appendChild(button);
          if (first === null) first = button;
        });
        dialog.appendChild(title);
        dialog.appendChild(body);
        dialog.appendChild(buttons);

        var done = false;
        function finish(answer) {
          if (done) return;
          done = true;
          record.answer = answer;
          openBox = null;
          dialog.close();
          dialog.remove();
          stats.boxMilliseconds += performance.now() - started;
          resolve(answer);
        }
        dialog.addEventListener('cancel', function (event) {
          event.preventDefault();
          finish(escapeAnswer);
        });
        dialog.addEventListener('keydown', function (event) {
          if (event.key === 'Escape') {
            event.preventDefault();
            finish(escapeAnswer);
          } else if (event.key === 'Enter') {
            event.preventDefault();
            var focused = document.activeElement;
            var chosen = focused && focused.dataset && focused.dataset.answer ? focused : first;
            finish(Number(chosen.dataset.answer));
          }
        });
        document.body.appendChild(dialog);
        openBox = dialog;
        // Modal: the dialog sits above everything, a fullscreen screen too.
        dialog.showModal();
        first.focus();
      });
    },

    programEnded: function (status) {
      stats.status = status;
      if (frameRequest !== 0) cancelAnimationFrame(frameRequest);
      statusLine('Halden has ended with exit status ' + status + '.');
    },

    programStopped: function (reason) {
      stats.status = -1;
      statusLine('Halden stopped: ' + reason);
    }
  };
})();
