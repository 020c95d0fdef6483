// The web layer's journal (a --js-library): the sketch kept through a reload, in a link, and
// undone and redone, at a cost that grows with what the sketch holds, not with how long someone
// has edited it.
//
// The viewers are deterministic, and their whole state is a few megabytes of memory
// (web/checkpoints.js). So the journal keeps:
// - checkpoints: the state at the start of each action (a menu choice, a click, a drag from press
//   to release, a key), as the differences from the next one. Undo writes the last checkpoint back
//   and Redo the state the undone action left, each in one copy, whatever came before; at most
//   MaxUndoBytes of them, the oldest dropped first. A new action drops what could have been redone.
// - for the tab (sessionStorage), when the page is hidden or goes: the state now, as its
//   difference from the viewer's start, so that a reload, a tab the browser discarded and reopens,
//   or a lost GL context (web/layer.js reloads the page) brings the sketch back bit for bit. A
//   build other than the one that wrote it plays the text below instead.
// - in the address (web/link.js), replaced rather than pushed a moment after every finished
//   action, so that Back is not flooded: the calls that made the sketch, a drag reduced to its
//   press, its last motion and its release. The journal writes them as the calls are made; the
//   3D viewer's frames (it applies its pending field updates in one, and its shading draws on a
//   random sequence that each frame advances) are kept, the 2D viewer's, drawn from the state
//   alone, are not.
// A sketch brought back from the tab or a link has no checkpoints until the first Undo plays its
// calls for them.
var GaugeplotJournalLibrary = {
  $GaugeplotJournal__deps: ['$GaugeplotWeb', '$GaugeplotState', '$GaugeplotLink'],
  $GaugeplotJournal: {
    Format: 2,
    MaxUndoBytes: 64 * 1024 * 1024,  // checkpoints kept for Undo and Redo
    MaxTabHistory: 1500000,  // characters of them in the tab's copy
    initial: null,        // the state before the viewer's first call
    digest: '',           // of `initial`: which build a tab's state belongs to
    attachedThen: null,   // the menus attached then
    scratch: null,        // the state now, when taken
    preFrame: null,       // the state before the last frame drawn while no button was held,
    preFrameCall: -1,     // and that frame's call
    calls: 0,             // calls since the page opened
    liveCalls: 0,         // those from the page, not played by the journal
    holds: 0,             // frames held after a restore
    text: '',             // the calls since the page opened or the last "New sketch", format 2
    x: 0, y: 0,           // the position `text` ends at
    frames: 0,            // frames since the last call written into `text`
    motion: null,         // the last motion of the drag under way, not yet written
    down: [false, false, false],  // buttons pressed by the calls
    width: 0, height: 0,  // the window as the last R left it
    actions: 0,           // actions in `text`
    base: null,           // the checkpoint at the start of the last action, and what goes with it
    baseInfo: null,
    undos: [],            // earlier checkpoints: {delta to it from the one after, info}
    redos: [],            // undone actions: {delta from the checkpoint before, info}
    undoBytes: 0,
    playing: false,
    historyFrom: 1e9,     // while a sketch is played for its history: the first action checkpointed
    historyKnown: true,   // false for a sketch brought back, until Undo plays it for its checkpoints
    lastFrame: false,     // the frame a playing draws, whose state is kept as preFrame
    ended: false,
    started: null,        // resolves once the start state is taken
    pending: null,        // the sketch read at load
    link: '',             // the fragment that holds the sketch, '' when none does, 'long' when too long
    saveTimer: 0,
    saveSerial: 0,
    written: 0,           // the save whose link the address holds
    saving: null,         // resolves once the address holds the latest save's link
    restoredMs: 0,        // how long the sketch read at load took to come back, for the benchmark
    lastOutput: '',

    viewer: function() { return Module['viewerName'] || ''; },
    storageKey: function() { return 'gaugeplot ' + GaugeplotJournal.viewer(); },
    header: function() { return GaugeplotJournal.viewer() + '/' + GaugeplotJournal.Format + ':'; },
    anyDown: function() { var d = GaugeplotJournal.down; return d[0] || d[1] || d[2]; },
    // The listing panel's text; one string for the checkpoints that share it, not one each.
    output: function() {
      var J = GaugeplotJournal, listing = document.getElementById('listing'), text = listing ? listing.textContent : '';
      return text === J.lastOutput ? J.lastOutput : (J.lastOutput = text);
    },

    // An action begins with a press, a key or a menu choice while no button is held.
    beginsAction: function(kind) {
      return (kind === 68 /* D */ || kind === 75 /* K */ || kind === 67 /* C */) && !GaugeplotJournal.anyDown();
    },

    // What waits: the drag's last motion, then one frame for the frames since.
    flush: function(keep) {
      var J = GaugeplotJournal;
      if (J.motion) GaugeplotLink.write(86, J.motion[0], J.motion[1], J.motion[2], 0);
      J.motion = null;
      if (J.frames > (keep || 0)) GaugeplotLink.write(70);
      J.frames = keep || 0;
    },

    // Every call web/layer.cpp makes into the viewer, before it makes it.
    record: function(kind, a, b, c, d) {
      var J = GaugeplotJournal;
      if (!J.initial) J.begin();
      if (J.ended) return;
      if (!J.playing) J.liveCalls++;
      if (kind === 70 /* F */) {
        if (!Module['framesKeepState']) return;
        if (!J.anyDown() && (!J.playing || J.lastFrame || J.actions >= J.historyFrom - 1)) {
          GaugeplotState.copy(J.preFrame);
          J.preFrameCall = J.calls;
        }
        J.frames++;
        J.calls++;
        return;
      }
      if (J.beginsAction(kind) && (!J.playing || J.actions >= J.historyFrom)) {
        J.checkpoint();
        if (!J.playing) J.forget(J.redos);
      }
      if (J.beginsAction(kind)) J.actions++;
      J.calls++;
      if (kind === 86 && J.anyDown()) {
        J.motion = [a, b, c];
        return;
      }
      J.flush();
      GaugeplotLink.write(kind, a, b, c, d);
      if (kind === 68 || kind === 85) J.down[a] = kind === 68;
      if (kind === 82) { J.width = a; J.height = b; }
      if (!J.playing) J.changed();
    },

    // The state before the first call, kept to start afresh from; taken at that call.
    begin: function() {
      var J = GaugeplotJournal, S = GaugeplotState;
      S.start();
      J.initial = S.copy();
      J.digest = S.digest(J.initial);
      J.scratch = new Int32Array(S.words);
      J.preFrame = new Int32Array(S.words);
      J.attachedThen = GaugeplotWeb.attached.slice();
      if (J.pending) Module['_fromPageHold'](1);
      J.onStarted();
    },

    // The state now as a checkpoint: the state before the last frame and that frame to draw again
    // where the last call was a frame (the 3D viewer's), else the state now and no frame.
    here: function() {
      var J = GaugeplotJournal;
      var tail = J.frames > 0 && J.preFrameCall === J.calls - 1 ? 1 : 0;
      J.flush(tail);
      return {state: tail ? J.preFrame : GaugeplotState.copy(J.scratch), info: {tail: tail, length: J.text.length,
        x: J.x, y: J.y, width: J.width, height: J.height, actions: J.actions, attached: GaugeplotWeb.attached.slice(), output: J.output()}};
    },

    // An action begins: the state now becomes the last checkpoint, the one before it kept as the
    // difference.
    checkpoint: function() {
      var J = GaugeplotJournal, S = GaugeplotState, now = J.here();
      if (J.base) {
        var runs = S.runs(J.base, now.state);
        J.push(J.undos, {delta: S.take(runs, J.base), info: J.baseInfo});
        S.apply(S.take(runs, now.state), J.base);
      } else {
        J.base = now.state.slice();
      }
      J.baseInfo = now.info;
    },

    push: function(stack, entry) {
      var J = GaugeplotJournal;
      stack.push(entry);
      J.undoBytes += GaugeplotState.bytes(entry.delta);
      while (J.undoBytes > J.MaxUndoBytes && J.undos.length > 1) J.undoBytes -= GaugeplotState.bytes(J.undos.shift().delta);
    },
    forget: function(stack) {
      var J = GaugeplotJournal;
      while (stack.length) J.undoBytes -= GaugeplotState.bytes(stack.pop().delta);
    },

    // The text as it was at a checkpoint: New sketch's keeps the text it replaced.
    textAt: function(info) {
      return (info.text !== undefined ? info.text : GaugeplotJournal.text).slice(0, info.length);
    },

    // The viewer put back to a checkpoint, then its frame drawn, as the window is now.
    restore: function(state, info) {
      var J = GaugeplotJournal, W = GaugeplotWeb;
      GaugeplotState.write(state);
      J.text = J.textAt(info);
      J.x = info.x; J.y = info.y; J.width = info.width; J.height = info.height; J.actions = info.actions;
      J.frames = 0; J.motion = null; J.down = [false, false, false]; J.preFrameCall = -1;
      W.attached = info.attached.slice();
      W.delivered = [false, false, false];
      W.closeMenu();
      Module['setOutput'](info.output);
      J.show(info.tail);
    },

    // The frame of a checkpoint drawn (or computed only, when the window has changed since and is
    // reshaped and drawn after it), or a frame drawn where it has none.
    show: function(tail) {
      var J = GaugeplotJournal, W = GaugeplotWeb;
      var resized = J.width !== W.width || J.height !== W.height;
      Module['_fromPageHold'](0);
      J.playing = true;
      Module['_fromPagePlaying'](1);
      try {
        J.lastFrame = true;
        if (tail || !resized) Module['_fromPageFrame'](resized ? 0 : 1);
        if (resized) {
          Module['_fromPageResize'](W.width, W.height);
          Module['_fromPageFrame'](1);
        }
      } finally {
        J.lastFrame = J.playing = false;
        Module['_fromPagePlaying'](0);
      }
      // A frame the viewer asked for before (GLUT's, at the next animation frame) would be one
      // more than the checkpoint's: it is let pass undrawn, unless a call from the page has come
      // since. A later restore's hold is that one's to end.
      Module['_fromPageHold'](1);
      var live = J.liveCalls, hold = ++J.holds;
      requestAnimationFrame(function() {
        if (hold !== J.holds) return;
        Module['_fromPageHold'](0);
        if (J.liveCalls !== live) Module['_fromPageFrame'](1);
      });
      J.changed();
    },

    undo: function() {
      var J = GaugeplotJournal, S = GaugeplotState;
      if (!J.canUndo()) return;
      if (!J.base) J.playHistory();
      var now = J.here(), runs = S.runs(J.base, now.state);
      now.info.text = J.text;
      J.push(J.redos, {delta: S.take(runs, now.state), info: now.info});
      var info = J.baseInfo, state = J.scratch;
      state.set(J.base);
      var earlier = J.undos.pop();
      if (earlier) {
        J.undoBytes -= S.bytes(earlier.delta);
        S.apply(earlier.delta, J.base);
        J.baseInfo = earlier.info;
      } else {
        J.base = J.baseInfo = null;
      }
      J.restore(state, info);
    },

    redo: function() {
      var J = GaugeplotJournal, S = GaugeplotState;
      if (!J.canRedo()) return;
      var undone = J.redos.pop();
      J.undoBytes -= S.bytes(undone.delta);
      J.checkpoint();
      var state = J.scratch;
      state.set(J.base);
      S.apply(undone.delta, state);
      J.restore(state, undone.info);
    },

    // A fresh viewer; Undo brings the earlier sketch back. The tab and the link keep what follows.
    newSketch: function() {
      var J = GaugeplotJournal;
      if (!J.initial || J.ended) return;
      J.checkpoint();
      J.forget(J.redos);
      J.baseInfo.text = J.text;
      J.notice('');
      J.restore(J.initial, {tail: 0, length: 0, text: '', x: 0, y: 0, width: 0, height: 0, actions: 0,
        attached: J.attachedThen, output: ''});
    },

    free: function() {
      var W = GaugeplotWeb;
      return !W.openMenu && !W.dragging() && !W.touch;
    },
    canUndo: function() { var J = GaugeplotJournal; return (!!J.base || (!J.historyKnown && J.actions > 0)) && !J.ended; },
    canRedo: function() { var J = GaugeplotJournal; return !!J.initial && !J.ended && J.redos.length > 0; },

    update: function() {
      var J = GaugeplotJournal;
      var set = function(id, enabled) {
        var button = document.getElementById(id);
        if (button) button.disabled = !enabled;
      };
      set('undo', J.canUndo());
      set('redo', J.canRedo());
      ['new-sketch', 'copy-link', 'save-picture'].forEach(function(id) { set(id, !!J.initial && !J.ended); });
    },

    // A finished action is kept in the link a moment later, so that a quick run of clicks is kept once.
    changed: function() {
      var J = GaugeplotJournal;
      if (J.anyDown()) return;
      J.update();
      if (!J.saveTimer) J.saveTimer = setTimeout(GaugeplotLink.save, 150);
    },

    // The link's text: `text` and the frames since.
    linkText: function() {
      var J = GaugeplotJournal;
      return J.header() + J.text + (J.frames > 0 ? 'F' : '');
    },

    // The tab's copy: written when the page is hidden or goes (a reload, a tab put aside, which
    // the browser may discard) and before it loads anew for its graphics; mid-drag, the sketch as
    // the drag found it. With it the checkpoints for Undo, the latest first, up to MaxTabHistory
    // characters; where the tab has no room for them, the state alone; where it has none for
    // that, the text alone, played at load.
    keep: function() {
      var J = GaugeplotJournal, S = GaugeplotState, outputs = [];
      if (!J.initial || J.ended) return;
      var now = J.anyDown() ? {state: J.base, info: J.baseInfo} : J.here();
      // The listing panel's text at a checkpoint, once however many checkpoints share it.
      var pack = function(info) {
        var copy = Object.assign({}, info), at = outputs.indexOf(info.output);
        copy.output = at >= 0 ? at : outputs.push(info.output) - 1;
        return copy;
      };
      var delta = function(state) { return S.encode(S.take(S.runs(J.initial, state), state)); };
      var kept = {text: J.header() + J.textAt(now.info), link: J.link, digest: J.digest, info: pack(now.info),
        state: delta(now.state), outputs: outputs};
      if (!J.anyDown() && J.base) {
        kept.history = {base: delta(J.base), info: pack(J.baseInfo), undos: []};
        for (var i = J.undos.length - 1, used = 0; i >= 0; i--) {
          var e = J.undos[i], code = e.code || (e.code = S.encode(e.delta));
          if ((used += code.length) > J.MaxTabHistory) break;
          kept.history.undos.unshift({delta: code, info: pack(e.info)});
        }
      }
      var fits = [function() {}, function() { delete kept.history; }, function() { delete kept.state; }];
      for (var k = 0; k < fits.length; k++) {
        fits[k]();
        try {
          if (!now.info.actions) return sessionStorage.removeItem(J.storageKey());
          return sessionStorage.setItem(J.storageKey(), JSON.stringify(kept));
        } catch (e) {}
      }
      J.notice('The tab has no room left for this sketch: a reload will not bring it back' +
        (J.link.startsWith('#') ? '; its link still holds it.' : '.'));
    },

    // A sketch brought back (from the tab or a link) has no checkpoints: at the first Undo, its
    // text is played for them, those of its last 100 actions (the 3D viewer's to within rounding,
    // as its link), and the state it has now is put back.
    playHistory: function() {
      var J = GaugeplotJournal, now = J.here(), state = now.state.slice(), records = GaugeplotLink.parse(J.linkText()).records;
      now.info.text = J.text;
      J.historyKnown = true;
      J.historyFrom = J.actions - 100;
      J.play(records);
      J.historyFrom = 1e9;
      J.restore(state, now.info);
    },

    // A fresh viewer given these calls, up to the first the layer could not have made or that
    // ends the viewer; the last frame drawn. Returns how many were played.
    play: function(records) {
      var J = GaugeplotJournal, W = GaugeplotWeb;
      J.forget(J.undos);
      J.forget(J.redos);
      J.base = J.baseInfo = null;
      GaugeplotState.write(J.initial);
      J.text = '';
      J.x = J.y = J.frames = J.width = J.height = J.actions = 0;
      J.motion = null;
      J.down = [false, false, false];
      W.attached = J.attachedThen.slice();
      Module['setOutput']('');
      var last = records.length - 1;
      while (last >= 0 && records[last][0] !== 70) last--;
      J.playing = true;
      Module['_fromPagePlaying'](1);
      var i = 0, thrown = false, tail = 0;
      try {
        for (; i < records.length && GaugeplotLink.allowed(records[i], i === 0); i++) {
          try {
            if (i === last && i === records.length - 1 && (tail = 1)) break;  // drawn by show()
            GaugeplotLink.call(records[i]);
          } catch (e) {
            thrown = true;  // the viewer ended, part way through the call: played again without it
            break;
          }
        }
      } finally {
        J.playing = false;
        Module['_fromPagePlaying'](0);
      }
      if (thrown) return J.play(records.slice(0, i));
      J.restore(GaugeplotState.copy(J.scratch), {tail: tail, length: J.text.length, x: J.x, y: J.y,
        width: J.width, height: J.height, actions: J.actions, attached: W.attached, output: J.output()});
      return i + tail;
    },

    // A checkpoint's companions as the tab kept them, or null where they do not fit this page.
    unpack: function(info, outputs) {
      var W = GaugeplotWeb, numbers = ['tail', 'length', 'x', 'y', 'width', 'height', 'actions'];
      if (!info || !numbers.every(function(k) { return Number.isInteger(info[k]); }) ||
          typeof outputs[info.output] !== 'string' || !Array.isArray(info.attached) || info.attached.length !== 3 ||
          !info.attached.every(function(m) { return m === 0 || (m > 0 && W.menus[m]); })) return null;
      return Object.assign({}, info, {output: outputs[info.output]});
    },

    // The tab's state, where it comes from this build and fits it, with its checkpoints.
    restoreState: function(stored) {
      var J = GaugeplotJournal, S = GaugeplotState, outputs = Array.isArray(stored.outputs) ? stored.outputs : [];
      var decode = function(code, info) {
        var delta = typeof code === 'string' ? S.decode(code) : null;
        return delta && (info = J.unpack(info, outputs)) ? {delta: delta, info: info, code: code} : null;
      };
      var now = stored.digest === J.digest ? decode(stored.state, stored.info) : null;
      if (!now) return false;
      var h = stored.history || {}, base = decode(h.base, h.info), undos = Array.isArray(h.undos) ? h.undos.map(function(e) {
        return decode(e.delta, e.info);
      }) : [];
      if (base && undos.every(Boolean)) {
        J.base = J.initial.slice();
        S.apply(base.delta, J.base);
        J.baseInfo = base.info;
        J.undos = undos;
        undos.forEach(function(e) { J.undoBytes += S.bytes(e.delta); });
        J.historyKnown = (undos.length ? undos[0] : base).info.actions === 0;
      }
      var state = J.initial.slice();
      S.apply(now.delta, state);
      now.info.text = stored.text.slice(J.header().length);
      J.restore(state, now.info);
      return true;
    },

    bringBack: function(journal) {
      var J = GaugeplotJournal, words = journal.from === 'link' ? "This link's sketch" : "The tab's sketch";
      var started = performance.now(), parsed = {records: []}, played = 0;
      Module['_fromPageHold'](0);
      J.historyKnown = false;
      if (!(journal.stored && J.restoreState(journal.stored))) {
        parsed = GaugeplotLink.parse(journal.text);
        played = parsed.records ? J.play(parsed.records) : 0;
        if (!parsed.records) Module['_fromPageFrame'](1);
      }
      J.restoredMs = performance.now() - started;
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

    // The picture on screen, drawn anew so that the drawing buffer holds it, at the canvas's resolution.
    savePicture: function() {
      var J = GaugeplotJournal, canvas = GaugeplotWeb.canvas();
      if (!J.initial || J.ended) return;
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
      J.pending = GaugeplotLink.read();
      if (J.pending) Promise.all([J.pending, J.started]).then(function(both) { J.bringBack(both[0]); });
      else window.gaugeplotRestored = true;
      var on = function(id, f) {
        var button = document.getElementById(id);
        if (button) button.addEventListener('click', function() { if (J.free()) f(); });
      };
      on('undo', J.undo);
      on('redo', J.redo);
      on('new-sketch', J.newSketch);
      on('copy-link', GaugeplotLink.copyLink);
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
