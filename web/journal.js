// The web layer's journal (a --js-library): the calls the layer makes into the viewer, kept so
// that a sketch outlives the page, travels in a link and can be undone.
//
// The viewers are deterministic: the same calls of their callbacks, in the same order, give the
// same state, bit for bit. So the journal keeps the calls as web/layer.cpp makes them, each a
// letter and up to four numbers:
//   R w,h      a reshape to w x h CSS pixels      V x,y,m    a motion, modifiers m
//   D b,x,y,m  a press of button b                K k,x,y,m  a key (its character code)
//   U b,x,y,m  its release                        C n,v      the choice of value v in menu n
//   F          a frame: the 3D viewer applies its pending field updates in one, and its shading
//              draws on a random sequence that each frame advances, so its frames are kept; the
//              2D viewer draws its frames from the state alone, and they are not
// and brings a sketch back by playing them into a fresh viewer: the copy of the WebAssembly
// memory taken before the first call, with the menus attached as they were then. The frames
// played are computed, not drawn, but for the last, so that the picture is the one it was.
// Where it is kept:
// - for the tab (sessionStorage), when the page is hidden or goes, so that a reload, a tab the
//   browser discarded and reopens, or a lost GL context (web/layer.js reloads the page) brings
//   the sketch back;
// - in the address (#sketch=: the text below, deflated, in URL-safe base64), replaced rather than
//   pushed a moment after every finished action, so that Back is not flooded and the link opened
//   anywhere gives the same sketch.
// Undo plays the journal without its last action (a menu choice, a click, a drag from press to
// release, a key), Redo with it again. "New sketch" starts a fresh viewer and marks it in the
// journal (N), so that Undo brings the earlier sketch back in this page; the tab and the link
// keep what follows the mark. When the journal is full, the page says so, and the viewer works on.
// Text:  gaugeplot3d/1:R640,640C1,1D0,200,200F...  (the viewer, the format, the calls; numbers
// that end a call and are 0 are left out).
// A journal read from a link or the tab is input: its text is parsed strictly, within fixed
// bounds, and each call is played only if the layer itself could have made it at that point
// (sizes and positions within MaxSide pixels, a button released only after its press, no press
// of a button with a menu attached, a menu choice only of an attached menu's entries). Playing
// stops at the first call that fails, or that ends the viewer, and the page says what it could
// not read. Nothing of it runs as script or markup; it never leaves the browser.
var GaugeplotJournalLibrary = {
  $GaugeplotJournal__deps: ['$GaugeplotWeb'],
  $GaugeplotJournal: {
    Format: 1,
    MaxRecords: 10000,    // calls kept: the largest 3D journal, its frames at full capacity, plays in about 2 s
    MaxSide: 16384,       // CSS pixels: window sides, and pointer positions either way of the window
    MaxLink: 100000,      // characters of a fragment, written or read
    Arity: {R: 2, F: 0, D: 4, U: 4, V: 3, K: 4, C: 2, N: 0},
    data: null,           // the calls, five numbers each (the letter's code and its numbers)
    count: 0,
    segment: 0,           // the first call after the last N: what the tab and the link keep
    text: '',             // the segment as text
    down: [false, false, false],  // buttons pressed by the calls so far
    actions: 0,           // actions in the segment
    width: 0, height: 0,  // the window as the last R left it
    undone: [],           // journals' tails undone, the last on top
    playing: false,
    full: false,          // past MaxRecords: the journal no longer follows the viewer
    ended: false,
    snapshot: null,       // the viewer before its first call
    attachedThen: null,
    started: null,        // resolves once the snapshot is taken
    pending: null,        // the journal read at load
    link: '',             // the fragment that holds the segment, '' when none does
    saveTimer: 0,
    saveSerial: 0,
    written: 0,           // the save whose link the address holds
    saving: null,         // resolves once the address holds the latest save's link
    restoredMs: 0,        // how long the last journal took to play, for the benchmark

    viewer: function() { return Module['viewerName'] || ''; },
    storageKey: function() { return 'gaugeplot ' + GaugeplotJournal.viewer(); },
    header: function() { return GaugeplotJournal.viewer() + '/' + GaugeplotJournal.Format + ':'; },

    encode: function(kind, a, b, c, d) {
      var letter = String.fromCharCode(kind), n = GaugeplotJournal.Arity[letter];
      var used = n > 3 && d ? 4 : n > 2 && c ? 3 : n > 1 && b ? 2 : n > 0 && a ? 1 : 0;
      return letter + (used > 0 ? a : '') + (used > 1 ? ',' + b : '') + (used > 2 ? ',' + c : '') + (used > 3 ? ',' + d : '');
    },

    at: function(i) {
      var d = GaugeplotJournal.data;
      return [d[5 * i], d[5 * i + 1], d[5 * i + 2], d[5 * i + 3], d[5 * i + 4]];
    },

    all: function() {
      var out = [];
      for (var i = 0; i < GaugeplotJournal.count; i++) out.push(GaugeplotJournal.at(i));
      return out;
    },

    // An action begins with a press, a key or a menu choice while no button is held.
    beginsAction: function(kind, down) {
      return (kind === 68 /* D */ || kind === 75 /* K */ || kind === 67 /* C */) && !down[0] && !down[1] && !down[2];
    },

    // Every call web/layer.cpp makes into the viewer, before it makes it.
    record: function(kind, a, b, c, d) {
      var J = GaugeplotJournal;
      if (!J.snapshot) J.takeSnapshot();
      if (J.ended || J.full) return;
      if (kind === 70 /* F */ && !Module['framesKeepState']) return;
      if (J.append(kind, a, b, c, d) && !J.playing) J.changed();
    },

    // False once the journal is full: from then on it no longer follows the viewer.
    append: function(kind, a, b, c, d) {
      var J = GaugeplotJournal, i = 5 * J.count;
      if (J.count >= J.MaxRecords) {
        J.full = true;
        J.notice('This sketch has grown past what the page keeps (' + J.MaxRecords + ' steps): what you do from now on ' +
          'is not kept for a reload or in the link, and cannot be undone.');
        J.update();
        return false;
      }
      if (kind === 78 /* N */) {
        J.segment = J.count + 1;
        J.text = J.header();
        J.actions = 0;
      } else {
        if (J.beginsAction(kind, J.down)) {
          J.actions++;
          if (!J.playing) J.undone = [];  // a new action drops what could have been redone
        }
        if (kind === 68 || kind === 85) J.down[a] = kind === 68;
        if (kind === 82) { J.width = a; J.height = b; }
        J.text += J.encode(kind, a, b, c, d);
      }
      J.data[i] = kind; J.data[i + 1] = a; J.data[i + 2] = b; J.data[i + 3] = c; J.data[i + 4] = d;
      J.count++;
      return true;
    },

    // The journal emptied, then these calls put in it without being played.
    reset: function(records) {
      var J = GaugeplotJournal;
      J.count = 0;
      J.segment = 0;
      J.text = J.header();
      J.actions = 0;
      J.down = [false, false, false];
      J.full = false;
      records.forEach(function(r) { J.append(r[0], r[1], r[2], r[3], r[4]); });
    },

    takeSnapshot: function() {
      var J = GaugeplotJournal;
      J.data = new Int32Array(5 * J.MaxRecords);
      J.snapshot = HEAPU8.slice();
      J.attachedThen = GaugeplotWeb.attached.slice();
      J.reset([]);
      if (J.pending) Module['_fromPageHold'](1);
      J.onStarted();
    },

    // Could the layer itself have made this call here? (Positions may lie outside the window, as
    // a drag that leaves it gives them.)
    allowed: function(r) {
      var J = GaugeplotJournal, W = GaugeplotWeb, side = J.MaxSide;
      var place = function(x, y, m) { return Math.abs(x) <= side && Math.abs(y) <= side && m >= 0 && m <= 7; };
      var button = r[1] >= 0 && r[1] <= 2;
      if (J.count === J.segment) return r[0] === 82;  // a journal begins with the window's size
      switch (r[0]) {
        case 82: return r[1] >= 1 && r[1] <= side && r[2] >= 1 && r[2] <= side;
        case 70: return !!Module['framesKeepState'];
        case 68: return button && !J.down[r[1]] && !W.attached[r[1]] && place(r[2], r[3], r[4]);
        case 85: return button && J.down[r[1]] && place(r[2], r[3], r[4]);
        case 86: return (J.down[0] || J.down[1] || J.down[2]) && place(r[1], r[2], r[3]);
        case 75: return r[1] >= 0 && r[1] <= 255 && place(r[2], r[3], r[4]);
        case 67: return r[1] > 0 && W.attached.indexOf(r[1]) >= 0 &&
          (W.menus[r[1]] || []).some(function(entry) { return entry.value === r[2]; });
      }
      return false;
    },

    call: function(r) {
      switch (r[0]) {
        case 82: Module['_fromPageResize'](r[1], r[2]); break;
        case 70: Module['_fromPageFrame'](0); break;
        case 68: case 85: Module['_fromPageMouse'](r[1], r[0] === 85 ? 1 : 0, r[2], r[3], r[4]); break;
        case 86: Module['_fromPageMotion'](r[1], r[2], r[3]); break;
        case 75: Module['_fromPageKey'](r[1], r[2], r[3], r[4]); break;
        case 67: Module['_fromPageMenu'](r[1], r[2]); break;
      }
    },

    // A fresh viewer given these calls: those after the last N played (the rest kept as they are),
    // then reshaped to the window's size now, and the last frame drawn. Returns how many of the
    // played calls were played.
    rebuild: function(records) {
      var J = GaugeplotJournal, W = GaugeplotWeb;
      var start = records.length;
      while (start > 0 && records[start - 1][0] !== 78) start--;
      HEAPU8.set(J.snapshot);
      W.attached = J.attachedThen.slice();
      W.delivered = [false, false, false];
      W.closeMenu();
      if (Module['clearOutput']) Module['clearOutput']();
      J.reset(records.slice(0, start));
      var last = records.length - 1;
      while (last >= start && records[last][0] !== 70) last--;
      J.playing = true;
      Module['_fromPagePlaying'](1);
      var i = start, thrown = false;
      try {
        for (; i < records.length && J.count < J.MaxRecords && J.allowed(records[i]); i++) {
          try {
            if (i === last) Module['_fromPageFrame'](1);
            else J.call(records[i]);
          } catch (e) {
            thrown = true;  // the viewer ended, part way through the call: played again without it
            break;
          }
        }
        if (!thrown) {
          // Reshaped to the window's size now, as a desktop window resized after the sketch; a
          // frame drawn where the journal's last one was not its last call, as the viewer would.
          var resized = J.count === J.segment || J.width !== W.width || J.height !== W.height;
          if (resized) Module['_fromPageResize'](W.width, W.height);
          if (resized || i !== last + 1) Module['_fromPageFrame'](1);
        }
      } finally {
        J.playing = false;
        Module['_fromPagePlaying'](0);
      }
      if (thrown) return J.rebuild(records.slice(0, i));
      // A frame the viewer asked for before (GLUT's, at the next animation frame) would be one
      // more than the journal's: it is let pass undrawn, unless a call has come since.
      Module['_fromPageHold'](1);
      var count = J.count;
      requestAnimationFrame(function() {
        Module['_fromPageHold'](0);
        if (J.count !== count) Module['_fromPageFrame'](1);
      });
      J.changed();
      return i - start;
    },

    undo: function() {
      var J = GaugeplotJournal;
      if (!J.canUndo()) return;
      var records = J.all(), down = [false, false, false], from = J.segment - 1;  // the N, when no action follows it
      for (var i = J.segment; i < records.length; i++) {
        var r = records[i];
        if (J.beginsAction(r[0], down)) from = i;
        if (r[0] === 68 || r[0] === 85) down[r[1]] = r[0] === 68;
      }
      var undone = J.undone.concat([records.slice(from)]);
      J.rebuild(records.slice(0, from));
      J.undone = undone;
      J.update();
    },

    redo: function() {
      var J = GaugeplotJournal;
      if (!J.canRedo()) return;
      var undone = J.undone.slice(0, -1);
      J.rebuild(J.all().concat(J.undone[J.undone.length - 1]));
      J.undone = undone;
      J.update();
    },

    newSketch: function() {
      var J = GaugeplotJournal;
      if (!J.snapshot || J.ended) return;
      if (J.count >= J.MaxRecords - 2) J.reset([]);  // too full to keep the earlier sketch for Undo
      J.notice('');
      J.undone = [];
      J.rebuild(J.all().concat([[78, 0, 0, 0, 0]]));
    },

    free: function() {
      var W = GaugeplotWeb;
      return !W.openMenu && !W.dragging() && !W.touch;
    },
    canUndo: function() {
      var J = GaugeplotJournal;
      return !!J.snapshot && !J.ended && !J.full && (J.actions > 0 || J.segment > 1);
    },
    canRedo: function() {
      var J = GaugeplotJournal;
      return !!J.snapshot && !J.ended && !J.full && J.undone.length > 0;
    },

    update: function() {
      var J = GaugeplotJournal;
      var set = function(id, enabled) {
        var button = document.getElementById(id);
        if (button) button.disabled = !enabled;
      };
      set('undo', J.canUndo());
      set('redo', J.canRedo());
      ['new-sketch', 'copy-link', 'save-picture'].forEach(function(id) { set(id, !!J.snapshot && !J.ended); });
    },

    // A finished action is kept a moment later, so that a quick run of clicks is kept once.
    changed: function() {
      var J = GaugeplotJournal;
      if (J.down[0] || J.down[1] || J.down[2]) return;
      J.update();
      if (!J.saveTimer) J.saveTimer = setTimeout(J.save, 150);
    },

    hasSketch: function() { return GaugeplotJournal.count - GaugeplotJournal.segment > 1; },

    // The tab's copy: written when the page is hidden or goes (a reload, a tab put aside, which
    // the browser may discard) and before it loads anew for its graphics, since writing it costs
    // milliseconds that a live drag should not wait for. A tab that dies unwarned still has the link.
    keep: function() {
      var J = GaugeplotJournal;
      if (!J.snapshot || J.ended) return;
      try {
        if (J.hasSketch()) sessionStorage.setItem(J.storageKey(), JSON.stringify({text: J.text, link: J.link}));
        else sessionStorage.removeItem(J.storageKey());
      } catch (e) {
        J.notice('The tab has no room left for this sketch: a reload will not bring it back; the link still holds it.');
      }
    },

    // The link, a moment after each finished action.
    save: function() {
      var J = GaugeplotJournal, serial = ++J.saveSerial, text = J.text;
      clearTimeout(J.saveTimer);
      J.saveTimer = 0;
      if (!J.hasSketch() || typeof CompressionStream !== 'function') {
        J.link = '';
        J.written = serial;
        history.replaceState(history.state, '', location.pathname + location.search);
        return (J.saving = Promise.resolve());
      }
      return (J.saving = J.deflate(text).then(function(code) {
        if (serial !== J.saveSerial || J.ended) return;
        J.written = serial;
        var link = '#sketch=' + code;
        if (link.length > J.MaxLink) {
          if (J.link !== 'long')
            J.notice('This sketch has grown too long for a link: the address no longer holds it; the tab keeps it for a reload.');
          J.link = 'long';
          history.replaceState(history.state, '', location.pathname + location.search);
        } else {
          J.link = link;
          history.replaceState(history.state, '', link);
        }
      }));
    },

    deflate: function(text) {
      var stream = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
      return new Response(stream).arrayBuffer().then(function(buffer) {
        var bytes = new Uint8Array(buffer), binary = '';
        for (var i = 0; i < bytes.length; i += 8192) binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
        return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
      });
    },

    // The fragment's text, or a rejection; at most MaxRecords calls' worth is inflated.
    inflate: function(code) {
      if (code.length > GaugeplotJournal.MaxLink || !/^[A-Za-z0-9_-]*$/.test(code)) return Promise.reject(new Error('not a link'));
      var binary = atob(code.replace(/-/g, '+').replace(/_/g, '/') + '==='.slice((code.length + 3) % 4));
      var bytes = new Uint8Array(binary.length);
      for (var i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
      var reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
      var chunks = [], total = 0, limit = 40 * GaugeplotJournal.MaxRecords;
      var join = function() {
        var all = new Uint8Array(total), at = 0;
        chunks.forEach(function(c) { all.set(c, at); at += c.length; });
        return all;
      };
      var pump = function() {
        return reader.read().then(function(part) {
          if (part.done) return new TextDecoder('utf-8', {fatal: true}).decode(join());
          total += part.value.length;
          if (total > limit) {
            reader.cancel();
            throw new Error('too long');
          }
          chunks.push(part.value);
          return pump();
        });
      };
      return pump();
    },

    // The calls of a journal's text: {records, partial}, or {problem} when it cannot be played.
    parse: function(text) {
      var J = GaugeplotJournal;
      var head = /^(gaugeplot[23]d)\/(\d{1,6}):/.exec(text);
      if (!head) return {problem: 'unreadable'};
      if (head[1] !== J.viewer()) return {problem: 'viewer', other: head[1]};
      if (Number(head[2]) !== J.Format) return {problem: 'version'};
      var call = /([RFDUVKC])(-?\d{1,7}(?:,-?\d{1,7}){0,3})?/y, records = [];
      call.lastIndex = head[0].length;
      while (call.lastIndex < text.length && records.length < J.MaxRecords) {
        var m = call.exec(text);
        var numbers = m && m[2] ? m[2].split(',').map(Number) : [];
        if (!m || numbers.length > J.Arity[m[1]]) return {records: records, partial: true};
        records.push([m[1].charCodeAt(0)].concat(numbers, [0, 0, 0, 0]).slice(0, 5));
      }
      return {records: records, partial: call.lastIndex < text.length};
    },

    // At load: the tab's journal, or the link's where the address holds another.
    read: function() {
      var J = GaugeplotJournal, stored = null;
      try {
        stored = JSON.parse(sessionStorage.getItem(J.storageKey()) || 'null');
      } catch (e) {}
      var hash = location.hash;
      if (hash.startsWith('#sketch=') && !(stored && stored.link === hash)) {
        J.link = hash;
        return Promise.resolve(hash.slice(8)).then(J.inflate).then(function(text) { return {text: text, from: 'link'}; },
          function() { return {text: '', from: 'link'}; });
      }
      if (stored && typeof stored.text === 'string') {
        J.link = typeof stored.link === 'string' ? stored.link : '';
        return Promise.resolve({text: stored.text, from: 'tab'});
      }
      return null;
    },

    restore: function(journal) {
      var J = GaugeplotJournal, words = journal.from === 'link' ? "This link's sketch" : "The tab's sketch";
      var started = performance.now();
      var parsed = J.parse(journal.text);
      var played = parsed.records ? J.rebuild(parsed.records) : 0;
      J.restoredMs = performance.now() - started;
      if (!parsed.records) {
        Module['_fromPageHold'](0);
        Module['_fromPageFrame'](1);
      }
      var problem = {
        unreadable: words + ' could not be read: it is damaged or incomplete. The viewer starts empty.',
        viewer: words + ' is one of ' + parsed.other + ', not of ' + J.viewer() + ': open it there. The viewer starts empty.',
        version: words + ' comes from another version of gaugeplot and cannot be played here. The viewer starts empty.',
      }[parsed.problem];
      if (!problem && (parsed.partial || played < parsed.records.length))
        problem = words + ' was read in part: the viewer shows its first ' + played + ' steps, where the rest stopped making sense.';
      if (problem) {
        J.notice(problem);
        console.warn('gaugeplot: ' + problem);
      }
      window.gaugeplotRestored = true;
    },

    // A message over the top of the picture, until it is put aside ('' puts it aside).
    notice: function(text) {
      var box = document.getElementById('notice');
      if (!box) return;
      document.getElementById('notice-text').textContent = text;
      box.hidden = text === '';
    },

    // The viewer has ended: nothing of it is kept, and a reload starts afresh.
    clear: function() {
      var J = GaugeplotJournal;
      J.ended = true;
      clearTimeout(J.saveTimer);
      J.saveSerial++;
      try { sessionStorage.removeItem(J.storageKey()); } catch (e) {}
      history.replaceState(history.state, '', location.pathname + location.search);
      J.update();
    },

    // Once the address holds the sketch as it is now.
    copyLink: function() {
      var J = GaugeplotJournal;
      if (typeof CompressionStream !== 'function') return J.notice('This browser cannot write the sketch into a link.');
      (J.saveTimer || !J.saving ? J.save() : J.saving).then(function() {
        if (J.link === 'long') return J.notice('This sketch is too long for a link; the tab keeps it for a reload.');
        var text = location.href;
        if (navigator.clipboard) navigator.clipboard.writeText(text).catch(function() { J.notice('The link: ' + text); });
        else J.notice('The link: ' + text);
      });
    },

    // The picture on screen, drawn anew so that the drawing buffer holds it, at the canvas's resolution.
    savePicture: function() {
      var J = GaugeplotJournal, canvas = GaugeplotWeb.canvas();
      if (!J.snapshot || J.ended) return;
      Module['_fromPageFrame'](1);
      canvas.toBlob(function(blob) {
        var a = document.createElement('a');
        a.href = URL.createObjectURL(blob);
        a.download = J.viewer() + '.png';
        a.click();
        setTimeout(function() { URL.revokeObjectURL(a.href); }, 1000);
      }, 'image/png');
    },

    start: function() {
      var J = GaugeplotJournal;
      J.started = new Promise(function(resolve) { J.onStarted = resolve; });
      J.pending = J.read();
      if (J.pending) Promise.all([J.pending, J.started]).then(function(both) { J.restore(both[0]); });
      else window.gaugeplotRestored = true;
      var on = function(id, f) {
        var button = document.getElementById(id);
        if (button) button.addEventListener('click', function() { if (J.free()) f(); });
      };
      on('undo', J.undo);
      on('redo', J.redo);
      on('new-sketch', J.newSketch);
      on('copy-link', J.copyLink);
      on('save-picture', J.savePicture);
      var close = document.getElementById('notice-close');
      if (close) close.addEventListener('click', function() { J.notice(''); });
      window.addEventListener('pagehide', J.keep);
      document.addEventListener('visibilitychange', function() { if (document.hidden) J.keep(); });
      Module['gaugeplotJournal'] = J;
    },
  },

  $GaugeplotJournal__postset: 'GaugeplotJournal.start();',

  toPageRecord__deps: ['$GaugeplotJournal'],
  toPageRecord: function(kind, a, b, c, d) {
    GaugeplotJournal.record(kind, a, b, c, d);
  },
};

mergeInto(LibraryManager.library, GaugeplotJournalLibrary);
